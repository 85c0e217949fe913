# Sourced by the end-to-end scripts: a folder of their own, removed at exit,
# as the working folder, the offscreen platform and no developer's settings.
# HERE is the scripts' own folder.
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
export QT_QPA_PLATFORM=offscreen
export BQ4_CONFIG_DIR=$WORK/config
# Temporary folders of their own: a run names on stderr what it clears of
# others' leftovers, and the tests running beside leave theirs in the shared one.
mkdir -p "$WORK/tmp"
export TMPDIR=$WORK/tmp
# An index cache of their own too: a run names on stderr each entry it
# removes, such as those of tables that another test's folder held.
export BQ4_CACHE_DIR=$WORK/cache
# And the user's data (workbooks handed out) too: nothing outside the folder.
export BQ4_USER_DATA_DIR=$WORK/user-data
# The readers the checks start keep their settings and caches here as well
# (ezdxf loads matplotlib, which writes a font list), and Python writes no
# bytecode beside the scripts it reads.
export XDG_CONFIG_HOME=$WORK/xdg-config XDG_CACHE_HOME=$WORK/xdg-cache XDG_DATA_HOME=$WORK/xdg-data
export MPLCONFIGDIR=$WORK/matplotlib PYTHONDONTWRITEBYTECODE=1
# check description command...: runs the command as the check; a failed one
# makes the script fail at its end (exit $fail).
fail=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; fail=1; fi
}
# wait_for pattern pid: waits until a file matches the pattern, while the
# process runs (five minutes at most); status 0 when one matches.
wait_for() {
  local end=$((SECONDS + 300))
  until compgen -G "$1" > /dev/null; do
    kill -0 "$2" 2> /dev/null && [ $SECONDS -lt $end ] || return 1
    sleep 0.01
  done
}
# pid_namespaces: status 0 when this user may run a program in a process
# namespace of its own (unshare --pid), as root or where user namespaces allow.
pid_namespaces() { unshare --pid --fork --mount-proc true > /dev/null 2>&1; }
# python_with module: prints a Python that has the module; status 1 if none.
python_with() {
  local p
  for p in /usr/bin/python3 python3; do "$p" -c "import $1" 2>/dev/null && { echo "$p"; return 0; }; done
  return 1
}
# grow_table table.dbf n: the table with its last record repeated n times
# more (a lookup finds the same row), so that indexing it takes a while.
grow_table() {
  python3 - "$1" "$2" << 'EOF'
import struct, sys
d = open(sys.argv[1], 'rb').read()
count, header, record = struct.unpack('<IHH', d[4:12])
body = d[header:header + count * record]
n = int(sys.argv[2])
open(sys.argv[1], 'wb').write(d[:4] + struct.pack('<I', count + n) + d[8:header] + body + body[-record:] * n + b'\x1a')
EOF
}
