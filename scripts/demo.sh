#!/bin/bash
# Builds everything and runs the engine under Wine in a throw-away prefix, showing what it
# does: its console output, its exit code and its debug log.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1
bash scripts/build.sh || exit 1

. tests/wine/wine-env.sh
wine_start

echo
echo "== The engine without a package, console mode, debug log on:"
echo "   kestrel.exe -gui=0 -debug=1"
wine_run build/win64/bin/kestrel.exe -gui=0 -debug=1
code=$?
echo "== exit code: $code (255 is -1: nothing was installed)"
echo "== debug log c:/kestrel.log.txt:"
tr -d '\r' <"$WINEPREFIX/drive_c/kestrel.log.txt"
