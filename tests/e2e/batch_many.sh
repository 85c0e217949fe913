#!/bin/bash
# Many projects in one run: each output byte for byte the one its own run
# writes (the six samples in several orders, for /I, /JSON and /CADi:j), a
# failing project named while the others go on, the exit code the highest.
# usage batch_many.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
DATA=$2
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
export BQ4_CACHE_DIR=$WORK/cache

samples=()
for sample in "$BUILD"/data/samples/*.bq4; do
  cp "$sample" .
  samples+=("$(basename "$sample")")
done
# Clock times of the report header, the DXF title block and the IGES global
# section differ between runs a minute apart: masked.
unclocked() { sed -E 's/[0-9]{1,2}:[0-9]{2}/T/g; s/[0-9]{6}\.[0-9]{6}/T/g' "$1"; }

for mode in /I /JSON /CAD1:13 /CAD2:13 /CAD5:8; do
  mkdir -p single
  for s in "${samples[@]}"; do
    "$WBQ4" "$s" $mode > /dev/null 2>&1
    for out in "${s%.bq4}".*; do [ "$out" != "$s" ] && mv "$out" single/; done
  done
  n=0
  for order in "${samples[*]}" "$(printf '%s\n' "${samples[@]}" | tac | tr '\n' ' ')" \
               "$(printf '%s\n' "${samples[@]}" | sort -R --random-source=<(yes) | tr '\n' ' ')"; do
    n=$((n + 1))
    # shellcheck disable=SC2086
    "$WBQ4" $order $mode > /dev/null 2> err.txt
    check "$mode, order $n: exit 0" test $? -eq 0
    for f in single/*; do
      check "$mode, order $n: $(basename "$f") as its own run wrote it" \
        cmp -s <(unclocked "$f") <(unclocked "$(basename "$f")")
      rm -f "$(basename "$f")"
    done
  done
  rm -rf single
done

# A project that fails is named with its reason; the others are written; the
# exit code is the highest of the single runs.
cp "$DATA/project/fatal.bq4" fatal.bq4
printf 'not a project\r\n' > bad.bq4
"$WBQ4" hot.bq4 /I > /dev/null 2>&1 && mv hot.txt hot.single.txt
"$WBQ4" null.bq4 fatal.bq4 bad.bq4 missing.bq4 hot.bq4 /I > /dev/null 2> err.txt
check "mixed run: exit 2, the highest" test $? -eq 2
check "mixed run: the fatal joint named" grep -q "fatal.bq4: the joint cannot be calculated" err.txt
check "mixed run: the unreadable file named" grep -q "bad.bq4" err.txt
check "mixed run: the missing file named" grep -q "missing.bq4" err.txt
check "mixed run: the good projects written" test -s null.txt -a -s hot.txt
check "mixed run: a project after failed ones as its own run wrote it" \
  cmp -s <(unclocked hot.single.txt) <(unclocked hot.txt)
check "mixed run: no report for the others" test ! -e fatal.txt -a ! -e bad.txt
"$WBQ4" null.bq4 bad.bq4 /JSON > /dev/null 2>&1
check "a load failure after a good project: exit 1" test $? -eq 1
"$WBQ4" null.bq4 hot.bq4 /CAD3:1 > /dev/null 2> err.txt
check "a bad switch refuses the whole run" test $? -eq 1
check "the bad switch is named once" test "$(grep -c CAD3 err.txt)" -eq 1

# Six runs started together on one empty index cache: each builds what it
# needs, whoever else builds it, and says nothing.
for round in 1 2 3; do
  export BQ4_CACHE_DIR=$WORK/cache$round
  for i in 1 2 3 4 5 6; do mkdir -p "par$i"; cp hot.bq4 "par$i/"; done
  for i in 1 2 3 4 5 6; do ("$WBQ4" "par$i/hot.bq4" /I > /dev/null 2> "par$i/err.txt"; echo $? > "par$i/rc") & done
  wait
  for i in 1 2 3 4 5 6; do
    check "six runs on an empty cache, round $round, run $i: exit 0, nothing on stderr" \
      test "$(cat "par$i/rc")" = 0 -a ! -s "par$i/err.txt"
  done
done
export BQ4_CACHE_DIR=$WORK/cache

# Progress on a terminal only: through script(1) when it is there.
list=$(for i in $(seq 1 21); do cp null.bq4 "p$i.bq4"; echo "p$i.bq4"; done)
# shellcheck disable=SC2086
"$WBQ4" $list /I > /dev/null 2> err.txt
check "no progress when stderr is no terminal" test ! -s err.txt
if command -v script > /dev/null; then
  # script(1) hands its command to $SHELL or /bin/sh: the program's path goes
  # by the environment, since bash's quoting of a non-ASCII name ($'...')
  # is not the POSIX shell's.
  # shellcheck disable=SC2016,SC2086
  WBQ4=$WBQ4 script -qec '"$WBQ4" '"$(echo $list)"' /I' /dev/null > tty.txt 2>&1
  check "progress on a terminal" grep -q "21/21" tty.txt
fi

exit $fail
