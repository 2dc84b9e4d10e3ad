#!/bin/bash
# Builds the description benchmark without sanitizers (optimised, as shipped) and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash bench/build-bench.sh kestrel_description_bench
build/bench/kestrel_description_bench "$@"
