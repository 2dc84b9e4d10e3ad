#!/bin/bash
# Runs every benchmark against an optimised build without sanitizers (build/bench).
set -euo pipefail
cd "$(dirname "$0")/.."
bash bench/description.sh "$@"
bash bench/payload.sh
bash bench/installation.sh
