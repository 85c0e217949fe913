#!/bin/bash
# Without a display, a command line that needs the window says so, prints the
# command-line help and ends at once with exit code 2; the batch modes and
# the help still run. An explicit QT_QPA_PLATFORM keeps the window possible.
# usage no_display.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
cp "$BUILD/data/samples/null.bq4" x.bq4

# Runs wbq4 with no display and no platform chosen, at most 5 s.
bare() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 5 "$WBQ4" "$@" > out.txt 2> err.txt; }

for line in "" "x.bq4" "x.bq4 /X" "/X" "x.bq4 /E" "/NOGUI x.bq4 /G"; do
  start=$(date +%s%N)
  # shellcheck disable=SC2086
  bare $line
  code=$?
  elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
  check "wbq4 $line: exit 2 (was $code)" test "$code" -eq 2
  check "wbq4 $line: ends within a second (${elapsed} ms)" test "$elapsed" -lt 1000
  check "wbq4 $line: says a display is needed" grep -q "no display" err.txt
  check "wbq4 $line: prints the help" grep -q "Filename \[/I\] \[/CADi:j\]" err.txt
done

# The window on the offscreen platform answers its dialogs as a batch run
# does (the text on stderr) and ends with an exit code, never an abort: a
# project in a folder that is not there can be neither loaded nor created.
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen BQ4_CONFIG_DIR="$PWD/config" timeout 20 "$WBQ4" nodir/y.bq4 > out.txt 2> err.txt
code=$?
check "offscreen window, nodir/y.bq4: exit 1 (was $code)" test "$code" -eq 1
check "offscreen window, nodir/y.bq4: the message on stderr" grep -q "y.bq4" err.txt
check "offscreen window, nodir/y.bq4: no abort" test "$(grep -c "no scripted answer" err.txt)" -eq 0

bare x.bq4 /I
check "the batch report needs no display" test $? -eq 0
check "the report is written" test -s x.txt
bare "?"
check "the help needs no display: exit 0" test $? -eq 0
check "the help is on stdout" grep -q "Command Line Mode" out.txt

exit $fail
