#!/bin/bash
# Every drawing of every sample read back by programs other than ours: the
# IGES files (/CAD2) by an independent CAD kernel (every root transferred),
# the DXF files (/CAD1) by ezdxf (texts decode, layers declared, audit without
# errors, extents, no line twice, table texts inside their cells), both by
# FreeCAD where it is installed (as many edges as the other readers found),
# and each IGES file against the DXF file of the same drawing (the edges the
# kernel builds are those ezdxf shows).
# usage: cad_readers.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
mkdir -p igs dxf

cp "$BUILD"/data/samples/*.bq4 .
# A through-bolted joint with a flange-head bolt and a hex flange nut, whose
# nut is a block of the joint drawings.
awk '{ if (prev == "SCHRAUBE") $0 = "8\r"; if (prev == "MUTTER") $0 = "3\r"; prev = $0; sub(/\r$/, "", prev); print }' \
  hot.bq4 > flange.bq4
for sample in *.bq4; do
  name=$(basename "$sample" .bq4)
  for item in $(seq 1 14); do
    for device in 1 2; do
      ext=$([ $device = 1 ] && echo dxf || echo igs)
      rm -f "$name.$ext"
      if "$WBQ4" "$name.bq4" /CAD$device:$item > /dev/null 2> err.txt && [ -s "$name.$ext" ]; then
        mv "$name.$ext" "$ext/${name}_$item.$ext"
      else
        echo "FAIL $name /CAD$device:$item: no drawing: $(head -c 300 err.txt)"
        fail=1
      fi
    done
  done
done

# FreeCAD's own importers read every file (Part.read for IGES), where FreeCAD
# is installed: the edges it builds are compared below with the other readers'.
FREECAD_OPT=()
if command -v freecadcmd > /dev/null; then
  mkdir -p home
  # Run from a copy here: FreeCAD imports the script as a module, and its
  # compiled form would land beside it.
  cp "$HERE/freecad_readers.py" .
  HOME=$PWD/home FREECAD_FILES="$(printf '%s\n' "$PWD"/dxf/*.dxf "$PWD"/igs/*.igs)" \
    freecadcmd "$PWD/freecad_readers.py" 2>&1 | grep -a -o "EDGES	.*\|ERROR .*" > freecad.txt
  grep "^ERROR" freecad.txt && fail=1
  FREECAD_OPT=("--freecad=$PWD/freecad.txt")
else
  echo "skip FreeCAD reader: freecadcmd (Debian package freecad) is not installed"
fi

CHECK=$BUILD/tests/iges_reader/bq4_iges_reader_check
if [ -x "$CHECK" ]; then
  "$CHECK" "$PWD"/igs/*.igs > iges.txt || fail=1
  grep -v "^ok " iges.txt
  # ok <path> (entities e, roots t/r, edges n), kept as tab-separated columns
  sed -n 's/^ok *\(.*\) (entities \([0-9]*\), roots \([0-9]*\)\/\([0-9]*\), edges \([0-9]*\))$/\1\t\2\t\3\t\4\t\5/p' \
    iges.txt > iges_counts.txt
  awk -F '\t' '{ e += $2; t += $3; r += $4; n += $5 } END {
    printf "IGES files read by the CAD kernel: %d of '"$(ls igs | wc -l)"', %d entities, %d of %d roots transferred, %d edges\n", NR, e, t, r, n }' iges_counts.txt
  if [ ${#FREECAD_OPT[@]} -gt 0 ]; then
    # FreeCAD builds the same edges from every IGES file as the kernel.
    awk -F '\t' 'NR == FNR { edges[$1] = $5; next } $1 == "EDGES" && $2 ~ /[.]igs$/ {
           if (edges[$2] != $3) { print "FAIL " $2 ": FreeCAD read " $3 " edges of " edges[$2]; bad = 1 } else ok++ }
         END { printf "IGES files read whole by FreeCAD: %d\n", ok; exit bad }' iges_counts.txt freecad.txt || fail=1
  fi
else
  echo "skip IGES reader: OpenCASCADE (libocct-data-exchange-dev) is not installed"
fi

IGES_OPT=()
[ -s iges_counts.txt ] && IGES_OPT=("--iges=$PWD/iges_counts.txt")
if PY=$(python_with ezdxf); then
  "$PY" "$HERE/dxf_readers.py" "${FREECAD_OPT[@]}" "${IGES_OPT[@]}" "$PWD"/dxf/*.dxf || fail=1
else
  echo "skip DXF reader: python3-ezdxf is not installed"
fi
exit $fail
