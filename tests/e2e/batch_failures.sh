#!/bin/bash
# Batch runs that cannot do their work say so: exit code 1 (2 for a joint
# that cannot be calculated), the reason on stderr in UTF-8, and no output
# with data missing. Damaged and full index caches, a temporary folder that
# is full, a folder that cannot be written, switches that name nothing,
# project files that are no files.
# usage batch_failures.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
export BQ4_CACHE_DIR=$WORK/cache
cp "$BUILD/data/samples/null.bq4" x.bq4
"$WBQ4" x.bq4 /I > /dev/null 2>&1
cp x.txt good.txt

# run description expected-exit stderr-pattern [wbq4 arguments...]: one row.
# A successful row must write the report as the good run did.
run() {
  local what=$1 code=$2 pattern=$3; shift 3
  rm -f x.txt
  "$WBQ4" "$@" > /dev/null 2> err.txt
  check "$what: exit $code" test $? -eq "$code"
  [ -n "$pattern" ] && check "$what: stderr says \"$pattern\"" grep -q -- "$pattern" err.txt
  check "$what: stderr is UTF-8" iconv -f UTF-8 -t UTF-8 err.txt -o /dev/null
  if [ "$code" -eq 0 ]; then
    check "$what: the full report" cmp -s <(tail -n +2 x.txt) <(tail -n +2 good.txt)
  else
    check "$what: no report" test ! -e x.txt
  fi
}

