#!/bin/bash
# Compares our installer with NSIS under wine64 on generated products, against two floors (the
# least a Windows program must do to unpack the same payload), and writes the figures into
# bench/results.md. See usage() and the section this script writes there.
set -euo pipefail

usage() {
    cat >&2 <<'EOF'
usage: bash bench/compare.sh [OPTION]... KIND...
  KIND  small   2,000 files of 8 KiB in one folder
        medium  20,000 files of 8 KiB in 200 folders
        many    100,000 files of 1 KiB in 1,000 folders
        large   one file of 256 MiB
        all     every kind
Options (each also read from the environment variable named in brackets):
  --scale=X       [BENCH_SCALE, 1] multiply the file and folder counts and the large file's size
                  by X (for example 0.02 for a quick run while developing)
  --rounds=N      [BENCH_ROUNDS, 5] timed rounds after the warm-up round
  --out=FILE      [BENCH_OUT] the results file; default bench/results.md at scale 1, otherwise
                  build/compare/results.md
  --nsis-limit=S  [BENCH_NSIS_LIMIT, 600] seconds makensis may pack before NSIS is left out
  --run-limit=S   [BENCH_RUN_LIMIT, 1200] seconds one installation or uninstall may take
BENCH_KEEP=DIR keeps a copy of the work folder (products, installers, logs) in DIR.
EOF
    exit 2
}

script=$(readlink -f "$0")
repo=$(dirname "$(dirname "$script")")
cd "$repo"

scale=${BENCH_SCALE:-1}
rounds=${BENCH_ROUNDS:-5}
out=${BENCH_OUT:-}
nsis_limit=${BENCH_NSIS_LIMIT:-600}
run_limit=${BENCH_RUN_LIMIT:-1200}
kinds=()
for argument in "$@"; do
    case $argument in
    --scale=*) scale=${argument#*=} ;;
    --rounds=*) rounds=${argument#*=} ;;
    --out=*) out=${argument#*=} ;;
    --nsis-limit=*) nsis_limit=${argument#*=} ;;
    --run-limit=*) run_limit=${argument#*=} ;;
    all) kinds+=(small large medium many) ;;
    small | medium | many | large) kinds+=("$argument") ;;
    *) usage ;;
    esac
