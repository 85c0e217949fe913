#!/bin/bash
# The CAD batch mode "/CADi:j" of the command line, run on the built wbq4 in
# a folder of its own: usage batch_cad.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
DATA=$2
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
fail=0
check() {  # description, condition...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; fail=1; fi
}

cp "$BUILD/data/samples/null.bq4" x.bq4

# An item beyond 14 draws nothing and still succeeds.
"$WBQ4" x.bq4 /CAD1:99 /NOGUI > /dev/null 2> err.txt
check "/CAD1:99 exits 0" test $? -eq 0
check "/CAD1:99 writes no drawing" test ! -e x.dxf

# A file that cannot be loaded: exit 1 and no drawing.
printf 'not a project\r\n' > bad.bq4
"$WBQ4" bad.bq4 /CAD1:8 > /dev/null 2> err.txt
check "unreadable file exits 1" test $? -eq 1
check "unreadable file is named" grep -q "bad.bq4" err.txt
check "no drawing for it" test ! -e bad.dxf

PY=""
for p in python3 /usr/bin/python3; do "$p" -c "import ezdxf" 2>/dev/null && { PY=$p; break; }; done
readable_dxf() {  # file: opens with an independent reader and holds entities
  if [ -z "$PY" ]; then echo "skip DXF reader: python3-ezdxf is not installed"; return 0; fi
  "$PY" -c "import ezdxf,sys; d=ezdxf.readfile(sys.argv[1]); sys.exit(0 if len(d.modelspace()) > 0 else 1)" "$1"
}

# Diagram kind 1 as a DXF file beside the project, and as a text listing.
"$WBQ4" x.bq4 /CAD1:8 > /dev/null 2> err.txt
check "/CAD1:8 exits 0" test $? -eq 0
check "/CAD1:8 writes x.dxf" test -s x.dxf
check "x.dxf reads as DXF" readable_dxf x.dxf
"$WBQ4" x.bq4 /CAD5:8 > /dev/null 2>&1
check "/CAD5:8 exits 0" test $? -eq 0
check "/CAD5:8 writes the listing x.txt" test -s x.txt

# The drawing sheet and the forces table.
rm -f x.dxf
"$WBQ4" x.bq4 /CAD1:13 > /dev/null 2> err.txt
check "/CAD1:13 exits 0" test $? -eq 0
check "/CAD1:13 writes the sheet" readable_dxf x.dxf
mkdir -p sub && cp x.bq4 sub/y.bq4
"$WBQ4" sub/y.bq4 /CAD1:14 /NOGUI > /dev/null 2>&1
check "/CAD1:14 exits 0" test $? -eq 0
check "the forces table lies beside its project" test -s sub/y.dxf

# A joint the calculation cannot handle: exit 2, its messages on stderr.
cp "$DATA/project/fatal.bq4" fatal.bq4
"$WBQ4" fatal.bq4 /CAD1:1 > /dev/null 2> err.txt
check "fatal joint exits 2" test $? -eq 2
check "no drawing for the fatal joint" test ! -e fatal.dxf
# The front view of the joint as a DXF file, and the bottom view as IGES.
rm -f x.dxf
"$WBQ4" x.bq4 /CAD1:1 > /dev/null 2> err.txt
check "/CAD1:1 exits 0" test $? -eq 0
check "/CAD1:1 writes x.dxf" test -s x.dxf
check "x.dxf ends with EOF" grep -q "^EOF" x.dxf
"$WBQ4" x.bq4 /CAD2:4 > /dev/null 2>&1
check "/CAD2:4 exits 0" test $? -eq 0
check "/CAD2:4 writes x.igs" test -s x.igs
exit $fail
