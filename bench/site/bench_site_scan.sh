#!/usr/bin/env bash
# The scan of a /24 with a virtual fleet of 200 on 127.0.2.1-200 (its own process), beside the scan
# of a /24 where nothing listens (every connection refused at once), as farm-bench pairs them.
# Usage: bench/site/bench_site_scan.sh [BUILD_DIR]     Loopback only.
set -euo pipefail
bin=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}/bin
"$bin/r5200tx-virtual" --fleet 200 --tcp-address 127.0.2.1 >/dev/null &
fleet=$!
trap 'kill $fleet' EXIT
sleep 1
kill -0 $fleet
found=$("$bin/r5200tx-cli" scan 127.0.2.0/24 --json | grep -c '"address"')
echo "scan of 127.0.2.0/24: $found devices found"
farm-bench -n 5 --vs "$bin/r5200tx-cli scan 127.0.9.0/24" -- "$bin/r5200tx-cli" scan 127.0.2.0/24
