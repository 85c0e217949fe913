#!/bin/bash
# The CAD batch mode "/CADi:j" of the command line, run on the built wbq4 in
# a folder of its own: usage batch_cad.sh <wbq4> <tests/data dir> <build dir>
# (every drawing of every sample, read back by other programs, is checked in
# cad_readers.sh).
set -u
WBQ4=$1
DATA=$2
BUILD=$3
. "$(dirname "$0")/work_folder.bash"

cp "$BUILD/data/samples/null.bq4" x.bq4

# An item beyond 14 draws nothing and still succeeds.
"$WBQ4" x.bq4 /CAD1:99 /NOGUI > /dev/null 2> err.txt
check "/CAD1:99 exits 0" test $? -eq 0
check "/CAD1:99 writes no drawing" test ! -e x.dxf

# A file that cannot be loaded: exit 1 and no drawing (its message is
# checked in batch_report.sh: both modes share the loader).
printf 'not a project\r\n' > bad.bq4
"$WBQ4" bad.bq4 /CAD1:8 > /dev/null 2> err.txt
check "unreadable file exits 1" test $? -eq 1
check "no drawing for it" test ! -e bad.dxf

# Diagram kind 1 as a text listing.
"$WBQ4" x.bq4 /CAD5:8 > /dev/null 2>&1
check "/CAD5:8 exits 0" test $? -eq 0
check "/CAD5:8 writes the listing x.txt" test -s x.txt

# The forces table of a project in another folder lies beside it.
mkdir -p sub && cp x.bq4 sub/y.bq4
"$WBQ4" sub/y.bq4 /CAD1:14 /NOGUI > /dev/null 2>&1
check "/CAD1:14 exits 0" test $? -eq 0
check "the forces table lies beside its project" test -s sub/y.dxf
check "sub/y.dxf ends with EOF" grep -q "^EOF" sub/y.dxf

# A joint the calculation cannot handle: exit 2, its messages on stderr.
cp "$DATA/project/fatal.bq4" fatal.bq4
"$WBQ4" fatal.bq4 /CAD1:1 > /dev/null 2> err.txt
check "fatal joint exits 2" test $? -eq 2
check "no drawing for the fatal joint" test ! -e fatal.dxf
exit $fail
