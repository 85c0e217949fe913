# Sourced by the end-to-end scripts: a folder of their own, removed at exit,
# as the working folder, the offscreen platform and no developer's settings.
# HERE is the scripts' own folder.
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
export QT_QPA_PLATFORM=offscreen
export BQ4_CONFIG_DIR=$WORK/config
# check description command...: runs the command as the check; a failed one
# makes the script fail at its end (exit $fail).
fail=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; fail=1; fi
}
# python_with module: prints a Python that has the module; status 1 if none.
python_with() {
  local p
  for p in /usr/bin/python3 python3; do "$p" -c "import $1" 2>/dev/null && { echo "$p"; return 0; }; done
  return 1
}
