#!/bin/bash
# Runs that share the temporary folder with a run in another process
# namespace, with runs killed at random moments, and outputs whose
# temporaries other programs hold: what a running program uses stays, what
# ended runs left goes, and each removal is named on stderr.
# usage batch_live_runs.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
export BQ4_CACHE_DIR=$WORK/cache
NULL=$BUILD/data/samples/null.bq4
cp "$NULL" h.bq4

# Temporaries of an output: one another program holds open, one under its
# flock, one nobody holds.
cp "$NULL" t.bq4
for name in Held01 Lockd1 Left01; do echo "$name" > "t.txt.~bq4$name"; done
sleep 60 < t.txt.~bq4Held01 &
holder=$!
# The lock is taken on a descriptor the sleeping process itself holds, so
# that killing it lets the lock and the test's output go at once.
(exec 9< t.txt.~bq4Lockd1; flock 9; exec sleep 60) &
locker=$!
# Both hold their file before the run starts.
for _ in $(seq 1 6000); do [[ "$(readlink "/proc/$holder/fd/0")" == *Held01 ]] && break; sleep 0.05; done
for _ in $(seq 1 6000); do [ -e "/proc/$locker" ] && flock -n t.txt.~bq4Lockd1 true || break; sleep 0.05; done
"$WBQ4" t.bq4 /I > /dev/null 2> err.txt
check "t.bq4 /I: exit 0" test $? -eq 0
check "a temporary another program holds open stays" grep -q Held01 t.txt.~bq4Held01
check "a temporary under another program's flock stays" grep -q Lockd1 t.txt.~bq4Lockd1
check "a temporary nobody holds goes, named on stderr" \
  bash -c "test ! -e t.txt.~bq4Left01 && grep -q 'removed .*t.txt.~bq4Left01' err.txt"
check "the temporaries other programs hold are named as kept, not as removed" \
  bash -c "grep -q 'kept .*t.txt.~bq4Held01, ' err.txt && grep -q 'kept .*t.txt.~bq4Lockd1, ' err.txt &&
    ! grep -q 'removed .*\(Held01\|Lockd1\)' err.txt"
kill "$holder" "$locker" 2> /dev/null
wait "$holder" "$locker" 2> /dev/null

# Six runs of one project at once beside a hundred temporaries that killed
# runs left, while cat and another reader read those over and over: each run opens them to
# clear them, and so do the others. No run ends by a signal; each temporary
# is removed or kept, and named so on stderr. Five times over.
cp "$NULL" hot.bq4
signalled=0
failed=0
unnamed=0
for round in $(seq 1 5); do
  for i in $(seq 1 100); do printf 'left %d\n' "$i" > "$(printf 'hot.txt.~bq4Lf%04d' "$i")"; done
  (while :; do cat hot.txt.~bq4Lf* > /dev/null 2>&1; done) &
  cat_loop=$!
  # and a reader that opens them faster than cat can start
  python3 -c '
import glob
names = glob.glob("hot.txt.~bq4Lf*")
while True:
    for n in names:
        try:
            open(n, "rb").close()
        except OSError:
            pass
' &
  reader=$!
  runs=()
  for r in $(seq 1 6); do
    "$WBQ4" hot.bq4 /I > /dev/null 2> "hot$r.err" &
    runs+=($!)
  done
  for run in "${runs[@]}"; do
    wait "$run"
    code=$?
    [ $code -ge 128 ] && signalled=$((signalled + 1))
    [ $code -ne 0 ] && failed=$((failed + 1))
  done
  kill "$reader" "$cat_loop"
  wait "$reader" "$cat_loop" 2> /dev/null
  for i in $(seq 1 100); do
    f=$(printf 'hot.txt.~bq4Lf%04d' "$i")
    if [ -e "$f" ]; then word=kept; else word=removed; fi
    grep -q "$word .*/$f, " hot*.err || unnamed=$((unnamed + 1))
  done
  rm -f hot.txt.~bq4Lf*
done
check "30 runs, six at once, beside left temporaries that cat reads: none ends by a signal ($signalled did), all with 0" \
  test $signalled -eq 0 -a $failed -eq 0
check "each left temporary is removed or kept, and named so ($unnamed not)" test $unnamed -eq 0

# A long /CAD2 run in a process namespace of its own, under a number that no
# process of this namespace has, while runs here end one after another and
# clear what ended runs left: it keeps its folder and writes every drawing.
for i in $(seq 1 150); do cp "$NULL" "c$i.bq4"; done
if pid_namespaces; then
  gone=$(sh -c 'echo $$')
  unshare --pid --fork --mount-proc sh -c 'echo $(($1 - 1)) > /proc/sys/kernel/ns_last_pid; shift; "$@"; exit $?' \
    sh "$gone" "$WBQ4" c*.bq4 /CAD2:1 > /dev/null 2> ns.txt &
  inner=$!
  wait_for "tmp/bq4-$gone-*" $inner
  check "the run in its own namespace has its folder under number $gone" bash -c "compgen -G 'tmp/bq4-$gone-*' > /dev/null"
  runs=0
  while kill -0 "$inner" 2> /dev/null; do
    "$WBQ4" h.bq4 /I > /dev/null 2>> here.txt
    runs=$((runs + 1))
  done
  wait "$inner"
  code=$?
  check "the run in its own namespace ends with 0 while $runs runs ended here: $(head -c 300 ns.txt)" test $code -eq 0
  missing=0
  for i in $(seq 1 150); do [ -s "c$i.igs" ] || missing=$((missing + 1)); done
  check "every drawing of the run in its own namespace written ($missing missing)" test $missing -eq 0
  check "no folder of a running program named as removed" bash -c "! grep -q 'bq4-$gone-' here.txt"
else
  echo "skip no process namespace can be made here"
fi

# Runs killed at random moments while they use their folders: a later run
# removes what they left and names it; the folder of a run still at work stays.
bad=0
for k in $(seq 1 6); do
  "$WBQ4" c*.bq4 /CAD2:1 > /dev/null 2>&1 &
  killed=$!
  wait_for "tmp/bq4-$killed-??????" $killed  # made, not still being made
  sleep "0.$((RANDOM % 3))$((RANDOM % 10))"
  kill -9 "$killed" 2> /dev/null
  wait "$killed" 2> /dev/null
  left=$(ls -d tmp/bq4-"$killed"-* 2> /dev/null)
  "$WBQ4" c1.bq4 c2.bq4 /CAD2:1 > /dev/null 2> later.txt &
  later=$!
  "$WBQ4" h.bq4 /I > /dev/null 2> sweep.txt
  wait "$later" || { bad=$((bad + 1)); echo "kill $k: the later run failed: $(cat later.txt)"; }
  [ -z "$(ls -d tmp/bq4-"$killed"-* 2> /dev/null)" ] || { bad=$((bad + 1)); echo "kill $k: left $left"; }
  [ -z "$left" ] || grep -q "$left" sweep.txt later.txt ||
    { bad=$((bad + 1)); echo "kill $k: $left not named: $(cat sweep.txt later.txt)"; }
done
check "killed runs' folders are removed and named; a run at work meanwhile keeps its own" test $bad -eq 0
check "nothing left in the temporary folder" test -z "$(ls -A tmp)"

exit $fail
