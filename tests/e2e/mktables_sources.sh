#!/usr/bin/env bash
# bq4_mktables: a good source with quoted texts and code page 437 characters
# becomes a table an independent reader reads back; a damaged source is
# refused with a message naming the line, and leaves no table behind.
# Arguments: wbq4 (unused), test data directory, build directory.
set -euo pipefail
tool="$3/data/bq4_mktables"
. "$(dirname "$0")/work_folder.bash"
py=$(python_with dbfread)

printf 'NAME:C:20,MU:N:5:2,DAY:D,OK:L\n"a, b ""q""",0.126,20240131,T\n\xc2\xb5G 20\xc2\xb0C,,,\n' > "$WORK/good.csv"
"$tool" "$WORK/good.csv" "$WORK/good.dbf"
"$py" - "$WORK/good.dbf" <<'PY'
import sys, dbfread
recs = list(dbfread.DBF(sys.argv[1], encoding="cp437"))
assert len(recs) == 2, recs
assert recs[0]["NAME"] == 'a, b "q"', recs[0]
assert abs(recs[0]["MU"] - 0.13) < 1e-9, recs[0]       # rounded to the field's decimals
assert str(recs[0]["DAY"]) == "2024-01-31" and recs[0]["OK"] is True, recs[0]
assert recs[1]["NAME"] == "\u00b5G 20\u00b0C" and recs[1]["MU"] is None, recs[1]
PY

fails() {  # name, expected message part, source text
  printf '%b' "$3" > "$1.csv"
  check "$1: refused" bash -c "! '$tool' $1.csv $1.dbf 2> $1.err"
  check "$1: says why" grep -q -- "$2" "$1.err"
  check "$1: leaves no table behind" test ! -e "$1.dbf"
}
fails badtype 'is not C, N, F, D or L' 'A:X:3\n1\n'
fails longname 'must have 1 to 10 characters' 'ABCDEFGHIJK:C:3\nx\n'
fails nolength 'needs a length' 'A:C\nx\n'
fails toolong ':2: "abcd" is longer than 3' 'A:C:3\nabcd\n'
fails count ':3: 2 fields' 'A:C:3\nx\ny,z\n'
fails notnumber '"1,5" is not a number' 'A:N:5:2\n"1,5"\n'
fails nofit 'does not fit' 'A:N:4:2\n123.4\n'
fails charset 'character not in the table character set' 'A:C:5\n\xe2\x82\xac\n'
fails quote 'unterminated quoted field' 'A:C:5\n"abc\n'
fails empty 'is empty' ''
# Random damage to a real source: the tool either builds a table or says why,
# never crashes.
"$py" - "$WORK" "$HERE/../../data/tables/gewinde.csv" <<'PY'
import random, sys
work, source = sys.argv[1], sys.argv[2]
data = open(source, "rb").read()
rng = random.Random(2230)
for i in range(60):
    b = bytearray(data[: rng.randint(0, len(data))])
    for _ in range(rng.randint(1, 8)):
        if b:
            b[rng.randrange(len(b))] = rng.choice(b'",:\n\r\xc2\xb5x9-.')
    open("%s/fuzz%02d.csv" % (work, i), "wb").write(bytes(b))
PY
for f in "$WORK"/fuzz*.csv; do
  rc=0
  "$tool" "$f" "${f%.csv}.dbf" 2>/dev/null || rc=$?
  [ "$rc" -le 1 ] || { echo "$f: exit code $rc"; exit 1; }
done
exit $fail
