#!/usr/bin/env bash
# Builds every libFuzzer target of tests/fuzz with clang (ASan and UBSan) and
# runs each for a bounded time on its seeds in tests/fuzz/corpus/<name>.
#   run.sh [seconds per target, default 60] [target names...]
# FUZZ_JOBS targets run at a time (default 1; each takes one core). New
# inputs go to build-fuzz/corpus-<name>, a finding to build-fuzz/<name>-crash-*
# (keep it in the target's corpus once mended); the exit code is then 1.
# The last line of each target's log gives its executions and coverage.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
shift || true
command -v clang++ >/dev/null || { echo "clang++ missing: fuzz targets skipped"; exit 0; }
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DBQ4_TESTS=OFF -DBQ4_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "${JOBS:-3}" --target "${targets[@]}"
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

run_one() {
  local target=$1 seconds=$2 name=${1%_fuzz}
  local work=build-fuzz/corpus-$name
  mkdir -p "$work"
  if build-fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="build-fuzz/$name-" "$work" "tests/fuzz/corpus/$name" \
       > "build-fuzz/$target.log" 2>&1; then
    echo "== $target: $(grep -a 'DONE' "build-fuzz/$target.log" | tail -1)"
  else
    echo "== $target: FINDING"
    grep -a -A30 'ERROR\|runtime error\|deadly signal\|timeout' "build-fuzz/$target.log" | head -40
    return 1
  fi
}
export -f run_one
printf '%s\n' "${targets[@]}" | xargs -P "${FUZZ_JOBS:-1}" -I{} bash -c "run_one {} $seconds"
