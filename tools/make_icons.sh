#!/usr/bin/env bash
# Renders the icon's PNG sizes from its drawings: velunor2.svg for 32 pixels
# and up, velunor2-small.svg (fewer details) for 16 and 24.
# Needs librsvg2-bin (VELUNOR_DEV_TOOLS=1 bash tools/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 24; do rsvg-convert -w $size -h $size velunor2-small.svg -o velunor2-$size.png; done
for size in 32 48 64 128 256; do rsvg-convert -w $size -h $size velunor2.svg -o velunor2-$size.png; done
ls -l velunor2-*.png
