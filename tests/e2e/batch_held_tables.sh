#!/bin/bash
# Tables held by another program: one that locks the semaphore file of every
# table (as a run stopped while it reads a table holds that table's). A run
# that needs them waits for the first one about 10 seconds, then fails
# naming it, and tries no table after it; once they are free again, runs
# work as before.
# usage batch_held_tables.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
cp -r "$BUILD/data" data
export BQ4_DATA_DIR=$WORK/data
cp data/samples/hot.bq4 .
"$WBQ4" hot.bq4 /I > /dev/null 2> err.txt
check "a first run makes the tables' semaphore files: exit 0" test $? -eq 0
cp hot.txt good.txt

# The record lock of every semaphore file, held until the holder is killed.
python3 -c '
import fcntl, glob, os, sys, time
held = 0
for name in glob.glob("data/tables/*.@S@"):
    fd = os.open(name, os.O_RDWR)
    fcntl.lockf(fd, fcntl.LOCK_EX | fcntl.LOCK_NB, 4, 1)
    held += 1
open("held.txt", "w").write(str(held))
time.sleep(600)
' &
holder=$!
for _ in $(seq 1 6000); do [ -s held.txt ] && break; kill -0 $holder 2> /dev/null || break; sleep 0.05; done
check "another program holds every table's semaphore" test "$(cat held.txt 2> /dev/null)" -ge 5

rm -f hot.txt
start=$SECONDS
"$WBQ4" hot.bq4 /I > /dev/null 2> err.txt
code=$?
took=$((SECONDS - start))
check "a run that cannot have a table: exit 1" test $code -eq 1
check "it names the table whose semaphore is held" grep -q "\.dbf .*Cannot lock index semaphore file" err.txt
check "it names one table only, the first it needed" \
  test "$(grep -o '[A-Za-z0-9_]*\.dbf' err.txt | sort -u | wc -l)" -eq 1
# The wait for one table is 10 seconds; every table in turn took minutes.
check "it ends after the wait for that one table ($took s)" test $took -lt 60
check "it writes no report" test ! -e hot.txt

kill $holder
wait $holder 2> /dev/null
"$WBQ4" hot.bq4 /I > /dev/null 2> err.txt
check "the tables free again: exit 0" test $? -eq 0
check "the report is the good one" cmp -s <(tail -n +2 hot.txt) <(tail -n +2 good.txt)
[ $fail -eq 0 ] || cat err.txt
exit $fail
