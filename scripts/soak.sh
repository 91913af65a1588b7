#!/usr/bin/env bash
# The soak run: 10,000 exchanges (or N) through the program's driver and serial transport with the
# virtual calibrator, noise, lost answers and a vanishing device mixed in, in the sanitizer build
# (build-asan). It fails on any memory error, on a leak (checked at exit) and when the live heap
# grows after the warm-up. The result goes into docs/RELIABILITY.md.
#   scripts/soak.sh [N]            in build-asan (AddressSanitizer's exact heap count)
#   scripts/soak.sh --plain [N]    in build, without the sanitizer (quicker, no leak check)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/ensure-packages.sh
. scripts/reliability-doc.sh

mode=asan
flag=""
if [ "${1:-}" = "--plain" ]; then
    mode=plain
    flag=" --plain"
    shift
fi
exchanges=${1:-10000}
if ! [[ "$exchanges" =~ ^[0-9]+$ ]] || [ "$exchanges" -lt 100 ]; then
    echo "usage: $0 [--plain] [EXCHANGES >= 100]" >&2
    exit 1
fi

ensure_packages "${BUILD_PACKAGES[@]}"
if [ "$mode" = asan ]; then
    build_dir=build-asan
    if [ ! -f "$build_dir/CMakeCache.txt" ]; then
        cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCALSETUP_SANITIZE=ON
    fi
    sanitizer_environment
else
    build_dir=build
    if [ ! -f "$build_dir/CMakeCache.txt" ]; then
        cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    # glibc's per-thread cache would count freed chunks as live.
    export GLIBC_TUNABLES=glibc.malloc.tcache_count=0
fi
cmake --build "$build_dir" -j"$(nproc)" --target test_reliability

export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="*.debug=false"
unset QT_QPA_PLATFORMTHEME
log=$(mktemp)
section=$(mktemp)
trap 'rm -f "$log" "$section"' EXIT
start=$(date +%s)
status=0
CALSETUP_SOAK_EXCHANGES=$exchanges "$build_dir/tests/test_reliability" --gtest_also_run_disabled_tests \
    --gtest_filter='*DISABLED_Soak' > "$log" 2>&1 || status=$?
seconds=$(( $(date +%s) - start ))
cat "$log"

line=$(grep '^SOAK ' "$log" | tail -1 || true)
value() { sed -n "s/.*$1=\([0-9-]*\).*/\1/p" <<< "$line"; }
if [ -n "$line" ]; then
    growth=$(( $(value heap_at_end) - $(value heap_after_warmup) ))
    summary="$(value exchanges) exchanges ($(value answered) answered, $(value failed) hit by an injected fault), live heap $(value heap_after_warmup) bytes after the warm-up and $(value heap_at_end) at the end (growth $growth bytes)"
else
    summary="the run ended before its summary"
fi
if [ "$status" -eq 0 ]; then
    result="passed"
    leaks=$([ "$mode" = asan ] && echo "no leak reported at exit" || echo "leaks not checked (--plain)")
else
    result="**FAILED** (exit $status)"
    leaks=$(grep -m1 -E 'ERROR: (LeakSanitizer|AddressSanitizer)|runtime error|Failure' "$log" || echo "see the log")
fi
{
    echo "Last run: $(date -u '+%Y-%m-%d %H:%M UTC'), \`scripts/soak.sh$flag $exchanges\` in $build_dir, $seconds s: $result."
    echo
    echo "- $summary;"
    echo "- $leaks."
} > "$section"
replace_doc_section soak "$section"
echo "Result written to docs/RELIABILITY.md"
exit $status
