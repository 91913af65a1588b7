#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   ./test.sh              the normal build in build/
#   ./test.sh --sanitize   the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer
#                          in build-asan/; any report fails the test that caused it. The outcome is
#                          noted in docs/RELIABILITY.md.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${DISPLAY_PACKAGES[@]}" "${INSTALL_TEST_PACKAGES[@]}"

sanitize=false
case "${1:-}" in
    "") ;;
    --sanitize) sanitize=true ;;
    *) echo "usage: $0 [--sanitize]" >&2; exit 1 ;;
esac

build_dir=build
start=$(date +%s)
if $sanitize; then
    build_dir=build-asan
    # Debug keeps the reports' stack traces exact; the sanitizers' own cost dominates anyway.
    configure_and_build "$build_dir" -DCMAKE_BUILD_TYPE=Debug -DCALSETUP_SANITIZE=ON
    sanitizer_environment
else
    configure_and_build "$build_dir"
fi
built=$(date +%s)
# Windows are tested on the offscreen platform, and the display tests on a virtual X server with
# a window manager (scripts/with-display.sh); a desktop theme's native dialogs would hang a test.
export QT_QPA_PLATFORM=offscreen
export CALSETUP_REQUIRE_DISPLAY=1
unset QT_QPA_PLATFORMTHEME
if ! $sanitize; then
    exec scripts/with-display.sh ctest --test-dir "$build_dir" --output-on-failure -j2 --timeout 600
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
scripts/with-display.sh ctest --test-dir "$build_dir" --output-on-failure -j2 --timeout 600 2>&1 | tee "$log" || status=$?
. scripts/reliability-doc.sh
summary=$(grep -E '^[0-9]+% tests passed' "$log" | tail -1 || true)
{
    echo "Last run: $(date -u '+%Y-%m-%d %H:%M UTC'), \`./test.sh --sanitize\`: ${summary:-no summary (exit $status)};" \
         "build $(( built - start )) s, tests $(( $(date +%s) - built )) s on $(nproc) cores."
} > "$log.section"
replace_doc_section sanitize "$log.section" || true
rm -f "$log.section"
exit $status
