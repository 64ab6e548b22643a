#!/usr/bin/env bash
# Renders the program's icon packaging/volm.svg into the PNG sizes kept beside
# it (packaging/icons/volm-SIZE.png). Run after changing the SVG; needs
# rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../packaging"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" volm.svg -o "icons/volm-$size.png"
done
