#!/bin/bash
# A batch run replaces no file it was given: a project found under a name
# typed in another case (also of its folder) in the place of its output, in
# every mode; one project of a run in the place of another's output, in
# either order; a user's file that only looks like a temporary. Each refused
# output is named on stderr, exit 1, the others are written.
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
check "proj.TXT /I: named" grep -q "would replace the project itself" err.txt

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
