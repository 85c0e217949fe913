#!/bin/bash
# A batch run replaces no file it was given: a name typed in another case
# (also of its folder) names no project, and the file of that name in the
# place of its output stays, in every mode; one project of a run in the
# place of another's output, in either order; two projects of a run with one
# output name; a user's file that only looks like a temporary. Each refused
# project or output is named on stderr, exit 1, the others are written.
# Names with further dots get their outputs beside the project, named after it.
# usage batch_given_files.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
NULL=$BUILD/data/samples/null.bq4

# same_as_given file: the file still holds the sample project.
same_as_given() { cmp -s "$1" "$NULL"; }

cp "$NULL" proj.txt
"$WBQ4" proj.TXT /I > /dev/null 2> err.txt
check "proj.TXT /I: exit 1" test $? -eq 1
check "proj.TXT /I: the project stays" same_as_given proj.txt
check "proj.TXT /I: named" grep -q "file proj.TXT not found" err.txt

mkdir Dir
for mode in /I /JSON /CAD1:1 /CAD2:1 /CAD5:1 /PDF; do
  case $mode in
    /I) ext=txt ;; /JSON) ext=json ;; /CAD1:1) ext=dxf ;; /CAD2:1) ext=igs ;; /CAD5:1) ext=lst ;; /PDF) ext=pdf ;;
  esac
  cp "$NULL" "Dir/q.$ext"
  "$WBQ4" "dir/q.${ext^^}" $mode > /dev/null 2> err.txt
  check "dir/q.${ext^^} $mode: exit 1" test $? -eq 1
  check "dir/q.${ext^^} $mode: the project stays" same_as_given "Dir/q.$ext"
  check "dir/q.${ext^^} $mode: no temporary left" bash -c "! ls -a Dir | grep -q '\.~'"
done

# One project's output in the place of another project of the run.
cp "$NULL" a.bq4
cp "$NULL" b.bq4
for order in "a.bq4 a.txt b.bq4" "a.txt a.bq4 b.bq4"; do
  cp "$NULL" a.txt
  rm -f b.txt
  "$WBQ4" $order /I > /dev/null 2> err.txt
  check "$order /I: exit 1" test $? -eq 1
  check "$order /I: the project a.txt stays" same_as_given a.txt
  check "$order /I: named" grep -q "a.bq4: its output a.txt would replace the project a.txt of this run" err.txt
  check "$order /I: b.txt written" grep -q "^b.bq4$" b.txt
done

ext_of() {
  case $1 in
    /I) echo txt ;; /JSON) echo json ;; /CAD1:*) echo dxf ;; /CAD2:*) echo igs ;; /CAD5:*) echo lst ;; /PDF) echo pdf ;;
  esac
}
# names_project file project: the output names the project file (the PDF
# through its text, the others as they stand).
names_project() {
  case $1 in
    *.pdf) pdftotext "$1" - 2>/dev/null | grep -qF "$2" ;;
    *) grep -aqF "$2" "$1" ;;
  esac
}
ALL_MODES="/I /JSON /CAD1:13 /CAD2:13 /CAD5:13 /PDF"

# Projects whose names hold further dots, in a folder with a blank and "ä":
# each output beside its project, named after the whole name, naming the
# project file; nothing cut at the further dot.
F="Pro jekte ä"
mkdir "$F"
cp "$NULL" "$F/joint.v2.bq4"
cp "$NULL" "$F/Flansch 1.5.bq4"
for mode in $ALL_MODES; do
  ext=$(ext_of $mode)
  "$WBQ4" "$F/joint.v2.bq4" "$F/Flansch 1.5.bq4" $mode > /dev/null 2> err.txt
  check "dotted names $mode: exit 0" test $? -eq 0
  for p in "joint.v2" "Flansch 1.5"; do
    check "dotted names $mode: $p.$ext written" test -s "$F/$p.$ext"
    check "dotted names $mode: $p.$ext names $p.bq4" names_project "$F/$p.$ext" "$p.bq4"
  done
  check "dotted names $mode: nothing cut at the dot" bash -c "! ls \"$F\" | grep -Eq '^(joint|Flansch 1)\.$ext\$'"
done

# Two projects of one run whose outputs share a name, in every mode: the
# second is refused by name, exit 1, and the first's output stays; a project
# of another extension names itself in its outputs, also in a run of its own.
cp "$NULL" flange.bq4
cp "$BUILD/data/samples/hot.bq4" flange.bak
for mode in $ALL_MODES; do
  ext=$(ext_of $mode)
  rm -f "flange.$ext"
  "$WBQ4" flange.bq4 flange.bak $mode > /dev/null 2> err.txt
  check "flange.bq4 flange.bak $mode: exit 1" test $? -eq 1
  check "flange.bq4 flange.bak $mode: named" \
    grep -q "flange.bak: its output flange.$ext would replace the output of the project flange.bq4 of this run" err.txt
  check "flange.bq4 flange.bak $mode: flange.bq4's output stays" names_project "flange.$ext" flange.bq4
  "$WBQ4" ./flange.bak $mode > /dev/null 2> err.txt
  check "flange.bak $mode alone: exit 0" test $? -eq 0
  check "flange.bak $mode alone: names flange.bak" names_project "flange.$ext" flange.bak
  check "flange.bak $mode alone: not flange.bq4" bash -c "! grep -aq 'flange\.bq4' flange.$ext"
done

# A project is only the file of the name typed: LOW/P.BQ4 is no name of
# low/p.bq4, which is neither run nor given an output.
mkdir low
cp "$NULL" low/p.bq4
for mode in $ALL_MODES; do
  ext=$(ext_of $mode)
  "$WBQ4" LOW/P.BQ4 $mode > /dev/null 2> err.txt
  check "LOW/P.BQ4 $mode: exit 1" test $? -eq 1
  check "LOW/P.BQ4 $mode: named" grep -q "file LOW/P.BQ4 not found" err.txt
  check "LOW/P.BQ4 $mode: nothing written" bash -c "! ls -a low LOW 2>/dev/null | grep -qi '\.$ext'"
  "$WBQ4" low/p.bq4 $mode > /dev/null 2> err.txt
  check "low/p.bq4 $mode: exit 0" test $? -eq 0
  check "low/p.bq4 $mode: low/p.$ext written" test -s "low/p.$ext"
  rm -f "low/p.$ext"
done

# Files that only look like temporaries stay; a temporary of this program
# that no run holds any more goes.
cp "$NULL" n.bq4
echo "the user's" > n.txt.~backup
echo "the user's" > n.txt.~abc123
echo "left" > n.txt.~bq4Ab12Cd
"$WBQ4" n.bq4 /I > /dev/null 2> err.txt
check "n.bq4 /I: exit 0" test $? -eq 0
check "n.bq4 /I: the user's n.txt.~backup stays" grep -q "the user's" n.txt.~backup
check "n.bq4 /I: the user's n.txt.~abc123 stays" grep -q "the user's" n.txt.~abc123
check "n.bq4 /I: a left temporary goes" test ! -e n.txt.~bq4Ab12Cd

exit $fail
