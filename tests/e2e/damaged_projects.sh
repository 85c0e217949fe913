#!/bin/bash
# Damaged project files in the batch report: each exits 1 with a message on
# stderr that names the file in printable text, and writes no report.
# usage damaged_projects.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
good=$BUILD/data/samples/null.bq4
size=$(stat -c %s "$good")

refused() {  # description; the damaged file is x.bq4
  rm -f x.txt
  "$WBQ4" x.bq4 /I > /dev/null 2> err.txt
  local code=$?
  if [ $code -ne 1 ]; then echo "FAIL $1: exit $code"; fail=1
  elif ! grep -q "x.bq4" err.txt; then echo "FAIL $1: file not named"; fail=1
  elif LC_ALL=C grep -q '[[:cntrl:]]' err.txt; then echo "FAIL $1: control bytes on stderr"; fail=1
  elif [ -e x.txt ]; then echo "FAIL $1: report written"; fail=1
  else echo "ok   $1: $(head -c 160 err.txt | tr '\n' ' ')"; fi
}

# Each kind of damage is refused by the reader in the calculation's tests;
# here the batch run of a few: cut files, another encoding, a huge file and
# a number holding an escape sequence, which must not reach stderr.
for percent in 10 20 30 40 50 60 70 75 80 90; do
  head -c $((size * percent / 100)) "$good" > x.bq4
  refused "cut at $percent %"
done
iconv -f CP437 -t UTF-16 "$good" > x.bq4
refused "UTF-16"
{ cat "$good"; head -c 10485760 /dev/zero | tr '\0' 'x'; } > x.bq4
refused "10 MB"
# The third value line after "LAST" replaced.
awk '{ sub(/\r$/, "") } found && --left == 0 { $0 = "12\033[31m" }
  $0 == "LAST" { found = 1; left = 3 } { printf "%s\r\n", $0 }' "$good" > x.bq4
refused "escape sequence in a number"

exit $fail
