"""DXF files of the program read by ezdxf: each must decode its texts (no
code page 437 bytes read as Windows characters), declare every layer its
entities use and pass the audit without errors. Across all files the texts
hold the degree and micro signs (the drawings hold no plus-minus sign).

Beyond what the audit sees, each file must also have header extents that
cover all its geometry, hold no LINE twice in one block or layout, and keep
every table text (layer 18) inside its cell lines (layer 17). With
--freecad=<file> (lines "EDGES<tab><path><tab><n>" of freecad_readers.py) FreeCAD's
importer must have read as many edges as the file holds; with --iges=<file>
(tab-separated lines "<path> entities roots transferred edges" of the IGES reader) the IGES
file of the same drawing must give the edges this one shows."""
import logging
import os
import sys

import ezdxf
import ezdxf.bbox

logging.getLogger("matplotlib").setLevel(logging.ERROR)  # fonts it lacks and replaces

MISREAD = set("æøñ\ufffd")  # 437's µ ° ± read as Windows-1252, or undecodable
EXPECTED = set("°µ")
TABLE_TEXT, TABLE_LINE = "18", "17"
EPS = 1e-3


def edges(entities):
    """Edges of the geometry a CAD importer builds: inserts and polylines
    exploded, zero-length segments and filled solids left out."""
    n = 0
    for e in entities:
        kind = e.dxftype()
        if kind == "LINE":
            n += not e.dxf.start.isclose(e.dxf.end)
        elif kind in ("ARC", "CIRCLE"):
            n += 1
        elif kind in ("INSERT", "POLYLINE"):
            n += edges(e.virtual_entities())
    return n


def iges_edges(entities):
    """Edges the IGES file of the same drawing gives a CAD kernel: those of
    edges(), and the outline of each filled solid (its corners in the order
    1, 4, 3, 2, 1, at the IGES file's three decimals)."""
    n = edges(entities)
    for e in entities:
        kind = e.dxftype()
        if kind == "SOLID":
            corners = [(round(e.dxf.get(k).x, 3), round(e.dxf.get(k).y, 3)) for k in ("vtx0", "vtx3", "vtx2", "vtx1", "vtx0")]
            n += sum(a != b for a, b in zip(corners, corners[1:]))
        elif kind == "INSERT":
            n += iges_edges(list(e.virtual_entities())) - edges(e.virtual_entities())
    return n


def points(entities):
    """Points of the geometry (texts by their insertion point), inserts exploded."""
    for e in entities:
        kind = e.dxftype()
        if kind == "LINE":
            yield from (e.dxf.start, e.dxf.end)
        elif kind in ("ARC", "CIRCLE"):
            r = e.dxf.radius
            if kind == "CIRCLE":
                c = e.dxf.center
                yield from (c + (r, r), c - (r, r))
            else:
                yield from e.flattening(0.01)
        elif kind == "SOLID":
            yield from (e.dxf.vtx0, e.dxf.vtx1, e.dxf.vtx2, e.dxf.vtx3)
        elif kind == "TEXT":
            yield e.dxf.insert
        elif kind in ("INSERT", "POLYLINE"):
            yield from points(e.virtual_entities())


def duplicate_lines(layout):
    seen, repeated = set(), 0
    for e in layout.query("LINE"):
        ends = sorted([tuple(round(v, 4) for v in e.dxf.start), tuple(round(v, 4) for v in e.dxf.end)])
        key = (e.dxf.layer, *ends)
        repeated += key in seen
        seen.add(key)
    return repeated


def texts_crossing_cells(layout):
    """Table texts whose box a cell line crosses: the box as ezdxf measures the
    text, widened to the program's own model of a character (height times
    width factor)."""
    lines = [e for e in layout.query("LINE") if e.dxf.layer == TABLE_LINE]
    crossing = []
    for t in layout.query("TEXT"):
        if t.dxf.layer != TABLE_TEXT or abs(t.dxf.get("rotation", 0)) > EPS:
            continue
        x0, y0 = t.dxf.insert.x, t.dxf.insert.y
        x1 = x0 + len(t.dxf.text) * t.dxf.height * t.dxf.get("width", 1)
        y1 = y0 + t.dxf.height
        measured = ezdxf.bbox.extents([t])
        if measured.has_data:
            x0, y0 = min(x0, measured.extmin.x), min(y0, measured.extmin.y)
            x1, y1 = max(x1, measured.extmax.x), max(y1, measured.extmax.y)
        for e in lines:
            (ax, ay), (bx, by) = e.dxf.start.vec2, e.dxf.end.vec2
            if abs(ax - bx) < EPS and x0 + EPS < ax < x1 - EPS and min(ay, by) < y1 - EPS and max(ay, by) > y0 + EPS:
                crossing.append(t.dxf.text)
                break
            if abs(ay - by) < EPS and y0 + EPS < ay < y1 - EPS and min(ax, bx) < x1 - EPS and max(ax, bx) > x0 + EPS:
                crossing.append(t.dxf.text)
                break
    return crossing


