#!/bin/bash
# Builds everything and runs every test: the native unit tests, then the Windows unit tests and
# the engine's end-to-end tests under wine64 in a throw-away prefix.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1
bash scripts/build.sh || exit 1

passed=0
failed=0
count_results() {
    local log=$1
    local line
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -z "$line" ]; then
        failed=$((failed + 1))
        return
    fi
    local total bad
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

echo "== native tests"
ctest --test-dir build/native --output-on-failure 2>&1 | tee build/native-tests.log
count_results build/native-tests.log

echo "== payload offset field: its text and zero byte exactly once in each engine"
for engine in build/win64/bin/kestrel.exe build/win32/bin/kestrel.exe; do
    count=$(LC_ALL=C grep -obUaP '_BINARYIMAGEOFFSET_\x00' "$engine" | wc -l)
    if [ "$count" -eq 1 ]; then
        echo "$engine: passed"
        passed=$((passed + 1))
    else
        echo "$engine: FAILED (the field occurs $count times)"
        failed=$((failed + 1))
    fi
done

echo "== fuzz targets (bounded time each, over the committed seed corpora)"
for fuzzer in build/native/*Fuzz; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus=tests/fuzz/corpus/${name%Fuzz}
    work=$(mktemp -d)
    if "$fuzzer" -max_total_time="${KESTREL_FUZZ_SECONDS:-20}" -rss_limit_mb=2048 "$work" "$corpus" \
        >build/"$name".log 2>&1; then
        echo "$name: passed ($(grep -o 'stat::number_of_executed_units: [0-9]*' build/"$name".log || grep -Eo '#[0-9]+ +DONE' build/"$name".log | tail -1))"
        passed=$((passed + 1))
    else
        echo "$name: FAILED"
        tail -40 build/"$name".log
        failed=$((failed + 1))
    fi
    rm -rf "$work"
done

echo "== Windows tests under wine64"
. tests/wine/wine-env.sh
wine_start
ctest --test-dir build/win64 --output-on-failure 2>&1 | tee build/windows-tests.log
count_results build/windows-tests.log
wine_stop

echo "test programs: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
