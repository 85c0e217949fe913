#!/bin/bash
# Runs a command as a German user runs the program: LANG=de_DE.UTF-8
# (decimal comma, day.month.year dates) with no LC_* variable over it.
# Where the system has no such locale it is compiled once into
# <folder>/locales and named by LOCPATH, so that the C library and Qt really
# take the German settings rather than falling back to C without a word.
# usage: german_desktop.sh <folder> <command> [arguments...]
set -eu
folder=$1
shift
name=de_DE.UTF-8
for variable in $(env | sed -n 's/^\(LC_[A-Z_]*\)=.*/\1/p'); do unset "$variable"; done
unset LANGUAGE
export LANG=$name
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  # A full path: the programs started run in other folders.
  dir="$(cd "$folder" && pwd)/locales"
  if [ ! -d "$dir/$name" ]; then
    mkdir -p "$dir"
    # localedef reports warnings with a non-zero status: the check below decides.
    localedef -i de_DE -f UTF-8 "$dir/$name" > /dev/null 2>&1 || true
  fi
  export LOCPATH=$dir
fi
if [ "$(locale -k decimal_point 2> /dev/null)" != 'decimal_point=","' ]; then
  echo "german_desktop.sh: the locale $name cannot be had (the package locales holds its definition)" >&2
  exit 1
fi
exec "$@"
