#!/usr/bin/env bash
# Every head, nut and washer table holds each size its standard lists, the
# non-preferred ones included, and only sizes the thread table has.
# Arguments: wbq4 (unused), test data directory, build directory.
set -euo pipefail
exec "$(command -v /usr/bin/python3 || command -v python3)" - "$3/data/tables" <<'PY'
import os, sys
import dbfread

tables = sys.argv[1]
def rows(name):
    return list(dbfread.DBF(os.path.join(tables, name + ".dbf"), encoding="cp437"))

def sizes(first, last, extra=()):
    series = [1.6, 2, 2.5, 3, 3.5, 4, 5, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 27, 30, 33, 36, 39, 42, 45,
              48, 52, 56, 60, 64]
    return {d for d in series if first <= d <= last} | set(extra)

# table -> sizes of its standards (ISO 4032, ISO 4762 with DIN 912, ISO 4014, ISO 2009, ISO 2010,
# ISO 10642, ISO 1207, EN 1665, EN 1661, EN 14399-4)
heads_nuts = {
    "din934": sizes(1.6, 64), "din912": sizes(1.6, 64) - {3.5, 39, 45, 52, 60}, "din931": sizes(1.6, 64),
    "din963": sizes(1.6, 10), "din964": sizes(1.6, 10), "iso10642": sizes(3, 20) - {3.5, 18},
    "cylslot": sizes(1.6, 10), "flangesc": sizes(5, 20) - {18}, "flangnut": sizes(5, 20) - {18},
    "din6915": {12, 16, 20, 22, 24, 27, 30, 36},
}
threads = {round(r["D"], 3) for r in rows("gewinde")}
failures = []
for name, want in heads_nuts.items():
    have = [round(r["D"], 3) for r in rows(name)]
    if sorted(set(have)) != sorted(want):
        failures.append("%s: missing %s, beyond its standard %s" % (name, sorted(want - set(have)), sorted(set(have) - want)))
    if len(have) != len(set(have)):
        failures.append("%s: a size twice" % name)
    if set(have) - threads:
        failures.append("%s: sizes without a thread row %s" % (name, sorted(set(have) - threads)))

washers = {"ISO 7089": sizes(1.6, 64), "ISO 7090": sizes(5, 64), "ISO 7092": sizes(1.6, 36),
           "ISO 7093": sizes(3, 36), "EN 14399-6": {12, 16, 20, 22, 24, 27, 30, 36}}
have = {}
for r in rows("klemmstk"):
    std, _, d = r["NAME"].rpartition(" - ")
    have.setdefault(std, []).append(float(d))
    if r["DI"] <= float(d) or r["DE"] <= r["DI"] or r["H"] <= 0:
        failures.append("klemmstk: %s has di %s, de %s, h %s" % (r["NAME"], r["DI"], r["DE"], r["H"]))
for std, want in washers.items():
    got = have.get(std, [])
    if sorted(set(got)) != sorted(want) or len(got) != len(set(got)):
        failures.append("klemmstk %s: missing %s, beyond %s" % (std, sorted(want - set(got)), sorted(set(got) - want)))
print("%d tables checked" % (len(heads_nuts) + 1))
if failures:
    print("\n".join(failures))
    sys.exit(1)
PY
