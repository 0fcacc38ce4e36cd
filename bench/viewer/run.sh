#!/usr/bin/env bash
# The viewer and custom-number benchmark in one command: builds dalvo and viewer_bench (Release,
# in build-viewer-bench/) and runs it on Qt's offscreen platform, one process a size so that
# each size's peak memory is its own, then prints the table of medians.
#   bench/viewer/run.sh               numbers of 10^6, 10^7 and 10^8 digits, 5 runs each
#   bench/viewer/run.sh --big         also 10^9 digits (1 GB twice below $TMPDIR, 3 runs)
#   bench/viewer/run.sh --runs 9      more runs (the median counts)
#   bench/viewer/run.sh --digits N    one size only
# Exits non-zero when the build fails, a wait times out, a result is wrong, or the viewer's
# peak memory passes 200 MiB.
set -euo pipefail
cd "$(dirname "$0")/../.."

sizes=(1000000 10000000 100000000)
runs=5
big=0
while [ $# -gt 0 ]; do
  case "$1" in
    --big) big=1; shift ;;
    --runs) runs="$2"; shift 2 ;;
    --digits) sizes=("$2"); shift 2 ;;
    *) echo "usage: $0 [--big] [--runs N] [--digits N]" >&2; exit 2 ;;
  esac
done
[ "$big" = 1 ] && sizes+=(1000000000)

jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2
cmake -S . -B build-viewer-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-viewer-bench -j "$jobs" --target dalvo viewer_bench >/dev/null

echo "load before: $(cat /proc/loadavg)"
rows=()
status=0
for digits in "${sizes[@]}"; do
  n=$runs
  [ "$digits" -ge 1000000000 ] && [ "$n" -gt 3 ] && n=3
  echo "== $digits digits, $n runs"
  set +e
  out=$(QT_QPA_PLATFORM=offscreen build-viewer-bench/bench-bin/viewer_bench \
          --digits "$digits" --runs "$n" 2>&1)
  rc=$?
  set -e
  echo "$out" | grep -v '^ROW|' | grep -v 'propagateSizeHints\|does not support raise'
  [ $rc -ne 0 ] && status=$rc
  row=$(echo "$out" | grep '^ROW|' || true)
  [ -n "$row" ] && rows+=("$row")
done
echo "load after: $(cat /proc/loadavg)"

echo
echo "| digits | runs | paste -> usable | keystroke (middle) -> usable | first keystroke, middle of 10^7 digits | division click -> report shown (engine incl.) | report button -> usable | report button -> indexed whole | Ctrl+End -> usable | viewer peak RSS | bound | whole-run peak RSS |"
echo "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
for row in "${rows[@]}"; do
  IFS='|' read -r _ digits n paste key first division open whole end vrss bound wrss <<<"$row"
  printf '| %s | %s | %s ms | %s ms | %s ms | %s ms | %s ms | %s ms | %s ms | %s MiB | %s MiB | %s MiB |\n' \
    "$digits" "$n" "$paste" "$key" "$first" "$division" "$open" "$whole" "$end" "$vrss" "$bound" "$wrss"
done
exit $status
