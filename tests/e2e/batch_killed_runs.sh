#!/bin/bash
# What runs killed at random moments leave (their temporary folder, cache
# entries half built) is cleared away by a later run, while another run that
# is still at work keeps all of its own and writes every report whole.
# usage batch_killed_runs.sh <wbq4> <tests/data dir> <build dir> (KILLS=n: n kills, 10 by default)
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
export BQ4_CACHE_DIR=$WORK/cache
cp -r "$BUILD/data" data
export BQ4_DATA_DIR=$WORK/data
cp data/samples/hot.bq4 .
"$WBQ4" hot.bq4 /I > /dev/null 2>&1
cp hot.txt good.txt
for i in $(seq 1 30); do cp hot.bq4 "k$i.bq4"; done

# A thread table with many rows (the last one repeated: the report stays the
# good one) takes long enough to index that runs are killed while they build
# that cache entry.
grow_table data/tables/gewinde.dbf 100000

# The report without its first lines (the time, the project's name).
whole() { cmp -s <(tail -n +3 "$1") <(tail -n +3 good.txt); }
# A run builds its cache entries in its own folder; what it puts in the cache
# meanwhile bears a temporary name, not its own.
left_of() { ls -d tmp/bq4-"$1"-* 2> /dev/null; }

bad=0
caught=0
unnamed=0
for i in $(seq 1 "${KILLS:-10}"); do
  rm -rf cache
  rm -f k*.txt
  "$WBQ4" hot.bq4 /I > /dev/null 2>&1 &
  killed=$!
  # Every other run is stopped as soon as its folder is there and then
  # killed, so that it is certain to leave something; the others are killed
  # at a random moment after they made their folder (building the index of
  # an entry, or later), with the other run at work.
  # Its folder under its own name: one still being made (bq4-<pid>-new-...)
  # is left for its maker a minute, whatever its process number says.
  wait_for "tmp/bq4-$killed-??????" $killed || echo "kill $i: the run ended before its folder was seen"
  if [ $((i % 2)) -eq 0 ]; then
    kill -STOP $killed 2> /dev/null
  fi
  "$WBQ4" k*.bq4 /I > /dev/null 2> other.txt &
  other=$!
  [ $((i % 2)) -ne 0 ] && sleep "0.$((RANDOM % 10))$((RANDOM % 10))"
  kill -9 $killed 2> /dev/null
  wait $killed 2> /dev/null
  [ -n "$(left_of $killed)" ] && caught=$((caught + 1))
  left=$(left_of $killed)
  # A later run while the other one is still at work.
  rm -f hot.txt
  "$WBQ4" hot.bq4 /I > /dev/null 2> later.txt
  whole hot.txt || { bad=$((bad + 1)); echo "kill $i: the later run's report is not the good one"; }
  wait $other
  code=$?
  [ $code -eq 0 ] || { bad=$((bad + 1)); echo "kill $i: the other run ends with $code: $(cat other.txt)"; }
  # Each file or folder of the killed run that goes is named by the run that removed it.
  for f in $left; do
    [ -e "$f" ] || grep -qF "bq4: removed $WORK/$f, " later.txt other.txt ||
      { unnamed=$((unnamed + 1)); echo "kill $i: $f removed without a word: $(cat later.txt other.txt)"; }
  done
  for k in k*.bq4; do whole "${k%.bq4}.txt" || { bad=$((bad + 1)); echo "kill $i: ${k%.bq4}.txt not whole"; break; }; done
  [ -z "$(left_of $killed)" ] || { bad=$((bad + 1)); echo "kill $i, left: $(left_of $killed)"; }
done
# A run in another process namespace, to which the process numbers of this
# one mean nothing, runs while a run here is stopped as it builds the entry
# of a table: it takes nothing of that run's for a leftover, and neither
# says a word. The run beside reads a copy of the tables, so that the lock
# the stopped run holds on the table it indexes keeps it from nothing.
if pid_namespaces; then
  cp -r data ns-data
  caught_building=0
  for attempt in 1 2 3 4 5; do
    rm -rf cache ns
    "$WBQ4" hot.bq4 /I > /dev/null 2> builder.txt &
    builder=$!
    wait_for "tmp/bq4-$builder-*/*.ndx*" $builder && kill -STOP $builder 2> /dev/null &&
      [ -n "$(compgen -G "tmp/bq4-$builder-*/*.ndx*")" ] && caught_building=1
    mkdir -p ns && cp hot.bq4 ns/
    BQ4_DATA_DIR=$WORK/ns-data unshare --pid --fork "$WBQ4" ns/hot.bq4 /I > /dev/null 2> beside.txt
    code=$?
    kill -CONT $builder 2> /dev/null
    wait $builder
    built=$?
    [ $caught_building = 1 ] && break
  done
  check "a run stopped while it builds an entry" test $caught_building = 1
  check "... and a run beside it in another process namespace: both exit 0" test $built -eq 0 -a $code -eq 0
  check "... and neither says a word" test ! -s builder.txt -a ! -s beside.txt
  check "... and both reports are whole" whole hot.txt
  check "... the other one's too" whole ns/hot.txt
else
  echo "skip no process namespace can be made here"
fi

check "killed runs left files or folders" test $caught -gt 0
check "a later run clears what killed runs left; the run at work meanwhile writes every report whole" test $bad -eq 0
check "each file or folder of a killed run removed is named on stderr" test $unnamed -eq 0
check "nothing left in the temporary folder" test -z "$(ls -A tmp)"
check "no entry half built left in the cache" \
  test -z "$(ls cache/indexes | grep -v '^[a-z0-9_]*-[0-9a-f]*\.ndx$')$(ls cache/index-checksums | grep -v '^[a-z0-9_]*-[0-9a-f]*\.sum$')"

exit $fail