# Damaged cache entries are built afresh, quietly.
for f in cache/indexes/*.ndx; do truncate -s 600 "$f"; done
run "cut cache entries" 0 "" x.bq4 /I
check "cut cache entries: nothing on stderr" test ! -s err.txt
for f in cache/indexes/*.ndx; do head -c 1024 /dev/urandom > "$f"; done
run "cache entries of noise" 0 "" x.bq4 /I
for f in cache/indexes/*.ndx; do printf 'x' > "$f"; done
run "one-byte cache entries" 0 "" x.bq4 /I

# Bad switches, project files that are no files.
for bad in /CAD1:0 /CAD3:1 /CAD9:1 /CAD2:99 /CADx /CAD1 /CAD1:1x; do
  run "$bad" 1 "device i 1 (DXF), 2 (IGS) or 5 (TXT) and the item j 1..14" x.bq4 $bad
  check "$bad writes no drawing" bash -c "! ls x.dxf x.igs x.lst > /dev/null 2>&1"
done
mkfifo fifo.bq4
rm -f x.txt
timeout 20 "$WBQ4" fifo.bq4 /I > /dev/null 2> err.txt
check "a FIFO as project: refused at once, exit 1" test $? -eq 1
check "a FIFO as project: named" grep -q "fifo.bq4: not a regular file" err.txt
run "a device as project" 1 "/dev/zero: not a regular file" /dev/zero /I
mkdir dir.bq4
run "a folder as project" 1 "dir.bq4" dir.bq4 /I

# Under a file-size limit every mode ends as on a full disk: exit 1, the
# output named, no temporary left (the index cache is built before).
for mode in /I /JSON /CAD1:1 /CAD2:1 /CAD5:1 /PDF; do
  rm -f x.txt x.json x.dxf x.igs x.lst x.pdf
  (ulimit -f 4; exec "$WBQ4" x.bq4 $mode > /dev/null 2> err.txt)
  check "$mode under ulimit -f 4: exit 1" test $? -eq 1
  check "$mode under ulimit -f 4: cannot be written" grep -q "cannot be written" err.txt
  # One line says it all, with the reason: no message a window would show.
  check "$mode under ulimit -f 4: one line" test "$(wc -l < err.txt)" -eq 1
  check "$mode under ulimit -f 4: a reason" grep -q "cannot be written: " err.txt
  check "$mode under ulimit -f 4: no temporary left" bash -c "! ls -a | grep -q '\.~'"
done

# An output through a link into a folder that is not there: the reason.
ln -s nowhere/x.json x.json
run "/JSON through a link to a missing folder" 1 "whose folder .*nowhere does not exist" x.bq4 /JSON
check "/JSON through a link to a missing folder: no folder made" test ! -e nowhere
rm x.json

# Runs killed at random moments leave temporaries; the next run of the same
# outputs clears them away and writes every output whole.
for i in 1 2 3 4 5 6 7 8; do cp x.bq4 "k$i.bq4"; done
for n in 1 2 3 4 5 6 7 8 9 10; do
  "$WBQ4" k*.bq4 /I > /dev/null 2>&1 &
  sleep "0.$((RANDOM % 5))$((RANDOM % 10))"
  kill -9 $! 2> /dev/null
  wait $! 2> /dev/null
done
"$WBQ4" k*.bq4 /I > /dev/null 2> err.txt
check "rerun after kills: exit 0" test $? -eq 0
check "rerun after kills: no temporary left" bash -c "! ls -a | grep -q '^k.*\.~'"
for i in 1 2 3 4 5 6 7 8; do
  check "rerun after kills: k$i.txt whole" cmp -s <(tail -n +3 "k$i.txt") <(tail -n +3 good.txt)
done

# A fatal message with characters beyond ASCII reaches stderr in UTF-8.
awk 'prev == "MONTAGE" { $0 = "0\r" } { prev = $0; sub(/\r$/, "", prev); print }' x.bq4 > nu.bq4
"$WBQ4" nu.bq4 /I > /dev/null 2> err.txt
check "nu 0: not a success" test $? -ne 0
check "nu 0: stderr is UTF-8" iconv -f UTF-8 -t UTF-8 err.txt -o /dev/null

# Full folders need a small file system of their own: mounted where the
# test may (as root, in a container that allows it), else skipped.
mkdir -p small tiny
if mount -t tmpfs -o size=64k tmpfs small 2> /dev/null; then
  trap 'umount "$WORK/small" "$WORK/tiny" "$WORK/ro" "$WORK/full" 2> /dev/null; rm -rf "$WORK"' EXIT
  mount -t tmpfs -o size=16k tmpfs tiny
  head -c 1000000 /dev/zero > small/fill 2> /dev/null
  head -c 1000000 /dev/zero > tiny/fill 2> /dev/null
  export BQ4_CACHE_DIR=$WORK/small/cache
  run "full cache folder" 0 "" x.bq4 /I
  TMPDIR=$WORK/tiny run "full cache folder and full TMPDIR" 1 "cannot be indexed" x.bq4 /I
  check "full cache folder and full TMPDIR: the reason in one line" test "$(wc -l < err.txt)" -eq 1
  export BQ4_CACHE_DIR=$WORK/cache
  # Outputs into a folder that cannot be written: the reason on stderr.
  mkdir -p ro && mount -t tmpfs -o size=1m tmpfs ro && cp x.bq4 ro/ && mount -o remount,ro ro
  "$WBQ4" ro/x.bq4 /CAD1:1 > /dev/null 2> err.txt
  check "unwritable folder, /CAD1:1: exit 1" test $? -eq 1
  check "unwritable folder, /CAD1:1: the reason" grep -q "ro/x.dxf" err.txt
  "$WBQ4" ro/x.bq4 /I > /dev/null 2> err.txt
  check "unwritable folder, /I: exit 1" test $? -eq 1
  check "unwritable folder, /I: the reason" grep -q "ro/x.txt" err.txt
  # A full disk is told as such, not as an unknown error.
  mkdir -p full && mount -t tmpfs -o size=64k tmpfs full && cp x.bq4 full/
  head -c 1000000 /dev/zero > full/fill 2> /dev/null
  "$WBQ4" full/x.bq4 /PDF > /dev/null 2> err.txt
  check "full disk, /PDF: exit 1" test $? -eq 1
  # The system's words for it, in the desktop's language.
  check "full disk, /PDF: a reason" grep -q "x.pdf cannot be written: ." err.txt
  check "full disk, /PDF: the system's reason" bash -c "! grep -qi 'unknown error' err.txt"
  check "full disk, /PDF: no temporary left" bash -c "! ls -a full | grep -q '\.~'"
  umount full
else
  echo "skip full folders: no tmpfs can be mounted here"
fi

exit $fail
