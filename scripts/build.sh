#!/bin/bash
# Builds the three outputs: the native code with its tests (sanitizers on), and the engine for
# 64-bit and 32-bit Windows. Build folders go below build/.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)

configure() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 || {
        cat "$dir.configure.log"
        return 1
    }
}

mkdir -p build
configure build/native -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKESTREL_SANITIZE=ON -DKESTREL_FUZZ=ON
configure build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
configure build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DKESTREL_TESTS=OFF

# A failed build must stop here: the tests would otherwise run the binaries of an older one.
for dir in build/native build/win64 build/win32; do
    echo "build: $dir"
    status=0
    ninja -C "$dir" -j "$jobs" >"$dir.build.log" 2>&1 || status=$?
    grep -v '^\[' "$dir.build.log" || true
    if [ "$status" -ne 0 ]; then
        echo "build: $dir failed (exit $status)"
        exit 1
    fi
done
