#!/bin/bash
# Damaged data tables and damaged index-cache entries never give a
# good-looking report. A table cut short, or one that lacks the joint's row,
# fails the run naming the table; a table that grows by an append in
# progress is read as it is. Cache entries damaged inside, or left half
# built by a killed run, are built afresh: the report is the good one.
# usage damaged_tables.sh <wbq4> <tests/data dir> <build dir>
set -u
WBQ4=$1
BUILD=$3
. "$(dirname "$0")/work_folder.bash"
export BQ4_CACHE_DIR=$WORK/cache
cp -r "$BUILD/data" data
export BQ4_DATA_DIR=$WORK/data
for p in null hot eccentric; do
  cp "data/samples/$p.bq4" .
  "$WBQ4" $p.bq4 /I > /dev/null 2>&1
  cp $p.txt good-$p.txt
done

# The report of project $1 as the good run wrote it (its first line holds the time).
same_report() { cmp -s <(tail -n +2 "$1.txt") <(tail -n +2 "good-$1.txt"); }
# quiet err.txt: nothing on stderr but the names of the index cache files
# that the run removed, superseded by a change of their table, and of the
# temporary folders of killed runs.
quiet() { ! grep -qvE '^bq4: removed .*/(cache/index|tmp/bq4-[0-9]+-[^/]*, the temporary folder of a run that has ended$)' "$1"; }
# run project: a fresh run of the project, its stderr in err.txt.
run() {
  rm -f "$1.txt"
  "$WBQ4" "$1.bq4" /I > /dev/null 2> err.txt
}

# cut table halves [count]: the table with `halves` halves of a record after
# the header, its header's record count set to `count` when given.
cut() {
  python3 - "data/tables/$1.dbf" "$2" "${3:-}" << 'EOF'
import struct, sys
path, halves, count = sys.argv[1], int(sys.argv[2]), sys.argv[3]
d = open(path, 'rb').read()
header, record = struct.unpack('<HH', d[8:12])
d = d[:header + halves * record // 2]
if count:
    d = d[:4] + struct.pack('<I', int(count)) + d[8:] + b'\x1a'
open(path, 'wb').write(d)
EOF
}

# A table cut short (its header intact: one record, one and a half), or one
# that holds one record and counts it. A project that needs the table: no
# report, exit 1, the table named. One that does not: the good report. The
# material tables over temperature find a missing material by name: the
# report says so in its messages.
for t in gewinde mat_p_e din934 din912 din931 pressung mat_bolt; do
  cp data/tables/$t.dbf $t.kept
  for how in "2:" "3:" "2:1"; do
    cut $t ${how%:*} ${how#*:}
    named=0
    for p in null hot eccentric; do
      run $p
      code=$?
      if grep -q "$t.dbf" err.txt; then
        named=1
        check "$t cut ($how), $p: exit 1" test $code -eq 1
        check "$t cut ($how), $p: no report" test ! -e $p.txt
        [ "$how" = "2:1" ] || check "$t cut ($how), $p: named as damaged" grep -q "$t.dbf is damaged: its header counts" err.txt
      else
        good=1
        [ $code -eq 0 ] && { same_report $p || grep -q "^$t.dbf: .* not found !" $p.txt; } && good=0
        check "$t cut ($how), $p, not needed: exit 0, the good report or the table's message" test $good -eq 0
      fi
    done
    # pressung and mat_bolt are read again only for projects of older
    # versions; a whole mat_p_e without the material is the report's message.
    case $t:$how in pressung:*|mat_bolt:*|mat_p_e:2:1) ;; *) check "$t cut ($how): a project failed on it" test $named -eq 1 ;; esac
  done
  cp $t.kept data/tables/$t.dbf
done

