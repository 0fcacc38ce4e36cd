#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages dalvo needs that are not installed yet. Sourced by
# run.sh (product) and test.sh (developer); safe to run again and again.
#   scripts/install_deps.sh product     building and running the two programs, and the package
#   scripts/install_deps.sh developer   that, and the tests, sanitizers, fuzzer, benchmarks and
#                                       lints (the default)
set -euo pipefail

# What building and running dalvo and dalvogui needs; the first ./run.sh installs these.
DALVO_PRODUCT_PACKAGES=(
  cmake make g++ pkg-config            # the build
  qt6-base-dev                         # Qt 6 Widgets: headers, libraries, CMake files
  qt6-qpa-plugins                      # the platform plugins that open a window (xcb)
  libqt6svg6                           # the SVG icon engine that draws the window icon
  fonts-dejavu-core                    # the status line's plain bold face
  dpkg-dev                             # dpkg-buildflags (hardening) and dpkg-shlibdeps (cpack)
)

# What developing it needs on top: ./test.sh, CI and the scripts in scripts/ and bench/.
DALVO_DEVELOPER_PACKAGES=(
  libgtest-dev libgmock-dev            # unit tests
  libbenchmark-dev libgmp-dev bc       # bench/ (GMP and bc only as peers to compare with)
  xvfb xauth xdotool imagemagick       # a display, clicks and capture for the screenshot script
  at-spi2-core dbus-daemon dbus-bin    # the accessibility bus and a private session bus, for the
                                       # tests of what a screen reader hears (Qt's bridge needs them)
  python3-pyatspi openbox xclip x11-utils  # scripts/a11y_check.py: a reader's client, a window
                                       # manager, a clipboard owner, xprop
  clang libclang-rt-14-dev llvm-14     # sanitizer builds and the fuzzer (llvm-14: symbolized reports)
  desktop-file-utils appstream man-db  # linting the installed desktop entry, metainfo, manuals
  lintian file                         # linting the Debian package (file: cpack -G DEB)
)

# Prints the packages of set $1 (product or developer) that are not installed, one a line.
dalvo_missing_packages() {
  local p packages=("${DALVO_PRODUCT_PACKAGES[@]}")
  [ "$1" = developer ] && packages+=("${DALVO_DEVELOPER_PACKAGES[@]}")
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || printf '%s\n' "$p"
  done
}

# Installs what is missing of set $1: product or developer (the default).
dalvo_install_deps() {
  local set=${1:-developer} missing
  case "$set" in
    product|developer) ;;
    *) echo "install_deps: unknown package set '$set' (product or developer)" >&2; return 2 ;;
  esac
  missing=$(dalvo_missing_packages "$set")
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
  dalvo_install_deps "${1:-developer}"
fi
