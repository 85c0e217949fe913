#!/bin/bash
# "/JSON": the results of every sample as x.json, valid against the shipped
# schema (python3-jsonschema, draft 2020-12), every value equal to the text
# report's value as printed; a fatal joint's messages; the exit codes of /I.
# usage batch_json.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
DATA=$2
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
export BQ4_CACHE_DIR=$WORK/cache

pairs=()
for sample in "$BUILD"/data/samples/*.bq4; do
  name=$(basename "$sample" .bq4)
  cp "$sample" "$name.bq4"
  "$WBQ4" "$name.bq4" /JSON > /dev/null 2> err.txt
  check "$name /JSON exits 0" test $? -eq 0
  check "$name /JSON: nothing on stderr" test ! -s err.txt
  check "$name /JSON writes no report" test ! -e "$name.txt"
  "$WBQ4" "$name.bq4" /I > /dev/null 2>&1
  pairs+=("$name.json" "$name.txt")
done
cp "$DATA/project/fatal.bq4" fatal.bq4
"$WBQ4" fatal.bq4 /JSON > /dev/null 2> err.txt
check "fatal joint: /JSON exits 2" test $? -eq 2
check "fatal joint: its messages on stderr" grep -q "dK = 0! (screw head)" err.txt
pairs+=(fatal.json -)

# Symbols in Unicode: the friction rows and the fatigue rows of every sample.
check "µ and ± as Unicode" grep -q '"symbol": "µG"' null.json
check "± as Unicode" grep -q '"symbol": "±sigma a"' null.json

if PY=$(python_with jsonschema); then
  check "schema and printed values" "$PY" "$HERE/json_report_check.py" "$BUILD/data/bq4-results.schema.json" "${pairs[@]}"
else
  echo "skip schema check: python3-jsonschema missing"
fi

# Refused project: exit 1, no JSON.
printf 'not a project\r\n' > bad.bq4
"$WBQ4" bad.bq4 /JSON > /dev/null 2>&1
check "unreadable project: /JSON exits 1" test $? -eq 1
check "unreadable project: no JSON" test ! -e bad.json

exit $fail
