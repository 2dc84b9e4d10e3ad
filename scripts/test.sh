#!/bin/bash
# Builds everything and runs every test: the native unit tests, then the Windows unit tests and
# the engine's end-to-end tests under wine64 in a throw-away prefix.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1
bash scripts/build.sh || exit 1

# Test programs run by CTest and the other checks (engine images, fuzz targets) count one each;
# the closing line counts the GoogleTest cases the programs report and the passed checks.
passed=0
failed=0
checks=0
# Every GoogleTest program writes its results here, so that the closing line counts test cases.
results=$PWD/build/test-results
rm -rf "$results"
mkdir -p "$results"
export GTEST_OUTPUT="xml:$results/"
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

# One check that is not a test program: counted as one passed case, or as a failure.
run_check() {
    if "$@"; then
        passed=$((passed + 1))
        checks=$((checks + 1))
    else
        failed=$((failed + 1))
    fi
}

echo "== layers"
run_check bash tests/check-layers.sh

echo "== engine images"
run_check bash tests/check-binaries.sh

echo "== native tests"
ctest --test-dir build/native --output-on-failure 2>&1 | tee build/native-tests.log
count_results build/native-tests.log

# scripts/fuzz.sh runs them for longer.
echo "== fuzz targets (bounded time each, over the committed seed corpora)"
for fuzzer in build/native/*Fuzz; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus=tests/fuzz/corpus/${name%Fuzz}
    work=$(mktemp -d)
    if "$fuzzer" -max_total_time="${KESTREL_FUZZ_SECONDS:-15}" -rss_limit_mb=2048 "$work" "$corpus" \
        >build/"$name".log 2>&1; then
        echo "$name: passed ($(grep -Eo 'Done [0-9]+ runs in [0-9]+ second' build/"$name".log | tail -1)s)"
        passed=$((passed + 1))
        checks=$((checks + 1))
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
# Wine's drive Z: is the root of this machine's file system.
export GTEST_OUTPUT="xml:Z:${results//\//\\}\\"
# The shortcut tests leave their shell links here for the check below.
shortcuts=$PWD/build/shortcuts
rm -rf "$shortcuts"
mkdir -p "$shortcuts"
export KESTREL_SHORTCUT_FOLDER="Z:${shortcuts//\//\\}"
# A RAM disk of about 1 MiB for the full-disk test (it skips itself without one); mounting
# needs root.
small_drive=$PWD/build/small-drive
mkdir -p "$small_drive"
mountpoint -q "$small_drive" && umount "$small_drive"
if mount -t tmpfs -o size=1m kestrel-small-drive "$small_drive" 2>/dev/null; then
    export KESTREL_SMALL_DRIVE="Z:${small_drive//\//\\}"
else
    echo "no small RAM disk at $small_drive (mounting failed): the full-disk test is skipped"
fi
ctest --test-dir build/win64 --output-on-failure 2>&1 | tee build/windows-tests.log
count_results build/windows-tests.log
if mountpoint -q "$small_drive"; then
    umount "$small_drive"
fi
wine_stop

echo "== shortcuts read back by lnkinfo"
run_check bash tests/wine/check-shortcuts.sh "$shortcuts"

echo "== a signed installer: packed from a signed engine, signed, installed and uninstalled"
run_check bash tests/wine/signed-installer.sh

echo "== the wizard window under Xvfb and wine64, driven with xdotool"
# Its own X server and Wine server: the Windows tests above must run without a display.
run_check bash tests/gui/wizard-window.sh

# A program that fails, or dies before writing its results, is counted as failed above.
read -r case_total case_failed < <(sed -n 's/^<testsuites tests="\([0-9]*\)" failures="\([0-9]*\)".*/\1 \2/p' \
    "$results"/*.xml 2>/dev/null | awk '{ total += $1; bad += $2 } END { print total + 0, bad + 0 }')
echo "test programs and checks: $passed passed, $failed failed"
echo "tests: $((case_total - case_failed + checks)) passed, $((case_failed + failed)) failed"
[ "$failed" -eq 0 ]
