#!/bin/bash
# Prints the non-blank lines of the tests (everything below tests/: sources, scripts, sample
# products and fuzz seeds), those of the rest of the repository, and their ratio, which is kept
# between a quarter and a third. Only text files count, on both sides: a picture or a packed
# sample has no lines to read.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    git ls-files -z "$@" | xargs -0 grep -Il '' | tr '\n' '\0' | xargs -0 cat | grep -cv '^\s*$'
}

tests=$(count -- 'tests/*')
code=$(count -- . ':!tests/*')
echo "tests: $tests lines"
echo "code:  $code lines"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "ratio: %.3f\n", t / c }'
