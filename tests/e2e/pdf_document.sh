#!/bin/bash
# The calculation document "/PDF" of every sample, read with poppler's tools:
# the report's values as text, fonts embedded, no raster image, "page n of m"
# on every page, the verdict of the messages, the drawing at its written
# scale, every page rendered; the exit codes of the batch report; several
# projects in one run give what single runs give.
# usage pdf_document.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
DATA=$2
BUILD=$3
. "$(dirname "$0")/work_folder.bash"

for tool in pdftotext pdfinfo pdffonts pdfimages pdftoppm; do
  command -v $tool > /dev/null || { echo "FAIL $tool missing (poppler-utils)"; exit 1; }
done

SAMPLES="eccentric hot null own_nut tapped_static vdi1986"
mkdir single multi
for s in $SAMPLES; do
  cp "$BUILD/data/samples/$s.bq4" single/ && cp "$BUILD/data/samples/$s.bq4" multi/
done

# Every check of one document against the report "/I" of the same project.
# Prints one line per failed check; nothing when all hold.
cat > check_pdf.py << 'EOF'
import re, subprocess, sys

pdf, report = sys.argv[1], sys.argv[2]
problems = []

def run(*args):
    return subprocess.run(args, capture_output=True, text=True, check=True).stdout

pages = int(re.search(r"^Pages:\s+(\d+)", run("pdfinfo", pdf), re.M).group(1))
# The layout mode keeps a row on one line: a symbol ending in "-" ("MA-")
# is not taken for a hyphenated word.
texts = [run("pdftotext", "-layout", "-f", str(k), "-l", str(k), pdf, "-") for k in range(1, pages + 1)]
squeeze = lambda t: re.sub(r"\s+", "", t)
whole = squeeze("".join(texts))

if pages < 5:
    problems.append(f"only {pages} pages")
for k, t in enumerate(texts, 1):
    if f"page {k} of {pages}" not in t:
        problems.append(f"page {k}: no 'page {k} of {pages}'")
    if "BQ4" not in t or pdf.split("/")[-1].replace(".pdf", ".bq4") not in t:
        problems.append(f"page {k}: header without product or project file")

# Fonts: every one embedded (column "emb").
for line in run("pdffonts", pdf).splitlines()[2:]:
    cols = line.split()
    if len(cols) >= 5 and cols[-5] != "yes":
        problems.append("font not embedded: " + line)
# Drawings and diagrams are paths: no image at all.
images = run("pdfimages", "-list", pdf).splitlines()[2:]
if images:
    problems.append(f"{len(images)} raster images")

# The report: every cell of every line after its header, as printed. Its
# table rows carry the spreadsheet's decimal comma; the document has one
# sign throughout, that of printed numbers (a point by default).
lines = open(report, encoding="utf-8").read().split("\n")
body = lines[lines.index(" ") + 1:]
number = re.compile(r"^[\d.,+\-E]+$")  # numbers and ranges "0,1..0,16"
missing = []
errors = warnings = 0
for line in body:
    if line.startswith("Error"): errors += 1
    if line.startswith("Warning"): warnings += 1
    for cell in line.split("\t"):
        cell = squeeze(cell)
        if number.match(cell):
            cell = re.sub(r"(?<=\d),(?=\d)", ".", cell)
        if cell and cell not in whole:
            missing.append(cell)
if missing:
    problems.append(f"{len(missing)} report texts missing, e.g. {missing[:5]}")

# The verdict on page 1, from the report's own message list.
verdict = "no errors" if errors + warnings == 0 else \
    f"{errors} error{'s' * (errors != 1)}, {warnings} warning{'s' * (warnings != 1)}"
if squeeze(verdict) not in squeeze(texts[0]):
    problems.append(f"page 1 without the verdict '{verdict}'")

# The contents on page 1: each section on the page it names.
listed = texts[0].split("Contents", 1)[-1]
entries = re.findall(r"^\s*(\S.*?\S)\s{2,}(\d+)\s*$", listed, re.M)
if len(entries) < 5:
    problems.append(f"contents list {len(entries)} sections")
for title, page in entries:
    if not 1 <= int(page) <= pages or squeeze(title) not in squeeze(texts[int(page) - 1]):
        problems.append(f"contents: '{title}' not on page {page}")

# The joint drawing: its frame (the drawing window, 8 d wide) measured on
# the rendered page matches the scale written beside it.
d = float(re.search(r"^major diameter\td\tmm\t\s*([\d,.]+)", "\n".join(body), re.M).group(1).replace(",", "."))
drawing = [k for k, t in enumerate(texts, 1) if k > 1 and "Joint drawing (front section)" in t]
if not drawing:
    problems.append("no joint drawing page")