done
[ ${#kinds[@]} -gt 0 ] || usage
[[ $scale =~ ^[0-9]*\.?[0-9]+$ ]] && awk -v s="$scale" 'BEGIN { exit !(s > 0 && s <= 1) }' ||
    { echo "compare: --scale must be a number above 0 and at most 1" >&2; exit 2; }
for number in "$rounds" "$nsis_limit" "$run_limit"; do
    [[ $number =~ ^[1-9][0-9]{0,5}$ ]] || { echo "compare: bad number: $number" >&2; exit 2; }
done
is_full_scale=$(awk -v s="$scale" 'BEGIN { print (s == 1) ? 1 : 0 }')
if [ -z "$out" ]; then
    out=$repo/bench/results.md
    [ "$is_full_scale" = 1 ] || out=$repo/build/compare/results.md
fi
out=$(realpath -m "$out")

# Creating files on this machine's disk soon after deleting thousands costs milliseconds per
# file, so the Wine prefix and every tree live in memory: the harness makes its prefix below
# /tmp, which becomes a tmpfs private to this run (a mount namespace of its own).
if [ -z "${KESTREL_COMPARE_NAMESPACE:-}" ] && [ "$(id -u)" = 0 ] &&
    unshare --mount --propagation private true 2>/dev/null; then
    export KESTREL_COMPARE_NAMESPACE=1
    exec unshare --mount --propagation private bash "$script" "$@"
fi
if [ "${KESTREL_COMPARE_NAMESPACE:-}" = 1 ] && mount -t tmpfs -o mode=1777 kestrel-compare /tmp; then
    work=$(mktemp -d /tmp/kestrel-compare.XXXXXX)
else
    work=$(mktemp -d /dev/shm/kestrel-compare.XXXXXX)
fi

seed=14
product=Kestrel\ Bench
nsis_product=Kestrel\ Bench\ NSIS
tools=$repo/build/compare
started=$(date +%s)

say() { printf '[%s] %s\n' "$(date +%T)" "$*" >&2; }
die() {
    say "compare: $*"
    if [ -n "${kind_dir:-}" ] && [ -d "$kind_dir/logs" ]; then
        rm -rf "$tools/$kind.logs"
        cp -r "$kind_dir/logs" "$tools/$kind.logs"
        cp "$work/wine-stderr.txt" "$tools/$kind.logs/" 2>/dev/null || true
        say "compare: the logs are kept in $tools/$kind.logs"
    fi
    exit 1
}

makensis_pid=""
cleanup() {
    [ -z "$makensis_pid" ] || kill "$makensis_pid" 2>/dev/null || true
    if declare -F wine_stop >/dev/null; then wine_stop; fi
    if [ -n "${BENCH_KEEP:-}" ]; then
        rm -rf "$BENCH_KEEP" && cp -a "$work" "$BENCH_KEEP"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
set -E
trap 'say "compare: stopped: line $LINENO: $BASH_COMMAND"' ERR

# ---- tools -----------------------------------------------------------------------------------

build_tools() {
    say "setup and build: packages, instpack (optimised, as shipped), the 64-bit engine, helpers"
    mkdir -p "$tools"
    bash scripts/setup.sh
    bash bench/build-bench.sh instpack || die "cannot build instpack: see ninja -C build/bench instpack"
    if [ ! -f build/win64/build.ninja ]; then
        cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
            >build/win64.configure.log 2>&1 || die "cannot configure build/win64 (build/win64.configure.log)"
    fi
    ninja -C build/win64 -j2 kestrel >"$tools/engine-build.log" 2>&1 ||
        die "cannot build the engine: $(tail -n 20 "$tools/engine-build.log")"
    local windows=(x86_64-w64-mingw32-g++-posix -std=c++17 -O3 -DNDEBUG -Wall -Wextra -Werror
        -static -static-libgcc -static-libstdc++ -s)
    if [ bench/compare/generate.c -nt "$tools/generate" ]; then
        cc -O2 -Wall -Wextra -Werror -o "$tools/generate" bench/compare/generate.c
    fi
    if [ bench/compare/floor.cpp -nt "$tools/floor.exe" ]; then
        "${windows[@]}" -o "$tools/floor.exe" bench/compare/floor.cpp -lz
    fi
    if [ bench/compare/uninstall-timer.cpp -nt "$tools/uninstall-timer.exe" ]; then
        "${windows[@]}" -o "$tools/uninstall-timer.exe" bench/compare/uninstall-timer.cpp
    fi
    instpack=$repo/build/bench/instpack
    engine=$repo/build/win64/bin/kestrel.exe
    mkdir -p "$work/tools"
    cp "$tools/floor.exe" "$tools/uninstall-timer.exe" "$work/tools/"
}

start_wine() {
    . tests/wine/wine-env.sh
    wine_start
    trap cleanup EXIT # wine_start set its own
    # Everything the Windows programs touch is reached through the drive K:, which is $work.
    ln -sfn "$work" "$WINEPREFIX/dosdevices/k:"
}

# ---- measuring -------------------------------------------------------------------------------

# measure OUTPUT PROGRAM ARGS...: runs a Windows program, standard output to OUTPUT; sets
# seconds (wall time), peak_kib (peak resident memory of the Wine process) and code.
measure() {
    local output=$1 program=$2 begin end
    shift
    begin=$(date +%s%N)
    code=0
    /usr/bin/time -o "$work/time.txt" -f '%M' timeout -k 10 "$run_limit" "$KESTREL_WINE" "$@" \
        </dev/null >"$output" 2>>"$work/wine-stderr.txt" || code=$?
    end=$(date +%s%N)
    seconds=$(awk -v n=$((end - begin)) 'BEGIN { printf "%.3f", n / 1e9 }')
    peak_kib=$(tail -n 1 "$work/time.txt")
    [ "$code" != 124 ] && [ "$code" != 137 ] || die "$program did not end within $run_limit s"
}

# Both output variants of ours install into one folder: the description names it.
tree_of() {
    case $1 in
    ours-*) echo "$work/trees/ours" ;;
    *) echo "$work/trees/$1" ;;
    esac
}

record() { printf '%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" >>"$kind_dir/runs.tsv"; }

product_files_left() {
    { find "$1" -type f -not -path '*/uninst/*' -not -name uninstall.exe 2>/dev/null || true; } |
        wc -l
}

# The tree must hold the product's files byte for byte (checked whole in the warm-up round,
# by number of files in the timed rounds); the uninstallers' own files do not count.
check_tree() {
    local variant=$1 round=$2 tree
    tree=$(tree_of "$variant")
    if [ "$round" = 0 ]; then
        diff -r -q -x uninst -x uninstall.exe "$kind_dir/src/app" "$tree" >"$work/diff.txt" 2>&1 ||
            die "$variant: the installed tree differs from the product: $(head -n 5 "$work/diff.txt")"
    else
        local found
        found=$(product_files_left "$tree")
        [ "$found" = "$count" ] || die "$variant: $found files installed, $count expected"
    fi
}

install() {
    local variant=$1 round=$2 output=/dev/null
    local installer="K:\\$kind\\ours-setup.exe"
    case $variant in
    ours-file)
        output=$kind_dir/logs/ours-file.$round.txt
        measure "$output" "$work/$kind/ours-setup.exe" -gui=0 -quiet=1
        ;;
    ours-null) measure /dev/null "$work/$kind/ours-setup.exe" -gui=0 -quiet=1 ;;
    nsis) measure /dev/null "$work/$kind/nsis-setup.exe" /S '/D=K:\trees\nsis' ;;
    floor-whole | floor-stream)
        measure "$kind_dir/logs/$variant.$round.txt" "$work/tools/floor.exe" "${variant#floor-}" \
            "$installer" "$payload_offset" "K:\\trees\\$variant" 'app\'
        ;;
    esac
    [ "$code" = 0 ] || die "$variant: exit code $code"
    check_tree "$variant" "$round"
    record "$variant" "$round" install_s "$seconds"
    record "$variant" "$round" peak_kib "$peak_kib"
    say "$kind round $round: $variant $seconds s, $((peak_kib / 1024)) MiB"
}

