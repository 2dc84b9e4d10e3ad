#!/bin/bash
# Builds the description benchmark without sanitizers (optimised, as shipped) and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build/bench
if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DKESTREL_TESTS=OFF >"$dir.configure.log" 2>&1
fi
ninja -C "$dir" -j2 kestrel_description_bench >/dev/null
"$dir/kestrel_description_bench" "$@"
