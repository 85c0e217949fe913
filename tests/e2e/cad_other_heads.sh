#!/bin/bash
# Drawings of heads whose table rows carry a top-edge radius or a recess,
# as a user gets them from edited tables, read back by ezdxf (and the IGES
# files of the same drawings by an independent CAD kernel): the cheese
# head's corner arcs and the special head's recess lines; the slotted
# countersunk heads are drawn from edited rows too.
# usage: cad_other_heads.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
export BQ4_CACHE_DIR=$WORK/cache
cp -r "$BUILD/data" data
export BQ4_DATA_DIR=$WORK/data

# setrow table key value FIELD=value...: number fields of the rows whose key
# field holds value, written in place in the table's own field widths.
setrow() {
  python3 - "data/tables/$1.dbf" "${@:2}" << 'EOF'
import struct, sys
path, key, keyval = sys.argv[1], sys.argv[2], float(sys.argv[3])
sets = dict(a.split("=") for a in sys.argv[4:])
d = bytearray(open(path, "rb").read())
count, header, record = struct.unpack("<IHH", d[4:12])
fields, off, pos = {}, 1, 32
while d[pos] != 0x0D:
    fields[d[pos:pos + 11].split(b"\0")[0].decode()] = (off, d[pos + 16], d[pos + 17])
    off += d[pos + 16]
    pos += 32
hits = 0
for i in range(count):
    r = header + i * record
    o, n, _ = fields[key]
    if abs(float(d[r + o:r + o + n]) - keyval) < 1e-9:
        hits += 1
        for name, value in sets.items():
            o, n, dec = fields[name]
            d[r + o:r + o + n] = ("%*.*f" % (n, dec, float(value))).encode()
open(path, "wb").write(d)
sys.exit(0 if hits else 1)
EOF
}

# The sample's M12 bolt with each head: the slotted heads' M10 rows serve as
# M12 rows, the cheese head with a top-edge radius of 1, the special head
# with a recess of 18 under a head of 19.2 with a top-edge radius of 1.2.
check "tables edited" setrow cylslot D 10 D=12 RF=1 NOROUND=0
check "tables edited" setrow din963 D 10 D=12
check "tables edited" setrow din964 D 10 D=12
check "tables edited" setrow sondkopf D 12 DK=19.2 K=8.4 RF=1.2 DI=18
mkdir -p dxf igs
for head in 3 4 6 7; do
  awk -v h=$head '{ if (prev == "SCHRAUBE") $0 = h "\r"; prev = $0; sub(/\r$/, "", prev); print }' \
    data/samples/hot.bq4 > head$head.bq4
  for device in 1 2; do
    ext=$([ $device = 1 ] && echo dxf || echo igs)
    "$WBQ4" head$head.bq4 /CAD$device:5 > /dev/null 2> err.txt
    check "head $head, /CAD$device:5: written" test -s head$head.$ext
    mv head$head.$ext $ext/ 2> /dev/null
    cat err.txt
  done
done

if PY=$(python_with ezdxf); then
  CHECK=$BUILD/tests/iges_reader/bq4_iges_reader_check
  IGES=
  if [ -x "$CHECK" ]; then
    "$CHECK" "$PWD"/igs/*.igs > iges.txt || fail=1
    IGES=$PWD/iges.txt
  else
    echo "skip IGES reader: OpenCASCADE (libocct-data-exchange-dev) is not installed"
  fi
  "$PY" - "$IGES" << 'EOF' || fail=1
import os, re, sys
import ezdxf

def entities(path):
    def walk(es):
        for e in es:
            if e.dxftype() == "INSERT":
                yield from walk(e.virtual_entities())
            else:
                yield e
    if not os.path.exists(path):
        return []
    return list(walk(ezdxf.readfile(path).modelspace()))

bad = []
def check(what, ok):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        bad.append(what)

def near(a, b, eps=1e-3):
    return abs(a - b) < eps

# The cheese head (dK 16, k 6, rf 1): each corner arc runs from the top face
# to the upper end of its side line, where it meets the line: the left one
# from 90 to 175 deg, the right one from 5 to 90 deg.
head6 = entities("dxf/head6.dxf")
arcs = [e for e in head6 if e.dxftype() == "ARC" and near(e.dxf.radius, 1)]
check("cheese head: two corner arcs", len(arcs) == 2)
left = [a for a in arcs if a.dxf.center.x < 0]
right = [a for a in arcs if a.dxf.center.x > 0]
check("cheese head: left arc 90 to 175",
      len(left) == 1 and near(left[0].dxf.start_angle, 90) and near(left[0].dxf.end_angle, 175))
check("cheese head: right arc 5 to 90",
      len(right) == 1 and near(right[0].dxf.start_angle, 5) and near(right[0].dxf.end_angle, 90))
ends = [p for e in head6 if e.dxftype() == "LINE" for p in (e.dxf.start, e.dxf.end)]
for a, free in ((left, "end_point"), (right, "start_point")):
    if a:
        point = getattr(a[0], free)
        gap = min((point - p).magnitude for p in ends)
        check("cheese head: the %s arc meets its side line (gap %.6f)" % ("left" if a is left else "right", gap),
              gap < 1e-5)

# The special head (dK 19.2, rf 1.2, di 18): the recess at x = +-9 lies beyond
# the flat top (dK/2 - rf = 8.4), so the hidden lines end at the corner arc
# about (8.4, 7.2), at 7.2 + sqrt(1.2^2 - 0.6^2) = 8.2392.
recess = [e for e in entities("dxf/head7.dxf") if e.dxftype() == "LINE" and e.dxf.layer == "2"
          and near(abs(e.dxf.start.x), 9) and near(e.dxf.start.x, e.dxf.end.x)]
check("special head: two recess lines", len(recess) == 2)
check("special head: recess lines from 0 to 8.2392",
      all(near(min(e.dxf.start.y, e.dxf.end.y), 0) and near(max(e.dxf.start.y, e.dxf.end.y), 8.23923)
          for e in recess))

# The IGES file of each drawing gives the edges its DXF file shows.
if sys.argv[1]:
    counts = {}
    for line in open(sys.argv[1]):
        m = re.match(r"ok +(.+) \(entities \d+, roots \d+/\d+, edges (\d+)\)", line)
        if m:
            counts[os.path.splitext(os.path.basename(m.group(1)))[0]] = int(m.group(2))
    for head in (3, 4, 6, 7):
        shown = sum(1 for e in entities("dxf/head%d.dxf" % head)
                    if e.dxftype() in ("ARC", "CIRCLE") or (e.dxftype() == "LINE" and not e.dxf.start.isclose(e.dxf.end)))
        check("head %d: the IGES file read with %s edges, the DXF file shows %d" % (head, counts.get("head%d" % head), shown),
              counts.get("head%d" % head) == shown)
sys.exit(1 if bad else 0)
EOF
else
  echo "skip DXF reader: python3-ezdxf is not installed"
fi
exit $fail
