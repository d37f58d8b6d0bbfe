#!/usr/bin/env bash
# Renders the application icon (packaging/icons/knjigelumen.svg) into the PNG sizes of the
# hicolor theme, packaging/icons/knjigelumen-<size>.png. Run by hand after changing the SVG; the
# PNGs are committed, so the build does not need the tools (librsvg2-bin, optipng).
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" knjigelumen.svg -o "knjigelumen-$size.png"
    optipng -quiet -o7 -strip all "knjigelumen-$size.png"
done
