#!/usr/bin/env bash
# Installs the Debian packages Corvane needs to build, test and run. Does nothing when they are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-dev          # libFuzzer targets
  libudev-dev                    # hidraw enumeration
  qt6-base-dev                   # the shell
  libglib2.0-dev libxcb1-dev     # desktop pointer settings (GNOME settings, session bus, X server)
  libgtest-dev libgmock-dev      # tests
  libbenchmark-dev               # benchmarks
  fonts-noto-cjk fonts-dejavu-core  # legible Chinese and Latin text in offscreen screenshots
  libxcb1-dev                    # the active window on X11 (application-linked profiles)
  nlohmann-json3-dev             # the Sway and Hyprland answers about the active window
  xvfb                           # the X11 active-window test runs on a virtual display
  dpkg-dev                       # the Debian package: dpkg-shlibdeps finds its dependencies
  desktop-file-utils appstream   # validating the .desktop and AppStream files
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
