#!/usr/bin/env bash
# Every calculation table built from data/tables/*.csv opens with an
# independent reader (python3-dbfread), has the columns its source defines in
# that order and width, and holds every source row with the same values.
# Arguments: wbq4 (unused), test data directory, build directory.
set -euo pipefail
build="$3"
src="$(cd "$(dirname "$0")/../../data/tables" && pwd)"
exec "$(command -v /usr/bin/python3 || command -v python3)" - "$src" "$build/data/tables" <<'PY'
import csv, glob, os, sys
import dbfread

src, built = sys.argv[1], sys.argv[2]
# Columns each reader takes by position: table -> minimum field count and the
# types of the numeric columns it reads (1-based).
readers = {
    "gewinde": (8, [2, 3, 7, 8]), "din912": (13, [1, 3, 4, 5, 6, 7, 8, 9, 10]),
    "din931": (11, [1, 3, 4, 5, 6, 7, 8]), "din963": (11, [1, 3, 4, 5, 6, 7, 8]),
    "din964": (12, [1, 3, 4, 5, 6, 7, 8, 9]), "iso10642": (11, [1, 3, 4, 5, 6, 7, 8]),
    "cylslot": (14, [1, 3, 4, 5, 6, 7, 8, 9, 10, 11]), "sondkopf": (12, [1, 3, 4, 5, 6, 7, 8, 9]),
    "flangesc": (14, [1, 3, 4, 5, 6, 7, 8, 9]), "pressung": (9, [2, 3, 4, 5, 6, 7, 9]),
    "mat_p_1": (9, [2, 3, 4, 5, 6, 7, 9]), "din934": (6, [1, 2, 3, 4]), "din6915": (6, [1, 2, 3, 4]),
    "flangnut": (10, [1, 3, 4, 5, 6, 7]), "anzieh": (5, [1, 2]), "mue_g": (6, [1]), "mue_k": (6, [1]),
    "mue_tr": (6, [1]), "klemmstk": (5, [2, 3, 4]), "lschraub": (3, [1]),
    "mat_bolt": (9, [2, 3, 4, 5, 6, 9]), "mue_gtol": (3, [2, 3]), "mue_ktol": (3, [2, 3]),
    "mue_gtm": (3, [2, 3]), "mat_b_re": (10, list(range(2, 11))), "mat_p_re": (10, list(range(2, 11))),
    "mat_b_e": (9, list(range(2, 10))), "mat_p_e": (9, list(range(2, 10))),
    "mat_b_sa": (10, list(range(2, 11))),
    "bq4help": (2, [1]), "printout": (9, [2, 3, 4, 5]),
}
failures = []
sources = sorted(glob.glob(os.path.join(src, "*.csv")))
names = {os.path.basename(s)[:-4] for s in sources}
if names != set(readers):
    failures.append("tables without a check or without a source: %s" % sorted(names ^ set(readers)))
for source in sources:
    name = os.path.basename(source)[:-4]
    with open(source, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    defs = [d.split(":") for d in rows[0]]
    path = os.path.join(built, name + ".dbf")
    try:
        table = dbfread.DBF(path, encoding="cp437", char_decode_errors="strict")
        records = list(table)
    except Exception as e:  # noqa: BLE001 - any failure of the reader is a finding
        failures.append("%s: %s" % (path, e))
        continue
    got = [(fd.name, fd.type, fd.length, fd.decimal_count) for fd in table.fields]
    want = [(d[0], d[1], int(d[2]) if len(d) > 2 else {"D": 8, "L": 1}[d[1]],
             int(d[3]) if len(d) > 3 else 0) for d in defs]
    if got != want:
        failures.append("%s: fields %s, source defines %s" % (name, got, want))
    need, numeric = readers[name]
    if len(got) < need:
        failures.append("%s: %d fields, its reader takes %d" % (name, len(got), need))
    for col in numeric:
        if col <= len(got) and got[col - 1][1] not in "NF":
            failures.append("%s: column %d read as a number is of type %s" % (name, col, got[col - 1][1]))
    if len(records) != len(rows) - 1:
        failures.append("%s: %d records, source has %d rows" % (name, len(records), len(rows) - 1))
        continue
    for i, (rec, row) in enumerate(zip(records, rows[1:]), start=2):
        for (fname, ftype, _, _), text in zip(got, row):
            value = rec[fname]
            if ftype in "NF":
                ok = (value is None and text == "") or (value is not None and text != "" and abs(value - float(text)) < 1e-9 + 1e-9 * abs(value))
            elif ftype == "L":
                ok = value == (text != "" and text in "TtYy")
            else:
                ok = (value or "") == text
            if not ok:
                failures.append("%s line %d: %s is %r, source %r" % (name, i, fname, value, text))
print("%d tables checked" % len(sources))
if failures:
    print("\n".join(failures))
    sys.exit(1)
PY
