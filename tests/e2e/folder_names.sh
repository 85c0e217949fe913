#!/bin/bash
# Folders of any name: a home, a temporary folder and an index cache whose
# names hold blanks, quotes, "$" and a non-ASCII letter give the reports of
# plain folders, and a second run reads its indexes from the cache; folders
# named like the table engine's words are folders.
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

# Folders named like the table engine's words: a data folder "d exclusive q"
# beside a "d q" whose nut table gives M12 another width across flats, and
# temporary folders "tmp alias q", "tmp virtual file", "tmp linked list" into
# which the read-only tables are copied. Each run reads the folder named.
cp -r "$BUILD/data" "d exclusive q"
cp -r "$BUILD/data" "d q"
python3 - "d q/tables/din934.dbf" << 'EOF'
import struct, sys
d = bytearray(open(sys.argv[1], 'rb').read())
count, header, record = struct.unpack('<IHH', d[4:12])
for at in range(header, header + count * record, record):
    if d[at + 1:at + 7].strip() == b'12.00':
        d[at + 13:at + 19] = b' 28.00'
open(sys.argv[1], 'wb').write(d)
EOF
chmod -R a-w "d exclusive q/tables" "d q/tables"
mkdir words && cp "$BUILD/data/samples/hot.bq4" words/
for data in "d exclusive q:18" "d q:28"; do
  for t in tmp "tmp alias q" "tmp virtual file" "tmp linked list"; do
    mkdir -p "$t"
    rm -f words/hot.txt
    (cd words && TMPDIR="$WORK/$t" BQ4_DATA_DIR="$WORK/${data%:*}" "$WBQ4" hot.bq4 /I > "$WORK/out" 2>&1)
    check "data in \"${data%:*}\", temporary folder \"$t\": exit 0" test $? -eq 0
    check "data in \"${data%:*}\", temporary folder \"$t\": its nut" grep -q "hexagon nut ISO 4032 - SW ${data#*:}\$" words/hot.txt
  done
done
chmod -R u+w "d exclusive q/tables" "d q/tables"
exit $fail