# Each uninstaller runs as an administrator's script runs it: its registered
# QuietUninstallString. Both relaunch a copy of themselves from %TEMP% and end at once; the timer
# runs the command in a job object and waits until every process of it has ended.
uninstall() {
    local variant=$1 round=$2 tree result=$kind_dir/uninstall.txt name=$product
    tree=$(tree_of "$variant")
    rm -f "$result"
    # The relaunched copy writes where the first process did: a file, or /dev/null.
    local output=/dev/null
    [ "$variant" != ours-file ] || output=$kind_dir/logs/uninstall-$variant.$round.txt
    [ "$variant" != nsis ] || name=$nsis_product
    measure "$output" "$work/tools/uninstall-timer.exe" "$name" "$run_limit" "K:\\$kind\\uninstall.txt"
    [ "$code" = 0 ] && [ -s "$result" ] ||
        die "$variant: the uninstall failed (code $code)"
    local took exit_code
    read -r took exit_code < <(tr -d '\r' <"$result")
    [ "$exit_code" = 0 ] || die "$variant: the uninstaller ended with $exit_code"
    local left
    left=$(product_files_left "$tree")
    [ "$left" = 0 ] || die "$variant: the uninstall left $left of the product's files"
    [ ! -e "$tree" ] || die "$variant: the uninstall left $(find "$tree" | head -n 3)"
    record "$variant" "$round" uninstall_s "$took"
    say "$kind round $round: $variant uninstall $took s"
}

run_variant() {
    local variant=$1 round=$2
    install "$variant" "$round"
    case $variant in
    ours-* | nsis) uninstall "$variant" "$round" ;;
    *) rm -rf "$(tree_of "$variant")" ;; # on tmpfs: no penalty for the next run's creations
    esac
}

