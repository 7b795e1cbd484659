#!/usr/bin/env bash
# Runs chosen CTest suites N times in a row and prints, for every test that failed at least
# once, its failures out of N. With --load, two busy loops keep both cores at work meanwhile,
# as a loaded CI machine does.
#   tools/flake.sh [-n N] [--load] [-b BUILD_DIR] [-- CTEST_ARGS...]
#   tools/flake.sh -n 5 -- -L desktop
#   tools/flake.sh -n 3 --load -b build-asan -- -R 'Preferences|Weston'
# Exit status 0 when every run passed, 1 otherwise.
set -euo pipefail

runs=5
load=0
build_dir=build
while (($#)); do
  case "$1" in
    -n) runs=$2; shift 2 ;;
    --load) load=1; shift ;;
    -b) build_dir=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "usage: tools/flake.sh [-n N] [--load] [-b BUILD_DIR] [-- CTEST_ARGS...]" >&2; exit 2 ;;
  esac
done

log_dir=$(mktemp -d "${TMPDIR:-/tmp}/flake.XXXXXX")
load_pids=()
failed_runs=0
stop_load() {
  ((${#load_pids[@]})) && kill "${load_pids[@]}" 2>/dev/null
  return 0
}
trap stop_load EXIT
if ((load)); then
  for _ in 1 2; do
    (while :; do :; done) &
    load_pids+=($!)
  done
fi

for ((run = 1; run <= runs; run++)); do
  log="$log_dir/run-$run.log"
  if ctest --test-dir "$build_dir" --output-on-failure -j2 "$@" >"$log" 2>&1; then
    echo "run $run/$runs: passed ($(grep -o 'tests passed, [0-9]* tests failed out of [0-9]*' "$log" || echo 'no tests'))"
  else
    echo "run $run/$runs: FAILED (log: $log)"
    failed_runs=$((failed_runs + 1))
  fi
done

# CTest lists each failed test after "The following tests FAILED:" as "NN - name (Failed)".
failures=$(cat "$log_dir"/run-*.log |
  awk '/The following tests FAILED:/ { listing = 1; next }
       listing && /^[[:space:]]+[0-9]+ - / { sub(/^[[:space:]]+[0-9]+ - /, ""); sub(/ \(.*$/, ""); print; next }
       { listing = 0 }' | sort | uniq -c | sort -rn)
if [[ -z "$failures" ]] && ((failed_runs == 0)); then
  echo "no failures in $runs runs (logs: $log_dir)"
  exit 0
fi
# A run can fail before any test does (a test program that cannot be listed, CTest's own error).
echo "$failed_runs of $runs runs failed; failed tests:"
awk -v runs="$runs" '{ count = $1; $1 = ""; printf "  %s/%s %s\n", count, runs, substr($0, 2) }' <<<"$failures"
exit 1
