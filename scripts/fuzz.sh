#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz/ and fuzzes each for a share of
# a time budget, starting from the seed corpus in fuzz/corpus/. Exits non-zero when a target
# crashes or a check inside it fails; the input that did it is left in build-fuzz/artifacts/.
#   scripts/fuzz.sh           60 seconds in all (what CI runs)
#   scripts/fuzz.sh 3600      an hour in all, for a longer hunt
# New inputs that reach new code are kept in build-fuzz/corpus/ (not in the repository), so a
# later run continues where the last one stopped.
set -euo pipefail
cd "$(dirname "$0")/.."

budget=${1:-60}
case "$budget" in
  ''|*[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;;
esac
targets=(division command_line)
share=$(( budget / ${#targets[@]} ))
[ "$share" -ge 1 ] || share=1

werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DDALVO_FUZZ=ON -DDALVO_SANITIZE=ON -DDALVO_BUILD_GUI=OFF -DDALVO_WERROR=$werror >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]/#/dalvo_fuzz_}"

mkdir -p build-fuzz/artifacts
for target in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$target"
  echo "== fuzzing $target for $share s"
  # The first corpus folder receives the new inputs; the seeds in the repository stay as they are.
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build-fuzz/fuzz/dalvo_fuzz_$target" -max_total_time="$share" -print_final_stats=1 \
      -artifact_prefix="build-fuzz/artifacts/$target-" \
      "build-fuzz/corpus/$target" "fuzz/corpus/$target"
done
