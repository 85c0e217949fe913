"""DXF files of the program read by ezdxf: each must decode its texts (no
code page 437 bytes read as Windows characters), declare every layer its
entities use and pass the audit without errors. Across all files the texts
hold the degree and micro signs (the drawings hold no plus-minus sign)."""
import sys

import ezdxf

MISREAD = set("æøñ\ufffd")  # 437's µ ° ± read as Windows-1252, or undecodable
EXPECTED = set("°µ")

failed = False
seen = set()
for path in sys.argv[1:]:
    doc = ezdxf.readfile(path)
    problems = []
    declared = {layer.dxf.name.upper() for layer in doc.layers}
    entities = list(doc.modelspace())
    for block in doc.blocks:
        entities.extend(block)
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
    for p in sorted(set(problems))[:5]:
        print(f"FAIL {path}: {p}")
    failed = failed or bool(problems)
missing = EXPECTED - seen
if missing:
    print("FAIL no text holds " + " ".join(sorted(missing)))
    failed = True
print(f"DXF files read by ezdxf: {len(sys.argv) - 1}, {'with faults' if failed else 'all clean'}")
sys.exit(1 if failed else 0)
