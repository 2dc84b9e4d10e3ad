#!/bin/bash
# Packs N small files (N = 10,000 / 30,000 / 100,000) and one large compressible file, timing
# instpack build and the engine reader's indexing and unpacking. Uses an optimised build
# without sanitizers in build/bench. Results go to stdout; bench/micro.md records them.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTREL_TESTS=OFF >/dev/null
ninja -C build/bench -j2 instpack payload_bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make_package() {
    local count=$1 dir=$work/p$1
    mkdir -p "$dir/files"
    {
        echo '<VarnexGroupInstallation><ProductDesc><Fullname>Bench</Fullname></ProductDesc>'
        echo '<Dialogs><CopyProgress></CopyProgress></Dialogs><Installation>'
        echo '<DefValues><Value Name="INSTALLDIR" DataType="value">C:\Bench</Value></DefValues>'
        echo '<FileSet Name="All">'
        for ((i = 0; i < count; i++)); do
            echo "<FN Dest=\"[INSTALLDIR]\">files/f$i.txt</FN>"
        done
        echo '</FileSet></Installation></VarnexGroupInstallation>'
    } >"$dir/install.xml"
    for ((i = 0; i < count; i++)); do
        echo "file $i: some small content for the benchmark, line after line" >"$dir/files/f$i.txt"
    done
}

for count in 10000 30000 100000; do
    make_package $count
    start=$(date +%s.%N)
    build/bench/instpack build --description "$work/p$count/install.xml" --payload-only \
        --out "$work/p$count.bin" 2>/dev/null
    end=$(date +%s.%N)
    printf 'pack %6d files: %.2f s  ' $count "$(echo "$end - $start" | bc)"
    build/bench/payload_bench "$work/p$count.bin"
    rm -rf "$work/p$count"
done

mkdir -p "$work/large"
seq 1 30000000 >"$work/large/big.txt"
echo '<VarnexGroupInstallation><ProductDesc><Fullname>Bench</Fullname></ProductDesc><Dialogs><CopyProgress></CopyProgress></Dialogs><Installation><DefValues><Value Name="INSTALLDIR" DataType="value">C:\Bench</Value></DefValues><FileSet Name="A"><FN Dest="[INSTALLDIR]">big.txt</FN></FileSet></Installation></VarnexGroupInstallation>' >"$work/large/install.xml"
start=$(date +%s.%N)
build/bench/instpack build --description "$work/large/install.xml" --payload-only --out "$work/large.bin"
end=$(date +%s.%N)
printf 'pack one %d MiB file: %.2f s  ' $(($(stat -c %s "$work/large/big.txt") >> 20)) "$(echo "$end - $start" | bc)"
build/bench/payload_bench "$work/large.bin"
