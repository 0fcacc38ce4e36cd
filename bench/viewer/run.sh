#!/usr/bin/env bash
# The viewer benchmark in one command: builds dalvo and viewer_bench (Release, in
# build-viewer-bench/) and runs it on Qt's offscreen platform.
#   bench/viewer/run.sh                     a number of 10^7 digits, 5 runs
#   bench/viewer/run.sh --digits 100000000  another size
#   bench/viewer/run.sh --runs 9            more runs (the median counts)
# Exits non-zero when the build fails or a wait in the benchmark times out.
set -euo pipefail
cd "$(dirname "$0")/../.."

if ! grep -q 'add_subdirectory(viewer)' bench/CMakeLists.txt; then
  echo "bench/CMakeLists.txt does not add bench/viewer yet: add 'add_subdirectory(viewer)' to it" >&2
  exit 2
fi

jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2
cmake -S . -B build-viewer-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-viewer-bench -j "$jobs" --target dalvo viewer_bench >/dev/null

QT_QPA_PLATFORM=offscreen build-viewer-bench/bench-bin/viewer_bench "$@"