# ---- one product -----------------------------------------------------------------------------

scaled() { awk -v n="$1" -v s="$scale" -v least="$2" 'BEGIN { v = int(n * s + 0.5); print (v < least ? least : v) }'; }

prepare_product() {
    local files size
    read -r files size folders <<<"$1"  # folders: global, as count and file_size
    count=$(scaled "$files" 1)
    folders=$(scaled "$folders" 1)
    [ "$folders" -le "$count" ] || folders=$count
    file_size=$size
    [ "$files" != 1 ] || file_size=$(scaled "$size" 65536)
    kind_dir=$work/$kind
    rm -rf "$kind_dir"
    mkdir -p "$kind_dir/src/uninst" "$kind_dir/logs" "$work/trees"
    say "$kind: generating $count files of $file_size bytes in $folders folders (seed $seed)"
    "$tools/generate" "$kind_dir/src" "$count" "$file_size" "$folders" "$seed" >"$kind_dir/files.txt"
    product_bytes=$((count * file_size))

    cp "$engine" "$kind_dir/src/uninst/uninstall.exe"
    : >"$kind_dir/src/uninst/install.log"
    : >"$kind_dir/src/uninst/backup.bin"
    BENCH_APP='K:\trees\ours' BENCH_PRODUCT=$product \
        awk -f bench/compare/description.awk "$kind_dir/files.txt" >"$kind_dir/src/install.xml"
    NSIS_NAME=$nsis_product NSIS_OUT=../nsis-setup.exe NSIS_DIR='K:\trees\nsis' \
        awk -f bench/compare/nsis-script.awk "$kind_dir/files.txt" >"$kind_dir/src/product.nsi"
}

seconds_since() { awk -v n=$(($(date +%s%N) - $1)) 'BEGIN { printf "%.2f", n / 1e9 }'; }

pack_products() {
    say "$kind: packing with instpack"
    local begin
    begin=$(date +%s%N)
    "$instpack" build --description "$kind_dir/src/install.xml" --engine "$engine" \
        --out "$kind_dir/ours-setup.exe" >"$kind_dir/logs/instpack.txt" 2>&1 ||
        die "instpack failed: $(tail -n 5 "$kind_dir/logs/instpack.txt")"
    pack_ours=$(seconds_since "$begin")
    payload_offset=$(stat -c %s "$engine")
    say "$kind: instpack $pack_ours s; packing with makensis (at most $nsis_limit s)"
    pack_nsis
}

# makensis slows down sharply as the files grow in number (on this machine 20,000 files of
# 1 KiB took 15 s, 40,000 took 453 s, most of it in the last few thousand File commands), and
# its rate only falls as it goes on. So it is stopped as soon as the files still to pack, at
# the rate of the last 20 s, would take it past twice the limit: that saves most of the limit
# on a product it cannot pack, and the note says what was seen.
pack_nsis() {
    local log=$kind_dir/logs/makensis.txt begin packed then=0 packed_then=0 status=0 elapsed
    local projected
    nsis_packed=1 nsis_note=""
    begin=$(date +%s%N)
    (cd "$kind_dir/src" && exec makensis -V4 product.nsi) >"$log" 2>&1 &
    local pid=$!
    makensis_pid=$pid
    while kill -0 "$pid" 2>/dev/null; do
        sleep 0.2
        elapsed=$(seconds_since "$begin")
        if awk -v e="$elapsed" -v l="$nsis_limit" 'BEGIN { exit !(e > l) }'; then
            nsis_note="it did not finish within $nsis_limit s"
        elif awk -v e="$elapsed" -v t="$then" 'BEGIN { exit !(e - t >= 20) }'; then
            packed=$(grep -c '^File: ' "$log" || true)
            if [ "$then" != 0 ] && [ "$packed" -lt "$count" ]; then
                projected=$(awk -v e="$elapsed" -v t="$then" -v k="$packed" -v k0="$packed_then" \
                    -v n="$count" 'BEGIN { r = (k - k0) / (e - t); p = r > 0 ? e + (n - k) / r : 1e9
                        printf "%.0f %.1f", p, r }')
                if [ "${projected% *}" -gt $((2 * nsis_limit)) ]; then
                    nsis_note="after $elapsed s it had packed $(group "$packed") of $(group "$count") files, the last 20 s at ${projected#* } files a second; at that rate it would need $(group "${projected% *}") s in all (limit $nsis_limit s)"
                fi
            fi
            then=$elapsed packed_then=$packed
        fi
        if [ -n "$nsis_note" ]; then
            kill "$pid" 2>/dev/null || true
            break
        fi
    done
    wait "$pid" || status=$?
    makensis_pid=""
    pack_nsis=$(seconds_since "$begin")
    if [ -n "$nsis_note" ]; then
        nsis_packed=0
        say "$kind: makensis left out: $nsis_note"
    elif [ "$status" != 0 ]; then
        die "makensis failed: $(grep -i error "$log" | tail -n 5)"
    else
        say "$kind: makensis $pack_nsis s"
    fi
}

