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

echo "== engine images"
if bash tests/check-binaries.sh; then passed=$((passed + 1)); else failed=$((failed + 1)); fi

echo "== native tests"
ctest --test-dir build/native --output-on-failure 2>&1 | tee build/native-tests.log
count_results build/native-tests.log

echo "== fuzz targets (bounded time each, over the committed seed corpora)"
for fuzzer in build/native/*Fuzz; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus=tests/fuzz/corpus/${name%Fuzz}
    work=$(mktemp -d)
    if "$fuzzer" -max_total_time="${KESTREL_FUZZ_SECONDS:-20}" -rss_limit_mb=2048 "$work" "$corpus" \
        >build/"$name".log 2>&1; then
        echo "$name: passed ($(grep -Eo 'Done [0-9]+ runs in [0-9]+ second' build/"$name".log | tail -1)s)"
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
