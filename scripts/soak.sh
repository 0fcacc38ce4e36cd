#!/usr/bin/env bash
# Soak test of the front-end against the real engine: RUNS (default 500) runs through the
# front-end's logic in one process, cycling through generation with 127 and with 129 verses and
# division of a listed file and of a typed number. Every run's files must equal those of the
# first run of its kind; at the end no engine process, zombie or extra open descriptor may be
# left. Not part of test.sh or CI (it takes a minute or more). Exits non-zero on any failure.
#   scripts/soak.sh           500 runs
#   scripts/soak.sh 5000      a longer soak
# Builds in build-soak/ unless DALVO_SOAK_BUILD_DIR names another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-500}
case "$runs" in
  ''|*[!0-9]*|0) echo "usage: $0 [RUNS]" >&2; exit 2 ;;
esac
build=${DALVO_SOAK_BUILD_DIR:-build-soak}

werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake -S . -B "$build" -DDALVO_WERROR=$werror >/dev/null
cmake --build "$build" -j "$(nproc)" --target dalvogui_soak

# The logic needs no display; Qt Core alone runs the engine processes.
time "$build/tests/dalvogui_soak" "$runs"
