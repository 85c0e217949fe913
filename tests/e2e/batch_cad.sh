#!/bin/bash
# The CAD batch mode "/CADi:j" of the command line, run on the built wbq4 in
# a folder of its own: usage batch_cad.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
DATA=$2
BUILD=$3
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
export QT_QPA_PLATFORM=offscreen
export BQ4_CONFIG_DIR=$WORK/config
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

# Diagram kind 1 as a DXF file beside the project, read by an independent reader.
"$WBQ4" x.bq4 /CAD1:8 > /dev/null 2> err.txt
code=$?
if grep -q "not available" err.txt; then
  echo "skip diagram: not in this build"
  check "missing drawing is a failed run" test $code -ne 0
else
  check "/CAD1:8 exits 0" test $code -eq 0
  check "/CAD1:8 writes x.dxf" test -s x.dxf
  PY=""
  for p in python3 /usr/bin/python3; do "$p" -c "import ezdxf" 2>/dev/null && { PY=$p; break; }; done
  if [ -n "$PY" ]; then
    check "x.dxf reads as DXF" "$PY" -c "import ezdxf,sys; d=ezdxf.readfile('x.dxf'); sys.exit(0 if len(d.modelspace()) > 0 else 1)"
  else
    echo "skip DXF reader: python3-ezdxf is not installed"
  fi
  "$WBQ4" x.bq4 /CAD5:8 > /dev/null 2>&1
  check "/CAD5:8 exits 0" test $? -eq 0
fi
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
