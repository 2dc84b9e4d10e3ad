#!/bin/bash
# Builds the named benchmark targets optimised, without sanitizers (as shipped), in build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build/bench
mkdir -p build
if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DKESTREL_TESTS=OFF >"$dir.configure.log" 2>&1
fi
ninja -C "$dir" -j2 "$@" >/dev/null
