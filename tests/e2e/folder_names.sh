#!/bin/bash
# Folders of any name: a home, a temporary folder and an index cache whose
# names hold blanks, quotes, "$" and a non-ASCII letter give the reports of
# plain folders, and a second run reads its indexes from the cache.
# usage folder_names.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"

odd="x \$y \"q\" 'z' ä"
mkdir -p plain "home $odd" "tmp $odd" "cache $odd"
# The index files a run opens in its temporary folder; none where strace is
# missing.
ndx_opened() {  # strace-output
  grep -c "\"$WORK/tmp .*\.ndx\"" "$1"
}
have_strace=0
strace -f -e trace=openat -o /dev/null true 2> /dev/null && have_strace=1
for sample in "$BUILD"/data/samples/*.bq4; do
  name=$(basename "$sample" .bq4)
  cp "$sample" plain/
  (cd plain && "$WBQ4" "$name.bq4" /I > /dev/null 2>&1)
  check "$name: plain folders, exit 0" test $? -eq 0
  for how in home cache; do
    for run in first second; do
      mkdir -p "$how-$run" && cp "$sample" "$how-$run/"
      if [ $how = home ]; then
        set -- env -u BQ4_CACHE_DIR -u XDG_CACHE_HOME HOME="$WORK/home $odd"
      else
        set -- env BQ4_CACHE_DIR="$WORK/cache $odd"
      fi
      # (The leak checker of a sanitized build cannot run under strace.)
      [ $have_strace = 1 ] && set -- "$@" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
        strace -f -e trace=openat -o "$WORK/trace"
      (cd "$how-$run" && TMPDIR="$WORK/tmp $odd" "$@" "$WBQ4" "$name.bq4" /I > "$WORK/out" 2>&1)
      check "$name, $how $run: exit 0" test $? -eq 0
      check "$name, $how $run: the report of plain folders" \
        cmp <(tail -n +3 "plain/$name.txt") <(tail -n +3 "$how-$run/$name.txt")
      [ $have_strace = 1 ] && [ $run = second ] &&
        check "$name, $how $run: no index built" test "$(ndx_opened "$WORK/trace")" -eq 0
    done
  done
done
check "the home's cache used" test -n "$(ls "home $odd/.cache/bq4/indexes")"
exit $fail
