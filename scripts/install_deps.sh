#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages dalvo needs that are not installed yet, after saying
# which and why. The one installer of every script: sourced by run.sh (product), test.sh
# (developer) and bench/run.sh (bench); safe to run again and again.
#   scripts/install_deps.sh product     building and running the two programs, and the package
#   scripts/install_deps.sh bench       building and running the benchmarks of bench/run.sh
#   scripts/install_deps.sh developer   all of that, and the tests, sanitizers, fuzzer and lints
#                                       (the default)
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

# What bench/run.sh needs: the engine's build (without the windows), the peers it is compared
# with and the tools that time them.
DALVO_BENCH_PACKAGES=(
  cmake make g++                       # the build
  libgmp-dev bc python3                # the peers: GMP, bc and Python's int (and the script)
  time                                 # GNU time, for peak memory
  libbenchmark-dev libgtest-dev        # the kernel's micro-benchmarks (--micro), which link the
                                       # engine's test support, built only with the tests
)

# What developing it needs on top of both: ./test.sh, CI and the scripts in scripts/.
DALVO_DEVELOPER_PACKAGES=(
  libgtest-dev                         # unit tests
  xvfb xauth xdotool imagemagick       # a display, clicks and capture for the screenshot script
  at-spi2-core dbus-daemon dbus-bin    # the accessibility bus and a private session bus, for the
                                       # tests of what a screen reader hears (Qt's bridge needs them)
  python3-pyatspi openbox xclip x11-utils  # scripts/a11y_check.py: a reader's client, a window
                                       # manager, a clipboard owner, xprop
  clang libclang-rt-dev llvm           # sanitizer builds and the fuzzer, all with Debian's default
                                       # clang; llvm puts llvm-symbolizer on the PATH, where the
                                       # sanitizers look for it to name functions and lines
  desktop-file-utils appstream man-db  # linting the installed desktop entry, metainfo, manuals
  lintian file                         # linting the Debian package (file: cpack -G DEB)
)

# Prints what set $1 is for, as the words after "to".
dalvo_package_set_purpose() {
  case "$1" in
    product) echo "build and run dalvo and dalvogui" ;;
    bench) echo "build and run the benchmarks" ;;
    developer) echo "build and run the tests, sanitizer builds, fuzzer, benchmarks and lints" ;;
  esac
}

# Prints the packages of set $1 (product, bench or developer) that are not installed, one a
# line, each once.
dalvo_missing_packages() {
  local p packages=()
  case "$1" in
    product) packages=("${DALVO_PRODUCT_PACKAGES[@]}") ;;
    bench) packages=("${DALVO_BENCH_PACKAGES[@]}") ;;
    developer) packages=("${DALVO_PRODUCT_PACKAGES[@]}" "${DALVO_BENCH_PACKAGES[@]}"
                         "${DALVO_DEVELOPER_PACKAGES[@]}") ;;
  esac
  local -A seen=()
  for p in "${packages[@]}"; do
    [ -n "${seen[$p]:-}" ] && continue
    seen[$p]=1
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || printf '%s\n' "$p"
  done
}

# Installs what is missing of set $1: product, bench or developer (the default). Says which
# packages and why before it runs apt-get or asks for root through sudo.
dalvo_install_deps() {
  local set=${1:-developer} missing
  case "$set" in
    product|bench|developer) ;;
    *) echo "install_deps: unknown package set '$set' (product, bench or developer)" >&2; return 2 ;;
  esac
  missing=$(dalvo_missing_packages "$set" | tr '\n' ' ')
  missing=${missing% }
  [ -z "$missing" ] && return 0
  local need sudo=""
  need="dalvo: to $(dalvo_package_set_purpose "$set") (package set '$set'), these Debian packages"
  need+=" are needed and not installed yet: $missing."
  if [ "$(id -u)" -eq 0 ]; then
    echo "$need Installing them now with apt-get (update, then install), as root."
  elif command -v sudo >/dev/null; then
    sudo=sudo
    echo "$need Installing them now with apt-get (update, then install), as root through sudo," \
         "which may ask for your password."
  else
    echo "$need sudo is not installed: install them as root, then run again." >&2
    return 1
  fi
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
  # shellcheck disable=SC2086
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  dalvo_install_deps "${1:-developer}"
fi