else:
    k = drawing[0]
    m = re.search(r"Scale (\d+):(\d+)", texts[k - 1])
    if not m:
        problems.append("no scale beside the drawing")
    else:
        scale = int(m.group(1)) / int(m.group(2))
        dpi = 150
        run("pdftoppm", "-f", str(k), "-l", str(k), "-r", str(dpi), "-gray", pdf, "frame")
        data = open(f"frame-{k}.pgm" if pages < 10 else f"frame-{k:02d}.pgm", "rb").read()
        header = re.match(rb"P5\s+(\d+)\s+(\d+)\s+255\s", data)
        w, h = int(header.group(1)), int(header.group(2))
        pix = data[header.end():]
        # The longest dark run of a row below the header band and above the
        # foot: the frame's top or bottom edge.
        longest = 0
        for y in range(int(h * 0.12), int(h * 0.85)):
            row = pix[y * w:(y + 1) * w]
            run_len = 0
            for v in row:
                run_len = run_len + 1 if v < 128 else 0
                longest = max(longest, run_len)
        measured = longest / dpi * 25.4
        expected = 8 * d * scale
        if abs(measured - expected) > 0.6:
            problems.append(f"drawing frame {measured:.1f} mm wide, {expected:.1f} mm at the written scale")

# Every page renders.
run("pdftoppm", "-r", "30", "-png", pdf, "render")
print("\n".join(problems))
EOF

for s in $SAMPLES; do
  ( cd single && "$WBQ4" $s.bq4 /I > /dev/null 2>&1 )
  # Without a display and without a platform chosen by the caller.
  ( cd single && env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$WBQ4" $s.bq4 /PDF > out.txt 2> err.txt )
  check "$s: /PDF exits 0" test $? -eq 0
  check "$s: nothing on stderr" test ! -s single/err.txt
  problems=$(/usr/bin/python3 check_pdf.py single/$s.pdf single/$s.txt 2>&1)
  check "$s: the document holds the report and reads as it should${problems:+: $problems}" test -z "$problems"
done

# Several projects in one run, in another order: the same documents.
( cd multi && "$WBQ4" vdi1986.bq4 tapped_static.bq4 own_nut.bq4 null.bq4 hot.bq4 eccentric.bq4 /PDF \
    > out.txt 2> err.txt )
check "six projects in one run exit 0" test $? -eq 0
# The header's time of day may differ by a minute between the runs; its date
# is in the desktop's layout (12/08/2026, 08.12.2026, 2026/12/08, 08-12-2026).
pdf_text_without_time() {
  pdftotext "$1" - 2>/dev/null | sed -E 's#[0-9]{1,4}[./-][0-9]{1,2}[./-][0-9]{1,4} [0-9]{1,2}:[0-9]{2}#DATE#g'
}
for s in $SAMPLES; do
  check "$s: the same text as a single run" \
    cmp -s <(pdf_text_without_time multi/$s.pdf) <(pdf_text_without_time single/$s.pdf)
done

# Names are the file system's bytes, also where they are no UTF-8: the
# document of such a project, and of one in such a folder, is written under
# exactly its name, holds the report, and nothing else is left beside it.
mkdir -p bytes/plain "bytes/M"$'\xfc'"ller"
cp "$BUILD/data/samples/null.bq4" bytes/plain/$'\xff\xfe.bq4'
cp "$BUILD/data/samples/null.bq4" "bytes/M"$'\xfc'"ller/p.bq4"
for project in plain/$'\xff\xfe.bq4' "M"$'\xfc'"ller/p.bq4"; do
  ( cd bytes && "$WBQ4" "$project" /PDF > /dev/null 2> err.txt )
  check "$(printf %q "$project"): /PDF exits 0" test $? -eq 0
  pdf=bytes/${project%.bq4}.pdf
  check "$(printf %q "$project"): the document under its byte name holds the report" \
    bash -c 'pdftotext "$1" - | grep -q "hexagon head bolt"' _ "$pdf"
  check "$(printf %q "$project"): nothing beside project and document" \
    test "$(ls -A "$(dirname "$pdf")" | wc -l)" -eq 2
done

# Where the session's runtime folder cannot be had (a user switched to
# keeps the one of the user before), the document is written all the same,
# without a word and without a folder left in $TMPDIR.
( cd multi && XDG_RUNTIME_DIR=/proc/no-runtime-here "$WBQ4" null.bq4 /PDF > out.txt 2> err.txt )
check "unusable runtime folder: exit 0" test $? -eq 0
check "unusable runtime folder: nothing on stderr" test ! -s multi/err.txt
check "unusable runtime folder: nothing left in the temporary folder" test -z "$(ls -A tmp)"

# Exit codes of the report "/I": a fatal joint 2 and no document, a missing
# project 1, a document that cannot be written 1 with its reason.
cp "$DATA/project/fatal.bq4" fatal.bq4
"$WBQ4" fatal.bq4 /PDF > /dev/null 2> err.txt
check "fatal joint exits 2" test $? -eq 2
check "fatal joint: no document" test ! -e fatal.pdf
"$WBQ4" missing.bq4 /PDF > /dev/null 2>&1
check "missing project exits 1" test $? -eq 1
cp "$BUILD/data/samples/null.bq4" blocked.bq4 && mkdir blocked.pdf
"$WBQ4" blocked.bq4 /PDF > /dev/null 2> err.txt
check "unwritable document exits 1" test $? -eq 1
check "unwritable document: the reason on stderr" grep -q "blocked.pdf" err.txt
# In a run of several the failing project is named and the others go on.
cp "$BUILD/data/samples/hot.bq4" after.bq4
"$WBQ4" fatal.bq4 after.bq4 /PDF > /dev/null 2> err.txt
check "fatal then good: exit 2" test $? -eq 2
check "fatal then good: the good one written" test -s after.pdf

exit $fail
