#!/usr/bin/env bash
# Builds what the benchmark needs (if anything changed) and prints every speed and memory figure
# beside its target. Arguments go to calbench: --runs N, --exchanges N, --only table,search,
# --markdown. The figures are for reading; a missed target does not fail this script.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"
build_dir=${CALBENCH_BUILD_DIR:-build}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
case "$build_type" in
    Release|RelWithDebInfo) ;;
    *) echo "Note: $build_dir is a '$build_type' build; figures of an optimised build are the ones that count." >&2 ;;
esac
cmake --build "$build_dir" -j2 --target calbench
# Windows are measured on the offscreen platform, without a desktop theme.
export QT_QPA_PLATFORM=offscreen
unset QT_QPA_PLATFORMTHEME
exec "$build_dir/bench/calbench" "$@"
