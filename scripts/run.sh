#!/usr/bin/env bash
# Sets up, builds and runs Corvane against its three virtual devices. Their memory is kept in
# build/virtual-devices, so settings survive a restart. Without a display the window is rendered
# offscreen: each device page is written to build/screenshots/ and the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target corvane corvane-ctl
args=(--virtual-devices="$PWD/build/virtual-devices")
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  args+=(--screenshots="$PWD/build/screenshots")
fi
exec build/bin/corvane "${args[@]}" "$@"
