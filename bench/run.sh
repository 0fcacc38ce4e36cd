#!/usr/bin/env bash
# The division benchmark in one command: builds dalvo, the GMP peer and the digit-file maker
# (Release, in build-bench/), then compares dalvo with GMP, Python's int, bc and dd, and, on
# tmpfs (/dev/shm), with dd copying and reading the same file in turns.
#   bench/run.sh                 digit files of 10^4, 10^5, 10^6, 10^7 and 10^8 digits
#   bench/run.sh --big           also 10^9 digits (1 GB below $TMPDIR and up to 3 GB on tmpfs,
#                                deleted afterwards)
#   bench/run.sh --runs 9        timed runs per program and size (default 5; the median counts)
#   bench/run.sh --baseline B    also the dalvo program B (an older build) in the tmpfs turns
#   bench/run.sh --micro         afterwards the Google Benchmark micro-benchmarks of the kernel
# Exits non-zero when a build fails, a program fails or any two quotients differ.
set -euo pipefail
cd "$(dirname "$0")/.."

micro=0
args=()
for arg in "$@"; do
  case "$arg" in
    --micro) micro=1 ;;
    *) args+=("$arg") ;;
  esac
done

# The peers, GNU time and the libraries, through the one installer of every script.
source scripts/install_deps.sh
dalvo_install_deps bench

jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DDALVO_BUILD_BENCH=ON \
  -DDALVO_BUILD_GUI=OFF >/dev/null
cmake --build build-bench -j "$jobs" --target dalvo dalvo_gmp_divide dalvo_make_digits \
  $([ "$micro" = 1 ] && echo dalvo_division_bench) >/dev/null

python3 bench/compare.py --build build-bench "${args[@]+"${args[@]}"}"

if [ "$micro" = 1 ]; then
  build-bench/bench-bin/dalvo_division_bench
fi
