#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (first argument, seconds; default 20) on its corpus. Exit code 1 when a
# target finds a crash; the crashing input is left in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-20}
command -v clang++ >/dev/null || { echo "clang++ missing: fuzz targets skipped"; exit 0; }
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DBQ4_TESTS=OFF -DBQ4_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "${JOBS:-6}" --target dbf_open_fuzz ndx_open_fuzz expression_fuzz
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
for target in dbf_open_fuzz ndx_open_fuzz expression_fuzz; do
  corpus=$PWD/tests/fuzz/corpus/${target%_fuzz}
  work=$PWD/build-fuzz/corpus-${target}
  mkdir -p "$work"
  echo "== $target"
  build-fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$PWD/build-fuzz/" "$work" "$corpus" > "build-fuzz/$target.log" 2>&1 ||
    { tail -40 "build-fuzz/$target.log"; exit 1; }
  tail -2 "build-fuzz/$target.log"
done
