#!/bin/bash
# Installs the demo product through the wizard window, under Xvfb and Wine, pressing the keys a
# user would (xdotool), and saves a screenshot of every page into docs/screenshots/. The demo's
# own program runs at first, so that the running-programs page shows too.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1
if [ ! -f build/native/build.ninja ]; then
    cmake -S . -B build/native -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DKESTREL_SANITIZE=ON >/dev/null || exit 1
fi
if [ ! -f build/win64/build.ninja ]; then
    cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
        >/dev/null || exit 1
fi
ninja -C build/native instpack >/dev/null || exit 1
ninja -C build/win64 kestrel_e2e_demo kestrel_window_probe kestrel_waiter >/dev/null || exit 1

. tests/gui/gui-session.sh
gui_start || exit 1
out=docs/screenshots
mkdir -p "$out"
export KESTREL_TITLE="Kestrel Demo - ver. 1.0.0"

# shot NAME TEXT: waits until the wizard shows TEXT, then saves the window as NAME.png.
shot() {
    if ! gui_probe "$2" >/dev/null; then
        echo "screenshots: the page with \"$2\" did not come; the window shows:"
        gui_probe "" 1
        exit 1
    fi
    gui_screenshot "$out/$1.png" && echo "screenshots: $out/$1.png"
}

# The host program whose INI file the demo registers with, and the demo's program, running.
mkdir -p "$WINEPREFIX/drive_c/Kestrel Host"
printf '[Plugins]\r\nLast=1\r\n' >"$WINEPREFIX/drive_c/Kestrel Host/host.ini"
cp build/win64/bin/kestrel_waiter.exe "$WINEPREFIX/drive_c/kdemo.exe"
"$KESTREL_WINE" 'C:\kdemo.exe' >/dev/null 2>&1 &
running=$!

"$KESTREL_WINE" build/win64/bin/testdata/demo-setup.exe >/dev/null 2>&1 &
setup=$!
gui_wait_window "$KESTREL_TITLE" >/dev/null || exit 1
shot 1-welcome "Welcome to the Kestrel Demo"
xdotool key Return
shot 2-licence "I disagree"
xdotool key Return
shot 3-destination "Choose where"
# The same page with a folder named in three scripts, typed; then the default again.
xdotool key alt+i ctrl+a BackSpace
xdotool type --delay 20 'C:\Program Files\Démo 日本語 Ελληνικά'
shot 3-destination-unicode "Ελληνικά|f"
xdotool key ctrl+a BackSpace
xdotool type --delay 2 'C:\Program Files\Kestrel Demo'
xdotool key Return
shot 4-running-programs "kdemo.exe"
kill "$running"
wait "$running" 2>/dev/null
xdotool key Return
shot 5-progress "pos=100"
xdotool key Return
shot 6-finish "has been installed"
xdotool key Return
timeout 30 tail --pid="$setup" -f /dev/null
echo "screenshots: done"