run_rounds() {
    local variants=(ours-file ours-null)
    [ "$nsis_packed" = 0 ] || variants+=(nsis)
    variants+=(floor-whole floor-stream)
    local n=${#variants[@]} round i
    : >"$kind_dir/runs.tsv"
    # Round 0 is the warm-up (one run of each program: ours once); each round starts one
    # program later than the one before.
    local round_began
    for ((round = 0; round <= rounds; round++)); do
        round_began=$(date +%s)
        for ((i = 0; i < n; i++)); do
            local variant=${variants[(i + round) % n]}
            [ "$round" != 0 ] || [ "$variant" != ours-null ] || continue
            run_variant "$variant" "$round"
        done
        if [ "$round" = 1 ] && [ "$rounds" -gt 1 ]; then
            local took=$(($(date +%s) - round_began))
            say "$kind: a timed round takes $took s; about $((took * (rounds - 1))) s to go"
        fi
    done
    mkdir -p "$tools"
    cp "$kind_dir/runs.tsv" "$tools/$kind.runs.tsv"
}

# ---- results ---------------------------------------------------------------------------------

# median VARIANT METRIC UNIT [DIVISOR [DECIMALS]]: over the timed rounds, with the range when
# the rounds differ. Without DECIMALS, three significant digits (at least one decimal).
median() {
    awk -F '\t' -v v="$1" -v m="$2" -v u="$3" -v d="${4:-1}" -v p="${5:--1}" '
        function show(x) { return sprintf("%.*f", p >= 0 ? p : x < 1 ? 3 : x < 10 ? 2 : 1, x) }
        $1 == v && $3 == m && $2 > 0 { x[++n] = $4 / d }
        END {
            if (n == 0) { print "—"; exit }
            for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (x[j] < x[i]) { t = x[i]; x[i] = x[j]; x[j] = t }
            mid = n % 2 ? x[(n + 1) / 2] : (x[n / 2] + x[n / 2 + 1]) / 2
            printf "%s%s", show(mid), u
            if (show(x[1]) != show(x[n])) printf " (%s–%s)", show(x[1]), show(x[n])
        }' "$kind_dir/runs.tsv"
}

# Milliseconds per file of a variant's median installation.
per_file() {
    local seconds
    seconds=$(middle "$1" install_s)
    [ "$seconds" != — ] || { echo —; return; }
    awk -v s="$seconds" -v n="$count" 'BEGIN { printf "%.3f", s * 1000 / n }'
}

# The bare median, unrounded.
middle() { median "$1" "$2" "" 1 6 | cut -d ' ' -f 1; }

describe_kind() {
    case $kind in
    small) echo "$(group "$count") files of $(size_text "$file_size") in one folder" ;;
    medium | many) echo "$(group "$count") files of $(size_text "$file_size") in $(group "$folders") folders" ;;
    large) echo "one file of $(size_text "$file_size")" ;;
    esac
}

