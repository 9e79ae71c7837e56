#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: the normal build, then the AddressSanitizer+UBSan
# and ThreadSanitizer builds. Pass preset names to run only those (for example: scripts/test.sh default).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

presets=("$@")
((${#presets[@]})) || presets=(default asan tsan)
jobs=$(nproc)

source scripts/test-env.sh

for preset in "${presets[@]}"; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
