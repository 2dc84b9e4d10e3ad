#!/bin/bash
# Builds the installation benchmark without sanitizers (optimised, as shipped) and installs
# 1,000 and 20,000 files of 8 KiB with the host file layer, best of three each.
set -euo pipefail
cd "$(dirname "$0")/.."
bash bench/build-bench.sh kestrel_installation_bench
[ $# -gt 0 ] || set -- 1000 20000
build/bench/kestrel_installation_bench "$@"
