#!/bin/bash
# A drawing that cannot be written whole leaves the file it would have
# replaced byte for byte, and the run says so with exit 1: the IGES writer's
# parameter file on a full temporary folder, the drawing's own folder full
# (also when the DXF header's extents are widened by a second writing), and
# a file-size limit, on every CAD device.
# usage: cad_failed_writes.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
export BQ4_CACHE_DIR=$WORK/cache
cp "$BUILD/data/samples/hot.bq4" hot.bq4
"$WBQ4" hot.bq4 /I > /dev/null 2>&1  # the index cache, built before

ext_of() { case $1 in /CAD1:*) echo dxf ;; /CAD2:*) echo igs ;; *) echo lst ;; esac; }

# failed what mode [env...]: hot.<ext> holds an earlier drawing; the run of
# mode must end with exit 1, naming the drawing, and leave that file as it was.
failed() {
  local what=$1 mode=$2; shift 2
  local out=hot.$(ext_of "$mode")
  printf 'an earlier drawing, %s\r\n' "$mode" > "$out"
  cp "$out" "$WORK/old.bin"
  env "$@" "$WBQ4" hot.bq4 "$mode" > /dev/null 2> "$WORK/err.txt"
  check "$what, $mode: exit 1" test $? -eq 1
  check "$what, $mode: the drawing named" grep -q "hot.$(ext_of "$mode") cannot be written" "$WORK/err.txt"
  check "$what, $mode: the earlier drawing byte for byte" cmp -s "$out" "$WORK/old.bin"
  check "$what, $mode: no temporary left" bash -c "! ls -a | grep -q '\.~'"
}

# Under a file-size limit of 4 kB.
for mode in /CAD1:1 /CAD2:1 /CAD5:1 /CAD1:13 /CAD2:13 /CAD5:13; do
  failed "ulimit -f 4" "$mode" bash -c "ulimit -f 4; exec \"\$0\" \"\$@\"" 
done

# Full folders need a small file system of their own: mounted where the
# test may (as root, in a container that allows it), else skipped.
mkdir -p tiny folder
if mount -t tmpfs -o size=4k tmpfs tiny 2> /dev/null; then
  trap 'umount "$WORK/tiny" "$WORK/folder" 2> /dev/null; rm -rf "$WORK"' EXIT
  head -c 1000000 /dev/zero > tiny/fill 2> /dev/null
  # The IGES parameter records wait in the run's temporary folder.
  for item in 1 3 4 13 14; do failed "full TMPDIR" /CAD2:$item "TMPDIR=$WORK/tiny"; done
  # The other devices need no temporary folder: whole drawings.
  for mode in /CAD1:1 /CAD5:1 /CAD1:13; do
    rm -f "hot.$(ext_of $mode)"
    TMPDIR=$WORK/tiny "$WBQ4" hot.bq4 $mode > /dev/null 2> "$WORK/err.txt"
    check "full TMPDIR, $mode: exit 0" test $? -eq 0
    check "full TMPDIR, $mode: the drawing whole" grep -q "^EOF" "hot.$(ext_of $mode)"
  done

  # The drawing's own folder, a file system of the given size, as the
  # working folder with the project in it.
  folder() {
    cd "$WORK" && umount folder 2> /dev/null
    mount -t tmpfs -o size=$1 tmpfs folder && cd folder && cp ../hot.bq4 .
  }
  # Room for a part of the drawing only.
  for mode in /CAD1:13 /CAD2:13 /CAD5:13; do
    folder 12k
    failed "full folder" $mode
  done
  # The eccentric sample's drawing 6 reaches past its window: its DXF file is
  # written twice, the second time with the header's extents widened. A
  # folder with room for one writing only keeps the earlier drawing.
  folder 1m
  cp "$BUILD/data/samples/eccentric.bq4" hot.bq4
  "$WBQ4" hot.bq4 /CAD1:6 > /dev/null 2>&1
  pages=$(( ($(stat -c %s hot.dxf) + 4095) / 4096 ))
  folder $(( (pages + 2) * 4 ))k
  cp "$BUILD/data/samples/eccentric.bq4" hot.bq4
  failed "folder with room for one writing" /CAD1:6
  cd "$WORK"
else
  echo "skip full folders: no tmpfs can be mounted here"
fi

exit $fail