# damage table how args...: a header or a value of the table damaged in place
# (how: len0 FIELD, header-1, header+1, record+1, value KEY FIELD TEXT, swap
# KEY KEY: two whole rows change places, retype FIELD KEY TEXT: a number field
# made a text field, TEXT in the row of KEY; memo FIELD: a number field made a
# memo field, its texts block numbers past the end of a new, empty memo file).
damage() {
  python3 - "data/tables/$1.dbf" "${@:2}" << 'EOF'
import struct, sys
path, how = sys.argv[1], sys.argv[2]
d = bytearray(open(path, 'rb').read())
count, header, record = struct.unpack('<IHH', d[4:12])
fields, off = {}, 1
for i in range((header - 33) // 32):
    desc = d[32 + 32 * i:64 + 32 * i]
    fields[desc[:11].split(b'\0')[0].decode()] = (32 + 32 * i, off, desc[16])
    off += desc[16]
def row(key):
    return next(header + r * record for r in range(count)
                if d[header + r * record + 1:header + (r + 1) * record].split()[0].decode() == key)
if how == 'len0':
    d[fields[sys.argv[3]][0] + 16] = 0
elif how in ('header-1', 'header+1'):
    d[8:10] = struct.pack('<H', header + (1 if how == 'header+1' else -1))
elif how == 'record+1':
    d[10:12] = struct.pack('<H', record + 1)
elif how == 'value':
    at, (_, o, n) = row(sys.argv[3]), fields[sys.argv[4]]
    d[at + o:at + o + n] = sys.argv[5].rjust(n).encode()
elif how == 'retype':
    at, (desc, o, n) = row(sys.argv[4]), fields[sys.argv[3]]
    d[desc + 11] = ord('C')
    d[at + o:at + o + n] = sys.argv[5].ljust(n).encode()
elif how == 'memo':
    d[0] = 0x83
    d[fields[sys.argv[3]][0] + 11] = ord('M')
    open(path[:-4] + '.dbt', 'wb').write(b'\x01' + bytes(511) + b'\x1a')
elif how == 'swap':
    a, b = row(sys.argv[3]), row(sys.argv[4])
    d[a:a + record], d[b:b + record] = d[b:b + record], d[a:a + record]
open(path, 'wb').write(d)
EOF
}

# A header that disagrees with its records, a number field that holds no
# number, a value no part or material can have: the run that needs the table
# fails naming it (and the row and field of a value), no report; the others
# give the good report.
while IFS='|' read -r t how named; do
  cp data/tables/$t.dbf $t.kept
  damage $t $how
  needed=0
  for p in null hot eccentric; do
    run $p
    code=$?
    if grep -qF "$t.dbf$named" err.txt; then
      needed=1
      check "$t $how, $p: exit 1, no report" test $code -eq 1 -a ! -e $p.txt
    else
      check "$t $how, $p: exit 0, the good report" eval '[ $code -eq 0 ] && same_report $p'
    fi
  done
  check "$t $how: named by a run that needs it" test $needed -eq 1
  cp $t.kept data/tables/$t.dbf
  rm -f data/tables/$t.dbt
done << 'CASES'
mat_p_e|len0 E20| is damaged: field E20 has no length
din934|header-1| is damaged: its header is
din934|header+1| is damaged: its header is
din934|record+1| is damaged: its fields fill
din934|value 12.00 S 18x00|: row 10, field S: "18x00" is no number
mat_b_e|value 12.9 E100 -200700|: row 1, field E100: -200700 is out of range
mat_b_e|retype E100 12.9 n/a|: row 1, field E100: "n/a" is no number
mat_b_re|retype RE100 12.9 n/a|: row 1, field RE100: "n/a" is no number
din934|memo S|: field S is a memo field, not a number field
CASES

# A whole-number column (moduli, strengths) that holds a fraction or an
# exponent is the number it is, rounded: every run gives the good report
# where the value rounds to the shipped one, with nothing on stderr but the
# cache entries the change superseded (a newer
# shipped table waiting beside one is the window's news, not a batch run's).
cp data/tables/gewinde.dbf data/tables/gewinde.dbf.new
while IFS='|' read -r t key field text; do
  cp data/tables/$t.dbf $t.kept
  damage $t value "$key" $field "$text"
  for p in null hot eccentric; do
    run $p
    code=$?
    check "$t $field \"$text\", $p: exit 0, the good report" eval '[ $code -eq 0 ] && quiet err.txt && same_report $p'
  done
  cp $t.kept data/tables/$t.dbf
done << 'CASES'
mat_b_e|12.9|E20|2.06E5
mat_b_e|12.9|E100|2.007E5
mat_b_e|12.9|E200|193700.
mat_b_re|12.9|RE20|1100.4
mat_b_re|12.9|RE100|1.02E3
mat_b_re|12.9|RE200|924.5
mat_p_e|42|E100|1.997E5
CASES
rm data/tables/gewinde.dbf.new

# Another table of the same size and modification time in the place of one
# indexed before: indexed afresh, the good report.
cp data/tables/din934.dbf din934.kept
before=$(ls cache/indexes/din934-*.ndx)
damage din934 swap 10.00 12.00
touch -r din934.kept data/tables/din934.dbf
run hot
code=$?
check "din934 replaced under the same size and time: exit 0, the good report" eval '[ $code -eq 0 ] && same_report hot'
# (a new entry of another name; the superseded one is cleared away)
check "din934 replaced under the same size and time: indexed afresh" test "$(ls cache/indexes/din934-*.ndx)" != "$before"
cp din934.kept data/tables/din934.dbf

# A record appended and not yet counted (another program's append in
# progress), and half of the next one: read as the table is, the good report.
python3 - data/tables/gewinde.dbf << 'EOF'
import struct, sys
d = open(sys.argv[1], 'rb').read()
count, header, record = struct.unpack('<IHH', d[4:12])
body = d[:header + count * record]
open(sys.argv[1], 'wb').write(body + d[header:header + record] + d[header:header + record // 2])
EOF
rm -f null.txt
"$WBQ4" null.bq4 /I > /dev/null 2> err.txt
check "gewinde with an append in progress: exit 0" test $? -eq 0
check "gewinde with an append in progress: the good report" same_report null
cp gewinde.kept data/tables/gewinde.dbf

# Eight bytes past the entry's header changed in every cache entry, over
# many seeds: the good report, nothing on stderr but superseded entries.
damage_entries() {
  python3 - "$1" cache/indexes/*.ndx << 'EOF'
import random, sys
r = random.Random(sys.argv[1])
for path in sys.argv[2:]:
    d = bytearray(open(path, 'rb').read())
    if len(d) <= 512: continue
    for _ in range(8):
        d[r.randrange(512, len(d))] ^= r.randrange(1, 256)
    open(path, 'wb').write(d)
EOF
}
bad=0
for seed in $(seq 1 30); do
  for p in null hot; do
    damage_entries $seed$p
    rm -f $p.txt
    "$WBQ4" $p.bq4 /I > /dev/null 2> err.txt
    code=$?
    { [ $code -eq 0 ] && quiet err.txt && same_report $p; } || { bad=$((bad + 1)); echo "seed $seed, $p: exit $code"; cat err.txt; }
  done
done
check "cache entries damaged inside, 60 runs: the good report each time" test $bad -eq 0

# A run killed while it builds the cache: the next run gives the good report.
bad=0
for i in $(seq 1 12); do
  rm -rf cache
  "$WBQ4" hot.bq4 /I > /dev/null 2>&1 &
  pid=$!
  sleep "0.$((RANDOM % 40))"
  kill -9 $pid 2> /dev/null
  wait $pid 2> /dev/null
  rm -f hot.txt
  "$WBQ4" hot.bq4 /I > /dev/null 2> err.txt
  code=$?
  { [ $code -eq 0 ] && same_report hot; } || { bad=$((bad + 1)); echo "kill $i: exit $code"; }
done
check "runs killed while building the cache: the next run's report is the good one" test $bad -eq 0

# A temporary folder that cannot be used (TMPDIR names a file, as a full
# temporary file system would refuse): the entries are built in the cache
# folder itself; the report is the good one, and no file of the run's stays.
rm -rf cache hot.txt
: > not-a-folder
TMPDIR=$WORK/not-a-folder "$WBQ4" hot.bq4 /I > /dev/null 2> err.txt
code=$?
check "no temporary folder: exit 0, the good report" eval '[ $code -eq 0 ] && same_report hot'
check "... nothing on stderr" test ! -s err.txt
check "... the entries in the cache, none half built" \
  eval '[ -n "$(ls cache/indexes)" ] && [ -z "$(ls cache/indexes | grep -v "^[a-z0-9_]*-[0-9a-f]*\.ndx$")" ]'

# Runs at once without a temporary folder, each in a process namespace of
# its own, where both have the same process number: each builds the entries
# in the cache folder under a name of its own, and both give the good report.
if unshare --pid --fork --mount-proc true 2> /dev/null; then
  bad=0
  mkdir -p ns1 ns2
  for i in $(seq 1 20); do
    rm -rf cache
    pids=()
    for d in ns1 ns2; do
      cp hot.bq4 good-hot.txt $d/ && rm -f $d/hot.txt
      (cd $d && TMPDIR=$WORK/not-a-folder exec unshare --pid --fork --mount-proc "$WBQ4" hot.bq4 /I > /dev/null 2> err.txt) &
      pids+=($!)
    done
    wait ${pids[0]}
    code1=$?
    wait ${pids[1]}
    code2=$?
    for d in ns1 ns2; do
      (cd $d && [ $code1 -eq 0 ] && [ $code2 -eq 0 ] && quiet err.txt && same_report hot) ||
        { bad=$((bad + 1)); echo "pair $i, $d: exit $code1/$code2: $(cat $d/err.txt)"; }
    done
  done
  check "20 pairs of runs in process namespaces of their own without a temporary folder: the good reports" \
    test $bad -eq 0
else
  echo "skip no process namespace can be made here"
fi

# What killed runs leave: the entry half built in their own folder, and in
# the cache folder entries and checksums half written under a temporary name
# (or, by earlier versions, under the number of their process). A thread
# table with many rows (the last one repeated: the report stays the good
# one) takes long enough to index that a run is killed while it builds that
# entry. left_files pid: those, with the folder of that run once it was made.
left_files() {
  ls -d tmp/bq4-"$1"-?????? cache/indexes/*.~bq4* cache/index-checksums/*.~bq4* cache/indexes/*.*.ndx \
    cache/index-checksums/*.*.sum cache/index-checksums/*.sum.~* 2> /dev/null
}
cp -r data big
grow_table big/tables/gewinde.dbf 200000
export BQ4_DATA_DIR=$WORK/big
bad=0
caught=0
for i in $(seq 1 4); do
  rm -rf cache
  "$WBQ4" hot.bq4 /I > /dev/null 2>&1 &
  pid=$!
  for t in $(seq 1 500); do compgen -G "tmp/bq4-$pid-*/*.bu\$" > /dev/null && break; sleep 0.01; done
  kill -9 $pid 2> /dev/null
  wait $pid 2> /dev/null
  [ -n "$(left_files $pid)" ] && caught=$((caught + 1))
  rm -f hot.txt
  "$WBQ4" hot.bq4 /I > /dev/null 2>&1
  same_report hot || { bad=$((bad + 1)); echo "kill $i: not the good report"; }
  [ -z "$(left_files $pid)" ] || { bad=$((bad + 1)); echo "kill $i, left: $(left_files $pid)"; }
done
check "runs killed while building an entry left its file" test $caught -gt 0
check "runs killed while building an entry: the next run gives the good report and leaves nothing of theirs" test $bad -eq 0

# Left files made on purpose: of a process that has gone, the next run
# clears them away; of a running one, they stay until they are an hour
# old; a checksum without its entry and a temporary of an earlier version
# go once ten minutes old.
(exit 0) &
dead=$!
wait $dead
sleep 60 &
live=$!
entry=$(basename "$(ls cache/indexes/*.ndx | head -1)" .ndx)
touch cache/indexes/$entry.$dead.ndx cache/index-checksums/$entry.$dead.sum cache/indexes/$entry.$live.ndx \
  cache/index-checksums/gone-0123456789abcdef.sum cache/index-checksums/$entry.sum.~AbC123
touch -d "2 hours ago" cache/index-checksums/$entry.$live.sum
touch -d "20 minutes ago" cache/index-checksums/gone-0123456789abcdef.sum cache/index-checksums/$entry.sum.~AbC123
# Entries built in the cache folder under a name of their own: one being
# built stays, one left alone for twenty minutes goes.
touch cache/indexes/$entry.build-0123456789ab.ndx.bu\$
touch -d "20 minutes ago" cache/indexes/$entry.build-abcdefghijkl.ndx cache/indexes/$entry.build-abcdefghijkl.ndx.bu\$
rm -f hot.txt
"$WBQ4" hot.bq4 /I > /dev/null 2> err.txt
check "left files: the run gives the good report" same_report hot
check "left files of a gone process are cleared away" test ! -e cache/indexes/$entry.$dead.ndx -a ! -e cache/index-checksums/$entry.$dead.sum
check "a fresh file of a running process stays" test -e cache/indexes/$entry.$live.ndx
check "a file of a running process an hour old goes" test ! -e cache/index-checksums/$entry.$live.sum
check "an old checksum without entry and an old temporary go" test ! -e cache/index-checksums/gone-0123456789abcdef.sum -a ! -e cache/index-checksums/$entry.sum.~AbC123
check "checksums of entries in place stay" test -e cache/index-checksums/$entry.sum
check "an entry being built beside its place stays" test -e "cache/indexes/$entry.build-0123456789ab.ndx.bu\$"
check "one left alone goes, named" eval '[ ! -e cache/indexes/$entry.build-abcdefghijkl.ndx ] &&
  [ ! -e "cache/indexes/$entry.build-abcdefghijkl.ndx.bu\$" ] &&
  grep -q "removed .*/$entry.build-abcdefghijkl.ndx, a cache file half built by a run that has ended" err.txt'
rm -f "cache/indexes/$entry.build-0123456789ab.ndx.bu\$"
kill $live 2> /dev/null
wait $live 2> /dev/null

# Programs that build the cache at once, one of them killed meanwhile: each
# of the others gives the good report, and nothing is left.
bad=0
for i in $(seq 1 4); do
  rm -rf cache
  pids=()
  for p in hot hot eccentric null hot; do
    mkdir -p run$i-${#pids[@]}
    cp $p.bq4 run$i-${#pids[@]}/
    ( cd run$i-${#pids[@]} && exec "$WBQ4" $p.bq4 /I > /dev/null 2> err.txt ) &
    pids+=($!)
  done
  "$WBQ4" hot.bq4 /I > /dev/null 2>&1 &
  victim=$!
  sleep "0.$((RANDOM % 20))"
  kill -9 $victim 2> /dev/null
  wait $victim 2> /dev/null
  k=0
  for p in hot hot eccentric null hot; do
    wait ${pids[$k]}
    code=$?
    d=run$i-$k
    { [ $code -eq 0 ] && quiet $d/err.txt && cmp -s <(tail -n +3 $d/$p.txt) <(tail -n +3 good-$p.txt); } ||
      { bad=$((bad + 1)); echo "round $i, $p: exit $code"; }
    k=$((k + 1))
  done
  "$WBQ4" null.bq4 /I > /dev/null 2>&1
  [ -z "$(left_files $victim)" ] || { bad=$((bad + 1)); echo "round $i, left: $(left_files $victim)"; }
done
check "programs building the cache at once are not disturbed, and nothing is left" test $bad -eq 0
exit $fail