freecad = {}
iges = {}
files = []
for arg in sys.argv[1:]:
    if arg.startswith("--iges="):
        # lines "<path>\tentities\troots\ttransferred\tedges" of the IGES reader
        for line in open(arg.split("=", 1)[1]):
            parts = line.rstrip("\n").split("\t")
            if len(parts) == 5:
                iges[os.path.splitext(os.path.basename(parts[0]))[0]] = int(parts[4])
    elif arg.startswith("--freecad="):
        for line in open(arg.split("=", 1)[1]):
            parts = line.rstrip("\n").split("\t")
            if len(parts) == 3 and parts[0] == "EDGES":
                freecad[parts[1]] = int(parts[2])
    else:
        files.append(arg)

failed = False
seen = set()
totals = {"entities": 0, "edges": 0, "duplicates": 0}
for path in files:
    doc = ezdxf.readfile(path)
    problems = []
    declared = {layer.dxf.name.upper() for layer in doc.layers}
    msp = doc.modelspace()
    layouts = [msp] + [b for b in doc.blocks if not b.name.startswith("*")]
    entities = [e for layout in layouts for e in layout]
    totals["entities"] += len(entities)
    for e in entities:
        if e.dxf.hasattr("layer") and e.dxf.layer.upper() not in declared:
            problems.append(f"layer {e.dxf.layer} of {e.dxftype()} not declared")
        if e.dxftype() == "TEXT":
            seen.update(e.dxf.text)
            bad = MISREAD & set(e.dxf.text)
            if bad:
                problems.append(f"text {e.dxf.text!r} misread")
    auditor = doc.audit()
    problems.extend(f"audit: {error.message}" for error in auditor.errors)

    lo, hi = doc.header["$EXTMIN"], doc.header["$EXTMAX"]
    outside = [p for p in points(msp) if not (lo[0] - EPS <= p[0] <= hi[0] + EPS and lo[1] - EPS <= p[1] <= hi[1] + EPS)]
    if outside:
        problems.append(f"{len(outside)} points outside the header extents, e.g. {tuple(outside[0])[:2]}")
    repeated = sum(duplicate_lines(layout) for layout in layouts)
    totals["duplicates"] += repeated
    if repeated:
        problems.append(f"{repeated} lines written twice")
    for layout in layouts:
        for text in texts_crossing_cells(layout):
            problems.append(f"text {text!r} crosses its cell lines")

    n = edges(msp)
    totals["edges"] += n
    if freecad and freecad.get(path) != n:
        problems.append(f"FreeCAD read {freecad.get(path)} edges of {n}")
    # The IGES file of the drawing shows what this file shows: no more, no less.
    stem = os.path.splitext(os.path.basename(path))[0]
    if iges and iges.get(stem) != iges_edges(list(msp)):
        problems.append(f"the IGES file gives {iges.get(stem)} edges where this one shows {iges_edges(list(msp))}")
    for p in sorted(set(problems))[:5]:
        print(f"FAIL {path}: {p}")
    failed = failed or bool(problems)
missing = EXPECTED - seen
if missing:
    print("FAIL no text holds " + " ".join(sorted(missing)))
    failed = True
print(f"DXF files read by ezdxf: {len(files)}, {totals['entities']} entities, {totals['edges']} edges, "
      f"{totals['duplicates']} repeated lines{', each edge also read by FreeCAD' if freecad else ''}"
      f"{', as many from each IGES file' if iges else ''}, "
      f"{'with faults' if failed else 'all clean'}")
sys.exit(1 if failed else 0)
