#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG. The PNGs are committed, so the build
# needs no SVG renderer; run this after editing the SVG (needs librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../src/app/icons"
for size in 16 32 48; do
  rsvg-convert -w "$size" -h "$size" quillwave.svg -o "quillwave-$size.png"
done
