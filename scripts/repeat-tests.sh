#!/usr/bin/env bash
# Runs an already built test suite N times, then lists every test that failed with how often.
# Builds nothing. The suite is a test preset's or a build folder's; further arguments go to ctest.
#   scripts/repeat-tests.sh 10 default
#   scripts/repeat-tests.sh 200 build -R ScriptsPlugUnplug
# JOBS sets ctest's parallel jobs (2). Logs of failed runs are kept; their folder is printed.
set -euo pipefail
cd "$(dirname "$0")/.."

if (($# < 2)) || ! [[ $1 =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 N PRESET|BUILD_DIR [ctest arguments...]" >&2
  exit 2
fi
runs=$1 suite=$2
shift 2
if [[ -d $suite ]]; then where=(--test-dir "$suite"); else where=(--preset "$suite"); fi
source scripts/test-env.sh

logs=$(mktemp -d "${TMPDIR:-/tmp}/repeat-tests.XXXXXX")
declare -A failures=()
for ((run = 1; run <= runs; run++)); do
  log="$logs/run$run.log"
  if ctest "${where[@]}" -j "${JOBS:-2}" --output-on-failure "$@" >"$log" 2>&1; then
    echo "run $run/$runs: passed"
    rm "$log"
    continue
  fi
  # ctest ends with "The following tests FAILED:" and a "  NUMBER - NAME (REASON)" line for each.
  mapfile -t failed < <(sed -n '/^The following tests FAILED:/,$ s/^[[:space:]]*[0-9]\+ - \(.*\) (.*)$/\1/p' "$log")
  ((${#failed[@]})) || failed=("(ctest itself, see the log)")
  echo "run $run/$runs: ${#failed[@]} failed, log $log"
  for name in "${failed[@]}"; do failures[$name]=$((${failures[$name]:-0} + 1)); done
done

if ((${#failures[@]} == 0)); then
  echo "no test failed in $runs runs"
  rmdir "$logs"
  exit 0
fi
echo "failed tests (failures in $runs runs), logs in $logs:"
for name in "${!failures[@]}"; do printf '%6d  %s\n' "${failures[$name]}" "$name"; done | sort -rn
exit 1
