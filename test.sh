#!/usr/bin/env bash
# Installs whatever is missing (the developer's Debian packages, through apt-get), builds dalvo
# with every test in build/ and runs them all. Exits non-zero on any failure.
#   ./test.sh              the normal build and the whole suite
#   ./test.sh --sanitize   afterwards also the suite built with AddressSanitizer and UBSan, and
#                          the division's tests built with ThreadSanitizer (the division is the
#                          only code with threads); DALVO_SANITIZE=1 asks for the same
#   ./test.sh --fuzz N     last, N seconds of fuzzing in all (scripts/fuzz.sh N); combines with
#                          --sanitize, as CI runs it: ./test.sh --sanitize --fuzz 60
set -euo pipefail
cd "$(dirname "$0")"

usage() { echo "usage: $0 [--sanitize] [--fuzz SECONDS]" >&2; exit 2; }
sanitize=${DALVO_SANITIZE:-0}
fuzz_seconds=0
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize) sanitize=1 ;;
    --fuzz)
      [[ ${2:-} =~ ^[0-9]+$ ]] || usage
      fuzz_seconds=$2
      shift ;;
    *) usage ;;
  esac
  shift
done

source scripts/install_deps.sh
dalvo_install_deps developer

# CI builds with warnings as errors; a developer's build only shows them.
werror=OFF
[ "${CI:-}" = true ] && werror=ON
jobs=$(nproc)

# GUI tests drive real widgets on Qt's offscreen platform: no display needed.
export QT_QPA_PLATFORM=offscreen

# Runs the suite of build $1 (further arguments go to ctest); any failure ends the script.
# Counts the tests for the closing line from ctest's summary, kept meanwhile in a file of the
# build folder that is removed on every way out, a failing or interrupted ctest included.
passed=0
suite_log=""
trap 'rm -f -- "$suite_log"' EXIT
run_suite() {
  local count
  suite_log=$(mktemp "$1/ctest-summary.XXXXXX")
  ctest --test-dir "$@" --output-on-failure -j "$jobs" | tee "$suite_log"
  count=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$suite_log" | tail -n 1)
  rm -f -- "$suite_log"
  suite_log=""
  if [ -z "$count" ]; then
    echo "test.sh: ctest ran no tests in $1" >&2
    exit 1
  fi
  passed=$(( passed + count ))
}

cmake -S . -B build -DDALVO_WERROR=$werror -DBUILD_TESTING=ON
cmake --build build -j "$jobs"
run_suite build

if [ "$sanitize" = 1 ]; then
  cmake -S . -B build-sanitize -DDALVO_WERROR=$werror -DDALVO_SANITIZE=address -DBUILD_TESTING=ON \
        -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++
  cmake --build build-sanitize -j "$jobs"
  # Leaks inside third-party libraries (never dalvo's own code) are listed in scripts/lsan.supp.
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$PWD/scripts/lsan.supp":print_suppressions=0 \
    run_suite build-sanitize

  cmake -S . -B build-tsan -DDALVO_WERROR=$werror -DDALVO_SANITIZE=thread -DBUILD_TESTING=ON \
        -DDALVO_BUILD_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++
  cmake --build build-tsan -j "$jobs" --target dalvo_engine_tests
  TSAN_OPTIONS=halt_on_error=1 run_suite build-tsan -R '^Division'
fi

if [ "$fuzz_seconds" -gt 0 ]; then
  scripts/fuzz.sh "$fuzz_seconds"
fi

# Every suite above passed, or the script would have ended at its failure.
echo "dalvo: $passed passed, 0 failed"
