#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) in
# build-fuzz and runs each one for SECONDS (default 60), starting from its seed inputs in
# fuzz/corpus/NAME. An input that crashes a target or breaks one of its checks is kept in
# build-fuzz/findings/NAME/ and the run fails. A run of every target writes its results into
# docs/RELIABILITY.md; a run of chosen targets only prints them.
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
all_targets=false
if [ ${#targets[@]} -eq 0 ]; then
    all_targets=true
    for source in fuzz/fuzz_*.cpp; do
        targets+=("$(basename "$source" .cpp)")
    done
fi

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export QT_LOGGING_RULES="*=false"

table=$(mktemp)
trap 'rm -f "$table"' EXIT
{
    echo "Last run: $(date -u '+%Y-%m-%d %H:%M UTC'), ${seconds} s per target (\`./fuzz.sh $seconds\`)."
    echo
    echo "| target | what it feeds | runs | coverage (edges) | corpus | result |"
    echo "|---|---|---:|---:|---:|---|"
} > "$table"

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
    echo "| \`fuzz_$name\` | $what | ${runs:-?} | ${edges:-?} | $size | $result |" >> "$table"
done

if $all_targets; then
    replace_doc_section fuzz "$table"
    echo "Results written to docs/RELIABILITY.md"
fi
exit $failed
