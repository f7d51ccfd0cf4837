#!/bin/sh
# Runs a test in a private network namespace (its own loopback, nothing else) where unprivileged
# ICMP datagram sockets are allowed, so the datagram path is exercised even on hosts whose
# net.ipv4.ping_group_range forbids it. Exits 77 (skipped) where namespaces are not available.
unshare -n true 2>/dev/null || exit 77
exec unshare -n sh -c '
  ip link set lo up 2>/dev/null
  echo "0 2147483647" > /proc/sys/net/ipv4/ping_group_range 2>/dev/null || exit 77
  R5_EXPECT_ICMP_DATAGRAM=1 exec "$@"' sh "$@"
