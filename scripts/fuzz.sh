#!/usr/bin/env bash
# Builds the fuzz targets with clang + libFuzzer (ASan + UBSan) and runs each for a bounded time
# from its seed corpus. Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${2:-$root/build-fuzz}
bash "$root/scripts/setup.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DR5_FUZZ=ON -DR5_BUILD_TESTS=OFF -DR5_BUILD_BENCH=OFF >/dev/null
targets=$(cd "$root/fuzz" && ls */CMakeLists.txt 2>/dev/null | xargs -r grep -ho 'r5_add_fuzz_target( *[A-Za-z0-9_]*' | sed 's/.*( *//' | sort -u)
[ -n "$targets" ] || { echo "no fuzz targets"; exit 0; }
cmake --build "$build" -j "$(nproc)" --target $targets
status=0
for t in $targets; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$root/fuzz/corpus/$t" ] && seeds=("$root/fuzz/corpus/$t")
  echo "== $t: ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 QT_QPA_PLATFORM=offscreen \
      "$build/bin/$t" -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 "$corpus" "${seeds[@]}" \
      > "$build/$t.log" 2>&1; then
    tail -n 60 "$build/$t.log"
    status=1
  else
    grep -E '^stat::number_of_executed_units|^Done' "$build/$t.log" | tr '\n' ' '; echo
  fi
done
exit $status
