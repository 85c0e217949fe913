#!/bin/bash
# The batch modes of the command line, the report "/I" of good and damaged
# projects and the drawings "/CADi:j", run on the built wbq4 in a folder of
# its own:
# usage batch_report.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
DATA=$2
BUILD=$3
. "$(dirname "$0")/work_folder.bash"

# A good project: exit 0 and the report beside it, byte for byte the golden
# report of the sample below its lines of date and file name.
cp "$BUILD/data/samples/null.bq4" x.bq4
"$WBQ4" x.bq4 /I > out.txt 2> err.txt
check "/I exits 0" test $? -eq 0
check "nothing on stderr" test ! -s err.txt
check "/I writes the golden report" cmp <(tail -n +3 x.txt) <(tail -n +3 "$DATA/project/null.tab.txt")

# /NOGUI anywhere, lower-case switch, a path in another folder.
mkdir -p sub && cp "$BUILD/data/samples/hot.bq4" sub/hot.bq4
"$WBQ4" /NOGUI sub/hot.bq4 /i > /dev/null 2>&1
check "/NOGUI first, /i: exit 0" test $? -eq 0
check "report beside the project in sub/" test -s sub/hot.txt

# A file that cannot be loaded: exit 1 with a message on stderr that names
# the file in printable text, and no report.
size=$(stat -c %s x.bq4)
refused() {  # description; the damaged file is bad.bq4
  rm -f bad.txt
  "$WBQ4" bad.bq4 /I /NOGUI > /dev/null 2> err.txt
  check "$1: exit 1" test $? -eq 1
  check "$1: the message names the file" grep -q "bad.bq4" err.txt
  check "$1: no control bytes on stderr" bash -c "! LC_ALL=C grep -q '[[:cntrl:]]' err.txt"
  check "$1: no report" test ! -e bad.txt
}

# Each kind of damage is refused by the reader in the calculation's tests;
# here the batch run of a few: cut files, another encoding, a huge file and
# a number holding an escape sequence, which must not reach stderr.
for percent in 10 20 30 40 50 60 70 75 80 90; do
  head -c $((size * percent / 100)) x.bq4 > bad.bq4
  refused "cut at $percent %"
done
iconv -f CP437 -t UTF-16 x.bq4 > bad.bq4
refused "UTF-16"
{ cat x.bq4; head -c 10485760 /dev/zero | tr '\0' 'x'; } > bad.bq4
refused "10 MB"
# The third value line after "LAST" replaced.
awk '{ sub(/\r$/, "") } found && --left == 0 { $0 = "12\033[31m" }
  $0 == "LAST" { found = 1; left = 3 } { printf "%s\r\n", $0 }' x.bq4 > bad.bq4
refused "escape sequence in a number"

printf 'not a project\r\n' > bad.bq4
refused "not a project file"
"$WBQ4" missing.bq4 /I > /dev/null 2>&1
check "missing file exits 1" test $? -eq 1

# A joint the calculation cannot handle: exit 2, its messages on stderr.
cp "$DATA/project/fatal.bq4" fatal.bq4
"$WBQ4" fatal.bq4 /I > /dev/null 2> err.txt
check "fatal joint exits 2" test $? -eq 2
check "fatal messages on stderr" grep -q "dK = 0! (screw head)" err.txt
check "no report for the fatal joint" test ! -e fatal.txt

# Help on stdout without a display.
"$WBQ4" "?" > help.txt 2>&1
check "? exits 0" test $? -eq 0
check "? prints the help" grep -q "BQ4 Command Line Mode" help.txt
"$WBQ4" "/?" > help2.txt 2>&1
check "/? prints the same help" cmp -s help.txt help2.txt

# A name without "." in its file part is told, and ends as the help does; a
# dotted folder does not count.
"$WBQ4" dir.v2/x > /dev/null 2> err.txt
check "name without . exits 0" test $? -eq 0
check "name without . is told" grep -q "extension .bq4 missing" err.txt

# The first switch decides; each parameter after it is named as not used.
rm -f x.json
"$WBQ4" x.bq4 /I /JSON /NOGUI extra.bq4 > /dev/null 2> err.txt
check "/I /JSON: exit 0" test $? -eq 0
check "/I /JSON: /JSON named as not used" grep -q "^/JSON: not used; the first switch, /I, decides" err.txt
check "/I /JSON: extra.bq4 named as not used" grep -q "^extra.bq4: not used" err.txt
check "/I /JSON: nothing else on stderr" test "$(wc -l < err.txt)" -eq 2
check "/I /JSON: no x.json" test ! -e x.json

# A TAB or another control byte in a text field is a blank in the TAB file:
# the title line stays one field.
awk 'NR == 5 { sub(/sample/, "sam\tple\001") } { print }' x.bq4 > tab.bq4
"$WBQ4" tab.bq4 /I > /dev/null 2>&1
check "TAB in the title: exit 0" test $? -eq 0
check "TAB in the title: a blank" grep -q "^BQ4 sam ple  project$" tab.txt
check "TAB in the title: no control byte but TAB" bash -c "! LC_ALL=C grep -q \$'[\\x01-\\x08\\x0b-\\x1f]' tab.txt"

# The CAD batch mode "/CADi:j" (every drawing of every sample, read back by
# other programs, is checked in cad_readers.sh); a switch that names no device
# or item is refused (batch_failures.sh).
# Diagram kind 1 as a text listing, x.lst: the report x.txt stays.
"$WBQ4" x.bq4 /I > /dev/null 2>&1
cp x.txt report.txt
"$WBQ4" x.bq4 /CAD5:8 > /dev/null 2>&1
check "/CAD5:8 exits 0" test $? -eq 0
check "/CAD5:8 writes the listing x.lst" test -s x.lst
check "/CAD5:8 leaves the report x.txt alone" cmp -s x.txt report.txt
# The forces table of a project in another folder lies beside it.
"$WBQ4" sub/hot.bq4 /CAD1:14 /NOGUI > /dev/null 2>&1
check "the forces table lies beside its project" test -s sub/hot.dxf
# A file that cannot be loaded, a joint that cannot be calculated: their
# exit codes and no drawing (the messages are those of /I).
"$WBQ4" bad.bq4 /CAD1:8 > /dev/null 2> err.txt
check "/CAD1:8 of the unreadable file exits 1" test $? -eq 1
check "no drawing for it" test ! -e bad.dxf
"$WBQ4" fatal.bq4 /CAD1:1 > /dev/null 2> err.txt
check "/CAD1:1 of the fatal joint exits 2" test $? -eq 2
check "no drawing for the fatal joint" test ! -e fatal.dxf

# The batch program loads no Qt library, neither directly nor through
# another library; the window is the program beside it.
# Linked statically (outside the sanitizer builds), it loads none at all.
LC_ALL=C ldd "$WBQ4" > loaded.txt 2>&1  # its words in English on every desktop
check "wbq4 loads its libraries or none" grep -qE "libc\.so|not a dynamic executable" loaded.txt
check "wbq4 loads no Qt library" bash -c "! grep -qi qt loaded.txt"
check "the window program lies beside wbq4" test -x "$(dirname "$WBQ4")/wbq4-gui"

exit $fail
