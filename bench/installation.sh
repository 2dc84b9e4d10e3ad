#!/bin/bash
# Builds the installation benchmark without sanitizers (optimised, as shipped) and installs
# 1,000 and 20,000 files of 8 KiB with the host file layer, best of three each.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build/bench
if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DKESTREL_TESTS=OFF >"$dir.configure.log" 2>&1
fi
ninja -C "$dir" -j2 kestrel_installation_bench >/dev/null
[ $# -gt 0 ] || set -- 1000 20000
"$dir/kestrel_installation_bench" "$@"