group() { echo "$1" | sed -e ':a' -e 's/\B[0-9]\{3\}\>/,&/' -e 'ta'; }
size_text() {
    awk -v b="$1" 'BEGIN { u = b >= 1048576 ? 1048576 : 1024; x = b / u
        printf (x == int(x) ? "%d %s" : "%.1f %s"), x, u == 1024 ? "KiB" : "MiB" }'
}

machine_line() {
    local cpu cores memory commit dirty=""
    cpu=$(lscpu | sed -n 's/^Model name:[[:space:]]*//p' | head -n 1)
    cores=$(nproc)
    memory=$(free -g | awk '/^Mem:/ { print $2 }')
    commit=$(git rev-parse --short HEAD)
    git diff --quiet HEAD -- . ':!bench/results.md' 2>/dev/null || dirty=" with uncommitted changes"
    printf '%s, %s cores, %s GiB memory (`lscpu`, `free`); %s; NSIS %s; prefix on %s, trees on %s. ' \
        "${cpu:-unknown CPU}" "$cores" "$memory" "$("$KESTREL_WINE" --version)" \
        "$(makensis -VERSION)" "$(stat -f -c %T "$WINEPREFIX")" "$(stat -f -c %T "$work")"
    printf 'Measured %s, commit %s%s, load average before the product %s.\n' \
        "$(date -u '+%Y-%m-%d %H:%M UTC')" "$commit" "$dirty" "$load_before"
}

write_kind_block() {
    local nsis_install=— nsis_memory=— nsis_uninstall=— nsis_pack
    if [ "$nsis_packed" = 1 ]; then
        nsis_install=$(median nsis install_s " s")
        nsis_memory=$(median nsis peak_kib " MiB" 1024 0)
        nsis_uninstall=$(median nsis uninstall_s " s")
        nsis_pack="against makensis $pack_nsis s ($(size_text "$(stat -c %s "$kind_dir/nsis-setup.exe")"))"
    else
        nsis_install="left out (see packing)"
        nsis_pack="; makensis left out: $nsis_note"
    fi
    echo "<!-- compare:$kind -->"
    echo "### $kind: $(describe_kind)"
    echo
    [ "$is_full_scale" = 1 ] || echo "**Scaled run (--scale=$scale): not the product the issue names.**"
    [ "$is_full_scale" = 1 ] || echo
    echo "$(machine_line)"
    echo "$rounds timed round(s) after a warm-up, the order rotated each round; median (lowest–highest)."
    echo "Ours is uninstalled with its output where the installation's went: to a file or to /dev/null."
    echo "Product: $(size_text "$product_bytes") of files; every tree identical to it, byte for byte."
    echo
    echo "| | ours, output to a file | ours, output to /dev/null (a character device) | NSIS (zlib, not solid, /S) | whole-buffer floor | streaming floor |"
    echo "|---|---|---|---|---|---|"
    echo "| installation | $(median ours-file install_s " s") | $(median ours-null install_s " s") | $nsis_install | $(median floor-whole install_s " s") | $(median floor-stream install_s " s") |"
    echo "| peak memory | $(median ours-file peak_kib " MiB" 1024 0) | $(median ours-null peak_kib " MiB" 1024 0) | $nsis_memory | $(median floor-whole peak_kib " MiB" 1024 0) | $(median floor-stream peak_kib " MiB" 1024 0) |"
    echo "| uninstall | $(median ours-file uninstall_s " s") | $(median ours-null uninstall_s " s") | $nsis_uninstall | — | — |"
    echo
    echo "Packing: instpack $pack_ours s ($(size_text "$(stat -c %s "$kind_dir/ours-setup.exe")")) $nsis_pack."
    if [ "$count" != 1 ]; then
        local nsis_per_file=""
        [ "$nsis_packed" = 0 ] || nsis_per_file="; NSIS $(per_file nsis) ms"
        echo "Time per file: ours $(per_file ours-file) ms (output to a file), $(per_file ours-null) ms (/dev/null)$nsis_per_file; streaming floor $(per_file floor-stream) ms."
    fi
    # What the targets table reads: medians in seconds and KiB, "—" where there is none.
    local memory
    memory=$(awk -v a="$(middle ours-file peak_kib)" -v b="$(middle ours-null peak_kib)" \
        'BEGIN { print (a > b ? a : b) }')
    echo "<!-- targets:$kind files=$count install=$(middle ours-null install_s)" \
        "nsis=$(middle nsis install_s) floor=$(middle floor-stream install_s) memory=$memory" \
        "uninstall=$(middle ours-null uninstall_s) nsis_uninstall=$(middle nsis uninstall_s)" \
        "pack=$pack_ours makensis=$([ "$nsis_packed" = 1 ] && echo "$pack_nsis" || echo —) -->"
    echo "<!-- /compare:$kind -->"
}

