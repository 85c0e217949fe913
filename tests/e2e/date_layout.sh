#!/bin/bash
# The date of the batch outputs as users run them: the report of wbq4 (linked
# statically in the Release build) and the calculation document that the
# window program paints give today's date in one layout, the system's short
# dates under the user's locale, or the "Date Code" of the configuration.
# usage date_layout.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
DATA=$2
BUILD=$3
. "$(dirname "$0")/work_folder.bash"

# The locales compiled as a user has them, where localedef can; the layout
# is told from the locale's name and needs none of them.
mkdir -p locales
for l in de_DE en_GB; do localedef -i $l -f UTF-8 "locales/$l.UTF-8" > /dev/null 2>&1; done
export LOCPATH=$WORK/locales
unset LC_TIME LC_NUMERIC LANG LANGUAGE
cp "$BUILD/data/samples/null.bq4" x.bq4
has_pdftotext=1
command -v pdftotext > /dev/null || has_pdftotext=0

# today LAYOUT: today's date in the layout of date(1) ("%d.%m.%Y").
today() { date "+$1"; }

# outputs LOCALE LAYOUT DESCRIPTION: the report's header and the document
# say today's date in the layout (the date before or after the run, should
# it pass midnight).
outputs() {
  local before after got
  before=$(today "$2")
  rm -f x.txt x.pdf
  LC_ALL=$1 "$WBQ4" x.bq4 /I > /dev/null 2> err.txt
  check "$3: /I exits 0" test $? -eq 0
  got=$(head -n 1 x.txt | cut -f 2)
  after=$(today "$2")
  check "$3: the report's date $got is $before" test "$got" = "$before" -o "$got" = "$after"
  LC_ALL=$1 "$WBQ4" x.bq4 /PDF > /dev/null 2> err.txt
  check "$3: /PDF exits 0" test $? -eq 0
  if [ $has_pdftotext = 1 ]; then
    pdftotext x.pdf x.pdf.txt
    check "$3: the document's date is $before" grep -q -e "$before" -e "$after" x.pdf.txt
  fi
}

outputs de_DE.UTF-8 "%d.%m.%Y" "German"
outputs en_GB.UTF-8 "%d/%m/%Y" "British"
outputs en_US.UTF-8 "%m/%d/%Y" "American"
outputs C "%m/%d/%Y" "C locale"

# The layout chosen in the configuration holds under every locale; a
# configuration without a choice leaves it to the system.
mkdir -p "$BQ4_CONFIG_DIR"
config() {  # the date code
  sed 's|^/work/wt-r5|.|' "$HERE/../fuzz/corpus/config_file/config.cfg" > "$BQ4_CONFIG_DIR/bq4.cfg"
  printf 'Date Code\r\n%s\r\n' "$1" >> "$BQ4_CONFIG_DIR/bq4.cfg"
}
config 3
outputs de_DE.UTF-8 "%Y/%m/%d" "German, year/month/day configured"
config 1
outputs en_GB.UTF-8 "%d.%m.%Y" "British, day.month.year configured"
config 0
outputs en_GB.UTF-8 "%d/%m/%Y" "British, none configured"
# Any other date code, a text or an empty line among them, is year/month/day.
for code in 7 x -1 ''; do
  config "$code"
  outputs de_DE.UTF-8 "%Y/%m/%d" "German, date code '$code'"
done
exit $fail
