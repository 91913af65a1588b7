#!/usr/bin/env bash
# Installs what is missing, builds, and opens the program on the built-in virtual calibrator.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build build
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec ./build/src/gui/calsetup --simulate "$@"
fi
echo "No display found: showing the command-line tool against the virtual calibrator instead."
echo "\$ calsetup-cli --simulate identify"
./build/src/cli/calsetup-cli --simulate identify
echo "\$ calsetup-cli --simulate info"
./build/src/cli/calsetup-cli --simulate info