# The targets of the issue against the figures of each product block in SECTION (each block's
# targets line), whichever run measured it.
targets_table() {
    awk '
        function show(x) { return x == "—" ? x : sprintf(x < 1 ? "%.3f s" : x < 10 ? "%.2f s" : "%.1f s", x) }
        function verdict(ok) { return ok ? "holds" : "**missed**" }
        /^<!-- targets:/ {
            kind = substr($2, 9); kinds[++n] = kind
            for (i = 3; i <= NF; i++) if (split($i, pair, "=") == 2) v[kind, pair[1]] = pair[2]
        }
        END {
            if (n == 0) exit
            print "### Against the targets"
            print ""
            printf "| Target |"; for (i = 1; i <= n; i++) printf " %s |", kinds[i]; print ""
            printf "|---|"; for (i = 1; i <= n; i++) printf "---|"; print ""
            printf "| installation to /dev/null at most 0.8 × NSIS |"
            for (i = 1; i <= n; i++) { k = kinds[i]; a = v[k, "install"]; b = v[k, "nsis"]
                if (b == "—") printf " NSIS cannot pack it |"
                else printf " %s against %s: %s (%.2f ×) |", show(a), show(0.8 * b), verdict(a <= 0.8 * b), a / b }
            print ""
            printf "| installation at most 1.2 × the streaming floor |"
            for (i = 1; i <= n; i++) { k = kinds[i]; a = v[k, "install"]; b = v[k, "floor"]
                printf " %s against %s: %s (%.2f ×) |", show(a), show(1.2 * b), verdict(a <= 1.2 * b), a / b }
            print ""
            printf "| peak memory at most 48 MiB + 1.2 KiB per file |"
            for (i = 1; i <= n; i++) { k = kinds[i]; m = v[k, "memory"]; limit = 48 * 1024 + 1.2 * v[k, "files"]
                printf " %d MiB against %d MiB: %s |", m / 1024 + 0.5, limit / 1024, verdict(m <= limit) }
            print ""
            printf "| uninstall at most NSIS%ss |", "\047"
            for (i = 1; i <= n; i++) { k = kinds[i]; a = v[k, "uninstall"]; b = v[k, "nsis_uninstall"]
                if (b == "—") printf " NSIS cannot pack it |"
                else printf " %s against %s: %s |", show(a), show(b), verdict(a <= b) }
            print ""
            printf "| packing at least 10 × faster than makensis |"
            for (i = 1; i <= n; i++) { k = kinds[i]; a = v[k, "pack"]; b = v[k, "makensis"]
                if (b == "—") printf " makensis cannot pack it |"
                else printf " %s against %s: %s (%.1f ×) |", show(a), show(b), verdict(10 * a <= b), b / a }
            print ""
            if (("small", "files") in v && ("many", "files") in v) {
                small = v["small", "install"] * 1000 / v["small", "files"]
                many = v["many", "install"] * 1000 / v["many", "files"]
                print ""
                printf "Time per file at %d files, %.3f ms, against 1.2 × that at %d files, %.3f ms: %s.\n",
                    v["many", "files"], many, v["small", "files"], 1.2 * small, verdict(many <= 1.2 * small)
            }
        }' "$1"
}

