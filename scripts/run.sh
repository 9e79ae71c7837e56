#!/usr/bin/env bash
# Sets up, builds and runs Corvane against its three virtual devices.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec build/bin/corvane-devices "$@"
