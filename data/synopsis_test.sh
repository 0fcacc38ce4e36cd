#!/usr/bin/env bash
# Checks that a program's manual page and its --help agree, as ctest runs it (see
# data/CMakeLists.txt):
#   synopsis_test.sh PROGRAM MANPAGE
# The lines of the page's SYNOPSIS, as man renders them, must be the "Usage:" and "or:" lines of
# `PROGRAM --help` (the program's path shortened to its name); where either lists options, the
# tags of the page's OPTIONS must be the options of the help's "Options:"; and `PROGRAM
# --version` must name DALVO_VERSION. The program runs without any display, so a --help that
# tried to open a window fails here too. Exit 0 passed, 1 failed, 77 skipped (man is missing).
set -uo pipefail

program=${1:?program}
page=${2:?manual page}
name=$(basename "$program")
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
command -v man >/dev/null || { echo "SKIPPED: man is not installed (package man-db)"; exit 77; }

# Rendered in the C locale, so "\-" is a plain hyphen, and wide enough that nothing wraps.
rendered=$(LC_ALL=C MANWIDTH=200 man -l "$page" 2>/dev/null) || { fail "man cannot render $page"; exit 1; }
section() {  # the body lines of one section of the rendered page, without their indentation
  awk -v want="$1" '/^[A-Z]/ { inside = ($0 == want); next } inside' <<<"$rendered"
}
synopsis=$(section SYNOPSIS | sed -n 's/^ *\(..*\)$/\1/p')
# An option's tag is the line indented like the section's paragraphs (7 blanks) that starts
# with a hyphen; its description is indented further.
page_options=$(section OPTIONS | sed -n 's/^       \(-.*\)$/\1/p' | sort)

help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help 2>&1)
rc=$?
[ "$rc" -eq 0 ] || fail "$name --help exited with status $rc: $help"
usage=$(awk -v prog="$program" -v name="$name" '
  sub(/^Usage: /, "") || sub(/^  or:  /, "") {
    if (index($0, prog) == 1) $0 = name substr($0, length(prog) + 1)
    print
    next
  }
  NR > 1 { exit }' <<<"$help")
help_options=$(awk '/^Options:$/ { inside = 1; next } /^$/ { inside = 0 }
  inside && /^  -/ { sub(/^  /, ""); sub(/  .*$/, ""); print }' <<<"$help" | sort)

[ -n "$synopsis" ] || fail "$page has no SYNOPSIS"
if [ "$synopsis" != "$usage" ]; then
  fail "the SYNOPSIS of $page and the usage of $name --help differ:"
  diff <(echo "$synopsis") <(echo "$usage") | sed 's/^</  page:/; s/^>/  help:/' >&2
fi
if [ "$page_options" != "$help_options" ]; then
  fail "the OPTIONS of $page and the options of $name --help differ:"
  diff <(echo "$page_options") <(echo "$help_options") | sed 's/^</  page:/; s/^>/  help:/' >&2
fi

if [ -n "${DALVO_VERSION:-}" ]; then
  version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version 2>&1)
  [ "$version" = "$name $DALVO_VERSION" ] || fail "$name --version says '$version', expected '$name $DALVO_VERSION'"
fi

[ "$failures" -eq 0 ] || exit 1
echo "$name: the manual page and --help agree"
