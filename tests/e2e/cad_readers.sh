#!/bin/bash
# Every drawing of every sample read back by programs other than ours: the
# IGES files (/CAD2) by an independent CAD kernel, the DXF files (/CAD1) by
# ezdxf (texts decode, layers declared, audit without errors).
# usage: cad_readers.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
mkdir -p igs dxf

for sample in "$BUILD"/data/samples/*.bq4; do
  name=$(basename "$sample" .bq4)
  cp "$sample" "$name.bq4"
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

CHECK=$BUILD/tests/iges_reader/bq4_iges_reader_check
if [ -x "$CHECK" ]; then
  "$CHECK" igs/*.igs > iges.txt || fail=1
  grep -v "^ok " iges.txt
  echo "IGES files read by the CAD kernel: $(grep -c '^ok ' iges.txt) of $(ls igs | wc -l)"
else
  echo "skip IGES reader: OpenCASCADE (libocct-data-exchange-dev) is not installed"
fi

if PY=$(python_with ezdxf); then
  "$PY" "$HERE/dxf_readers.py" dxf/*.dxf || fail=1
else
  echo "skip DXF reader: python3-ezdxf is not installed"
fi
exit $fail
