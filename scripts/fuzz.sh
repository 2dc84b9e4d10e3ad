#!/bin/bash
# Fuzzes the readers of outside input: builds the native tree with its libFuzzer targets, then
# runs every target (or the named ones: ActionLog or ActionLogFuzz) for SECONDS each over its
# committed seed corpus, one after the other.
#
# New corpus entries go to build/fuzz/corpus/<name>/, kept between runs and never written into
# the committed corpus; a crash, leak or timeout leaves its input in build/fuzz/artifacts/<name>/
# and the target's output in build/fuzz/<name>.log. Exit status 1 when any target failed.
#
# Usage: scripts/fuzz.sh SECONDS [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-}
if [[ ! "$seconds" =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/fuzz.sh SECONDS [TARGET...]" >&2
    exit 2
fi
shift

targets=()
if [ $# -eq 0 ]; then
    for source in tests/fuzz/*Fuzz.cpp; do
        targets+=("$(basename "$source" .cpp)")
    done
else
    for name in "$@"; do
        targets+=("${name%Fuzz}Fuzz")
    done
fi
for target in "${targets[@]}"; do
    if [ ! -f "tests/fuzz/$target.cpp" ]; then
        echo "no fuzz target $target (tests/fuzz/$target.cpp)" >&2
        exit 2
    fi
done

build=build/native
mkdir -p build
cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKESTREL_SANITIZE=ON -DKESTREL_FUZZ=ON >build/fuzz-configure.log 2>&1 || {
    cat build/fuzz-configure.log
    exit 1
}
ninja -C "$build" -j "${KESTREL_JOBS:-$(nproc)}" "${targets[@]}" || exit 1

failed=0
for target in "${targets[@]}"; do
    name=${target%Fuzz}
    corpus=build/fuzz/corpus/$name
    artifacts=build/fuzz/artifacts/$name
    log=build/fuzz/$target.log
    mkdir -p "$corpus" "$artifacts"
    if nice "$build/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=60 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "tests/fuzz/corpus/$name" \
        >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        coverage=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
        echo "$target: passed, $runs runs in ${seconds}s, $coverage, corpus $(ls "$corpus" | wc -l) entries"
    else
        echo "$target: FAILED (input in $artifacts/, output in $log)"
        grep -E '^(==[0-9]+==|SUMMARY|    #[0-9] )' "$log" | head -20
        failed=1
    fi
done
exit "$failed"
