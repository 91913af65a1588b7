#!/usr/bin/env bash
# Renders the PNG icons from the SVG. The PNGs are committed, so a build needs no renderer; run
# this after changing the SVG (it needs rsvg-convert, from librsvg2-bin) and commit what changed.
set -euo pipefail
cd "$(dirname "$0")/icons"
. ../../scripts/ensure-packages.sh
ensure_packages librsvg2-bin
id=org.calsetup.CalSetup
for size in 48 128; do
    mkdir -p "${size}x${size}"
    rsvg-convert --width "$size" --height "$size" "$id.svg" --output "${size}x${size}/$id.png"
done
