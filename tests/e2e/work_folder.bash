# Sourced by the end-to-end scripts: a folder of their own, removed at exit,
# as the working folder, the offscreen platform and no developer's settings.
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
export QT_QPA_PLATFORM=offscreen
export BQ4_CONFIG_DIR=$WORK/config
