#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) in
# build-fuzz and runs each one for SECONDS (default 60), starting from its seed inputs in
# fuzz/corpus/NAME. An input that crashes a target or breaks one of its checks is kept in
# build-fuzz/findings/NAME/ and the run fails. Each target's result replaces its row in
# docs/RELIABILITY.md.
#   ./fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
. scripts/reliability-doc.sh

seconds=${1:-60}
shift || true
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: $0 [SECONDS] [TARGET...]" >&2
    exit 1
fi

ensure_packages "${BUILD_PACKAGES[@]}" clang-14 libclang-rt-14-dev
build_dir=build-fuzz
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    CC=clang-14 CXX=clang++-14 cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCALSETUP_FUZZ=ON -DBUILD_TESTING=OFF
fi
cmake --build "$build_dir" -j"$(nproc)" --target fuzz_all

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in fuzz/fuzz_*.cpp; do
        targets+=("$(basename "$source" .cpp)")
    done
fi

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export QT_LOGGING_RULES="*=false"

table=$(mktemp)
rows=$(mktemp)
trap 'rm -f "$table" "$rows"' EXIT
when=$(date -u '+%Y-%m-%d %H:%M UTC')
failed=0
for name in "${targets[@]}"; do
    name=${name#fuzz_}
    program="$build_dir/fuzz/fuzz_$name"
    seeds="fuzz/corpus/$name"
    corpus="$build_dir/corpus/$name"
    findings="$build_dir/findings/$name"
    log="$build_dir/logs/$name.log"
    mkdir -p "$seeds" "$corpus" "$findings" "$(dirname "$log")"
    what=$(sed -n '1s|^// *||p' "fuzz/fuzz_$name.cpp")
    echo "== fuzz_$name for $seconds s"
    status=0
    # New inputs go to the scratch corpus; the seeds (with every past finding) are only read.
    "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$seeds" > "$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
    size=$(find "$corpus" -type f | wc -l)
    if [ "$status" -eq 0 ]; then
        result="clean"
    else
        failed=1
        artifact=$(grep -o "Test unit written to [^ ]*" "$log" | tail -1 | sed 's/Test unit written to //' || true)
        reason=$(grep -m1 -E 'ERROR: (AddressSanitizer|libFuzzer|LeakSanitizer)|runtime error|invariant failed' "$log" | sed 's/|/\\|/g' || true)
        result="**FAILED**: ${reason:-exit $status} (${artifact:-no input kept})"
        echo "   $result"
        tail -40 "$log"
    fi
    echo "   runs ${runs:-?}, coverage ${edges:-?}, corpus $size"
    echo "| \`fuzz_$name\` | $what | $when | $seconds | ${runs:-?} | ${edges:-?} | $size | $result |" >> "$rows"
done

# The table keeps one row per target: this run's rows, and for targets not run now the row of
# their last run.
{
    echo "Each row is the target's last run (\`./fuzz.sh SECONDS [TARGET...]\`)."
    echo
    echo "| target | what it feeds | last run | seconds | runs | coverage (edges) | corpus | result |"
    echo "|---|---|---|---:|---:|---:|---:|---|"
    for source in fuzz/fuzz_*.cpp; do
        target=$(basename "$source" .cpp)
        row=$(grep -F "| \`$target\` |" "$rows" || sed -n '/<!-- begin fuzz -->/,/<!-- end fuzz -->/p' docs/RELIABILITY.md | grep -F "| \`$target\` |" || true)
        echo "${row:-| \`$target\` | $(sed -n '1s|^// *||p' "$source") | never | | | | | not run yet |}"
    done
} > "$table"
replace_doc_section fuzz "$table"
echo "Results written to docs/RELIABILITY.md"
exit $failed