section_intro() {
    cat <<'EOF'
<!-- compare -->
## Against NSIS under Wine: installation, uninstall, memory, packing

`bash bench/compare.sh KIND` (KIND: `small`, `medium`, `many`, `large` or `all`; `--scale=0.02`
for a quick run with smaller products, which writes build/compare/results.md instead) sets up
and builds what it needs, then for each product:

- generates it with a fixed seed (bench/compare/generate.c): per file (per 64 KiB block for the
  large file) text (about 60 %), structured binary tables (15 %) or random bytes (25 %);
- packs it with `instpack` (optimised build without sanitizers, as shipped) and with `makensis`
  (amd64-unicode stubs, zlib, not solid; one `File` per file and an uninstaller that deletes
  each file and folder); NSIS is left out where makensis cannot pack within 10 minutes;
- installs it under wine64, in a throw-away prefix of the test harness, with prefix and trees on
  a tmpfs: ours unattended (`-gui=0 -quiet=1`) with standard output to a file and to /dev/null,
  NSIS with `/S /D=...`, and the two floors (bench/compare/floor.cpp, built with the same mingw
  toolchain, flags and static zlib as the engine): the whole-buffer floor reads the installer's
  payload whole and inflates each entry whole before writing it, the streaming floor maps the
  installer and inflates each entry through a 256 KiB buffer into its file;
- runs a warm-up round, then timed rounds, each starting one program later than the previous;
- times each installation as the wall time of the Wine process, and reads its peak resident
  memory (GNU time); checks every tree against the product (`diff -r` in the warm-up, the number
  of files afterwards);
- uninstalls each installation at once through its registered `QuietUninstallString`, as an
  administrator's script would: both uninstallers copy themselves to the temporary folder,
  start the copy and end, so the timer (bench/compare/uninstall-timer.cpp) runs the command in
  a job object and stops when the last process of the job has ended. The floors' trees are
  removed.

The raw figures of the last run of each product are in build/compare/KIND.runs.tsv.
EOF
}

# Replaces the blocks of the products measured in this run, keeps the others, and puts the
# section at the end of the results file when it has none yet.
update_results() {
    local blocks=$1 section=$work/section.md kind_name
    mkdir -p "$(dirname "$out")"
    [ -f "$out" ] || echo "# Benchmarks" >"$out"
    section_intro >"$section"
    for kind_name in small medium many large; do
        echo >>"$section"
        if [ -f "$blocks/$kind_name.md" ]; then
            cat "$blocks/$kind_name.md" >>"$section"
        else
            awk -v k="$kind_name" '$0 == "<!-- compare:" k " -->" { on = 1 } on { print }
                $0 == "<!-- /compare:" k " -->" { on = 0 }' "$out" >>"$section"
        fi
    done
    echo >>"$section"
    targets_table "$section" >>"$section"
    printf '\n<!-- /compare -->\n' >>"$section"
    sed -i -e '/^$/N;/^\n$/D' "$section"
    awk -v section="$section" '
        $0 == "<!-- compare -->" { while ((getline line < section) > 0) print line; skip = 1; done = 1; next }
        skip && $0 == "<!-- /compare -->" { skip = 0; next }
        !skip { print }
        END { if (!done) { print ""; while ((getline line < section) > 0) print line } }' \
        "$out" >"$work/results.md"
    cp "$work/results.md" "$out"
}

# ---- main ------------------------------------------------------------------------------------

build_tools
start_wine
mkdir -p "$work/blocks"
for kind in "${kinds[@]}"; do
    [ ! -f "$work/blocks/$kind.md" ] || continue
    load_before=$(cut -d ' ' -f 1-3 /proc/loadavg)
    case $kind in
    small) prepare_product "2000 8192 1" ;;
    medium) prepare_product "20000 8192 200" ;;
    many) prepare_product "100000 1024 1000" ;;
    large) prepare_product "1 268435456 1" ;;
    esac
    pack_products
    run_rounds
    write_kind_block >"$work/blocks/$kind.md"
    update_results "$work/blocks"
    say "$kind: done; results in $out"
    rm -rf "$kind_dir" "$work/trees"
done
say "finished in $(($(date +%s) - started)) s; results in $out"
