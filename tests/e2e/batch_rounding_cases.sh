#!/bin/bash
# Joints whose entered decimals meet a limit exactly, as a batch user meets
# them: plates of 1.1 + 38.8 mm clamp what l - b = 60 - 20.1 leaves and pass
# the check as plates of 19.9 + 20.0 do; a minimum torque exactly at the
# prevailing torque with its friction torque is named and the project's
# tightening factor used, in the report and in the drawing; a tightening
# factor of 1 makes the minimum torque the torque; and the document
# of a joint whose torque-angle field is thinner than its numbers can tell
# apart is written, not hatched for ever; loads, a lever and a bore that
# meet their limits in decimals decide as met.
# usage batch_rounding_cases.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
DATA=$2
. "$(dirname "$0")/work_folder.bash"

cp "$DATA"/calc/rounding/*.bq4 .
chmod u+w ./*.bq4

# The message lines of a report (those that open with a kind).
messages() { grep -aE '^(Fatal|Error|Warning)' "$1" | cut -f1; }

for c in plates_sum_rounding plates_sum_exact; do
  "$WBQ4" $c.bq4 /I > /dev/null 2> $c.err
  check "$c /I: exit 0" test $? -eq 0
  check "$c /I: no \"LK < l - lG\"" bash -c "! grep -q 'LK < l - lG' $c.txt $c.err"
done
check "plates 1.1 + 38.8 give the messages of 19.9 + 20.0" \
  diff <(messages plates_sum_rounding.txt) <(messages plates_sum_exact.txt)
if command -v pdftotext > /dev/null; then
  for c in plates_sum_rounding plates_sum_exact; do
    "$WBQ4" $c.bq4 /PDF > /dev/null 2>&1
    check "$c /PDF: exit 0" test $? -eq 0
    pdftotext $c.pdf $c.pdf.txt
  done
  check "plates 1.1 + 38.8 give the verdict of 19.9 + 20.0" \
    diff <(grep -a -A2 Verdict plates_sum_rounding.pdf.txt) <(grep -a -A2 Verdict plates_sum_exact.pdf.txt)
  check "plates 1.1 + 38.8: no error in the verdict" grep -q "^no errors" plates_sum_rounding.pdf.txt
fi

c=torque_difference_rounding
"$WBQ4" $c.bq4 /I > /dev/null 2> $c.err
check "$c /I: exit 0" test $? -eq 0
check "$c /I: \"MAmin - MApre = 0 !\"" grep -qF "Error  : MAmin - MApre = 0 !" $c.txt
check "$c /I: the project's tightening factor 1.6" grep -qE $'^tightening factor\talpha A\t\t +1[.,]60$' $c.txt
check "$c /I: no factor of 1E20" bash -c "! grep -q 'E20' $c.txt"
"$WBQ4" $c.bq4 /CAD1:8 > /dev/null 2>&1
check "$c /CAD1:8: exit 0" test $? -eq 0
if PY=$(python_with ezdxf); then
  check "$c /CAD1:8: the drawing reads alpha a = 1.6" "$PY" - $c.dxf << 'PYEOF'
import re, sys, ezdxf
texts = [e.dxf.text for e in ezdxf.readfile(sys.argv[1]).modelspace().query('TEXT')]
alpha = [t.replace(' ', '') for t in texts if t.startswith('alpha a')]
sys.exit(0 if alpha and all(re.fullmatch(r'alphaa=1[.,]60?', t) for t in alpha) else 1)
PYEOF
fi

# Residual and required loads, the lever of the opening limit and a bore
# that meet their limits in decimals decide as met.
for c in fkro_tie fv_tie; do
  "$WBQ4" $c.bq4 /I > /dev/null 2> $c.err
  check "$c /I: exit 0" test $? -eq 0
  check "$c /I: no error" bash -c "! grep -qE '^(Error|Fatal)' $c.txt"
done
"$WBQ4" lever_zero.bq4 /JSON > /dev/null 2> lever_zero.err
check "lever_zero /JSON: exit 0" test $? -eq 0
check "lever_zero /JSON: no lever named" grep -qF '"I BT/AD + s*u = 0 !"' lever_zero.json
check "lever_zero /JSON: no opening load of 1E25" bash -c "! grep -q 'e+25' lever_zero.json"
"$WBQ4" d3_bore_equal.bq4 /I > /dev/null 2> d3_bore_equal.err
check "d3_bore_equal /I: exit 2" test $? -eq 2
check "d3_bore_equal /I: the bore reaches d3" grep -qF "Fatal  : d3 <= Di !" d3_bore_equal.err

c=hatching_never_ends
# Its tightening factor of 1 without friction scatter makes the minimum torque
# and preload the torque and preload themselves.
"$WBQ4" $c.bq4 /I > /dev/null 2> $c.err
check "$c /I: exit 0" test $? -eq 0
check "$c /I: the minimum torque and preload are no checks' errors" \
  bash -c "! grep -qE 'MAmin > MA|FMzul/al.A' $c.txt"
timeout 300 "$WBQ4" $c.bq4 /PDF > /dev/null 2> $c.err
code=$?
check "$c /PDF: ends (exit $code)" test $code -ne 124
check "$c /PDF: the document is written" test -s $c.pdf
if command -v pdftotext > /dev/null; then
  check "$c /PDF: the document holds its pages" grep -q "page 1 of" <(pdftotext $c.pdf - 2> /dev/null)
fi
exit $fail
