#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: the normal build, then the AddressSanitizer+UBSan
# and ThreadSanitizer builds. Pass preset names to run only those (for example: scripts/test.sh default).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

presets=("$@")
((${#presets[@]})) || presets=(default asan tsan)
jobs=$(nproc)

export QT_QPA_PLATFORM=offscreen
# Debian's Qt is not built with TSan: calls from inside its libraries are not tracked (see the
# suppressions file). Tests that start the program as a child fork while Qt's threads run.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 die_after_fork=0 suppressions=$PWD/tests/tsan.supp ${TSAN_OPTIONS:-}"
export ASAN_OPTIONS="detect_leaks=1 ${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1 ${UBSAN_OPTIONS:-}"

for preset in "${presets[@]}"; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
