#!/usr/bin/env bash
# Renders corvane.svg into the hicolor PNG sizes kept in icons/ (needs rsvg-convert, Debian
# package librsvg2-bin). Run after changing the SVG and commit the PNGs.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" corvane.svg -o "icons/corvane-$size.png"
done
