#!/usr/bin/env bash
# Runs the fault-injection tests (tests/reliability) and writes the table of their cases, each with
# the fault, what the program must do and how the run went, into docs/RELIABILITY.md.
#   scripts/reliability-report.sh [BUILD_DIR]     (default build; build-asan for the sanitizer build)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/ensure-packages.sh
. scripts/reliability-doc.sh

build_dir=${1:-build}
ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build "$build_dir"
if grep -q 'CALSETUP_SANITIZE:BOOL=ON' "$build_dir/CMakeCache.txt"; then
    sanitizer_environment
fi
export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="*.debug=false"
unset QT_QPA_PLATFORMTHEME

xml=$(mktemp)
table=$(mktemp)
trap 'rm -f "$xml" "$table"' EXIT
status=0
"$build_dir/tests/test_reliability" --gtest_output="xml:$xml" > /dev/null 2>&1 || status=$?

{
    echo "Last run: $(date -u '+%Y-%m-%d %H:%M UTC'), \`scripts/reliability-report.sh $build_dir\`."
    echo
    echo "| test | fault injected | what the program must do | result |"
    echo "|---|---|---|---|"
    awk '
        function unescape(s) {
            gsub(/&quot;/, "\"", s); gsub(/&apos;/, "\047", s); gsub(/&lt;/, "<", s); gsub(/&gt;/, ">", s)
            gsub(/&amp;/, "\\&", s); gsub(/\|/, "\\|", s)
            return s
        }
        function attribute(line, name,    m) {
            if (match(line, name "=\"[^\"]*\"")) return substr(line, RSTART + length(name) + 2, RLENGTH - length(name) - 3)
            return ""
        }
        function emit() {
            if (name != "" && fault != "") {
                outcome = failed ? "**FAILED**" : (result == "skipped" ? "skipped: " skipped : "passed")
                printf "| `%s.%s` | %s | %s | %s |\n", suite, name, unescape(fault), unescape(expected), unescape(outcome)
            }
            name = ""; fault = ""; expected = ""; failed = 0; skipped = ""
        }
        /<testcase / {
            emit()
            name = attribute($0, "name"); suite = attribute($0, "classname"); result = attribute($0, "result")
            if ($0 ~ /\/>[ \t]*$/) emit()
        }
        /<property name="fault"/ { fault = attribute($0, "value") }
        /<property name="expected"/ { expected = attribute($0, "value") }
        /<failure/ { failed = 1 }
        /<skipped/ { skipped = attribute($0, "message") }
        /<\/testcase>/ { emit() }
    ' "$xml"
} > "$table"
cat "$table"
replace_doc_section faults "$table"
echo "Table written to docs/RELIABILITY.md"
exit $status
