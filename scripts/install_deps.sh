#!/usr/bin/env bash
# Installs, with apt-get, every Debian package that building, running and testing dalvo needs
# and that is not installed yet. Sourced by run.sh and test.sh; safe to run again and again.
set -euo pipefail

DALVO_PACKAGES=(
  cmake make g++ pkg-config            # the build
  libgtest-dev libgmock-dev            # unit tests
  libbenchmark-dev libgmp-dev bc       # bench/ (GMP and bc only as peers to compare with)
  qt6-base-dev qt6-qpa-plugins         # the desktop front-end and its offscreen test platform
  xvfb xauth xdotool imagemagick       # a display, clicks and capture for the screenshot script
  clang libclang-rt-14-dev llvm-14     # sanitizer builds and the fuzzer (llvm-14: symbolized reports)
  desktop-file-utils appstream man-db  # linting the installed desktop entry, metainfo, manuals
  dpkg-dev file                        # cpack -G DEB
)

dalvo_missing_packages() {
  local p
  for p in "${DALVO_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || printf '%s\n' "$p"
  done
}

dalvo_install_deps() {
  local missing
  missing=$(dalvo_missing_packages)
  [ -z "$missing" ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Missing packages: $missing (run as root or install sudo)" >&2; return 1; }
    sudo=sudo
  fi
  echo "Installing missing packages:" $missing
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
  # shellcheck disable=SC2086
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  dalvo_install_deps
fi
