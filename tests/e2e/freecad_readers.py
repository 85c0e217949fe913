"""Run by freecadcmd: reads every file named in FREECAD_FILES with FreeCAD's
own importers (the DXF importer, Part.read for IGES) and prints one line per
file: "EDGES\t<path>\t<n>", n the edges of everything it imported, -1 when
the file could not be read. Texts are not counted. FREECAD_FILES holds one
path a line (a path may hold blanks)."""
import os

import FreeCAD
import Part


def dxf_edges(path):
    import importDXF

    doc = FreeCAD.newDocument("drawing")
    try:
        importDXF.insert(path, doc.Name)
        return sum(len(o.Shape.Edges) for o in doc.Objects if hasattr(o, "Shape"))
    finally:
        FreeCAD.closeDocument(doc.Name)


for path in filter(None, os.environ["FREECAD_FILES"].split("\n")):
    try:
        if path.endswith(".igs"):
            shape = Part.read(path)
            edges = -1 if shape.isNull() else len(shape.Edges)
        else:
            edges = dxf_edges(path)
    except Exception as error:  # a reader that throws has not read the file
        print(f"ERROR {path}: {error}", flush=True)
        edges = -1
    print(f"EDGES\t{path}\t{edges}", flush=True)
