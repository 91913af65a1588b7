#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build build
# Windows are tested on the offscreen platform; a desktop theme's native dialogs would hang a test.
export QT_QPA_PLATFORM=offscreen
unset QT_QPA_PLATFORMTHEME
ctest --test-dir build --output-on-failure -j2 --timeout 600
