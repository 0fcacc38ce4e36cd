#!/usr/bin/env bash
# Builds dalvo and starts it: the desktop program when it can open a window, otherwise a headless
# run of the engine that generates the 22 long numbers and divides each of them by 19.
# The first run installs what building and running needs (scripts/install_deps.sh product). The
# build goes to build-run/: Release, without tests, with the distribution's hardening flags, as
# the Debian package wants it, so the README's install and packaging steps reuse it.
set -euo pipefail
cd "$(dirname "$0")"

source scripts/install_deps.sh
dalvo_install_deps product

build=build-run
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DDALVO_DISTRO_FLAGS=ON \
  >/dev/null
cmake --build "$build" -j "$(nproc)"

app=$build/app
# dalvogui opens its display exactly as it would for the window, and only that; DISPLAY being
# set says nothing about whether a server answers there. The subshell keeps the shell's own
# report of a crashed probe off the terminal.
if probe=$( ("$app/dalvogui" --check-display) 2>&1 ); then
  exec "$app/dalvogui" "$@"
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  reason="DISPLAY is not set"
else
  reason=$(grep -m 1 -i 'display' <<<"$probe" || true)
  [ -n "$reason" ] || reason=${probe%%$'\n'*}
fi
echo "No window can be opened (${reason:-dalvogui --check-display failed}): running the engine headless instead."

engine=$(realpath "$app/dalvo")
out=$(mktemp -d "${TMPDIR:-/tmp}/dalvo-run.XXXXXX")
cd "$out"
echo "Generating the long numbers (127 verses for sura 9) with the engine."
"$engine" -awo g 1 >/dev/null
rm -f dalvoopc.tmp
printf '%-16s %8s  %s\n' "file" "digits" "divisible by 19?"
status=0
for f in $(ls -1 -- *.txt | sort -V); do
  report="$f.report"
  if "$engine" -awo d 19 "$f" "$report" >/dev/null; then
    digits=$(sed -n 's/^Number of digits read from file ".*": \([0-9]*\)$/\1/p' "$report")
    if grep -q '^The number IS a multiple of 19!$' "$report"; then verdict=yes; else verdict=no; fi
  else
    digits=?; verdict="division failed"; status=1
  fi
  rm -f dalvoopc.tmp
  printf '%-16s %8s  %s\n' "$f" "$digits" "$verdict"
done
echo "The files and their division reports (*.report) are in $out"
exit $status
