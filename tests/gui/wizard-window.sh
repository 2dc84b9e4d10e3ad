#!/bin/bash
# The wizard window under Xvfb and Wine, driven with the keys a user presses (xdotool): the
# in-process window tests, then the packed demo installed through the window, cancelled with
# its confirmation, and closed from the system menu (its uninstall is the end-to-end round
# trip's). Each case prints "ok" or "FAILED" with what it saw; the exit code counts the failures.
# Needs build/win64 with kestrel_e2e_demo, kestrel_gui_tests and kestrel_window_probe.
cd "$(dirname "$0")/../.." || exit 2
. tests/gui/gui-session.sh

setup=build/win64/bin/testdata/demo-setup.exe
title="Kestrel Demo - ver. 1.0.0"
export KESTREL_TITLE=$title
failures=0
shots=$(mktemp -d)

check() { # check NAME CONDITION...
    local name=$1
    shift
    if "$@"; then
        echo "ok: $name"
    else
        echo "FAILED: $name; the window showed:"
        sed 's/^/    /' "$shots/probe" 2>/dev/null
        failures=$((failures + 1))
    fi
}

# start_setup: the demo's wizard, in the background; its exit code lands in $shots/code.
start_setup() {
    rm -f "$shots/code" "$shots/pid"
    (
        "$KESTREL_WINE" "$setup" "$@" >/dev/null 2>&1 &
        echo $! >"$shots/pid"
        wait $!
        echo $? >"$shots/code"
    ) &
    window=$(gui_wait_window "$title")
}

# exit_code: the wizard's exit code once it has ended (empty after 30 seconds, and a wizard
# still running then is ended, so that the next case starts alone).
exit_code() {
    for _ in $(seq 300); do
        [ -s "$shots/code" ] && break
        sleep 0.1
    done
    cat "$shots/code" 2>/dev/null || kill "$(cat "$shots/pid")" 2>/dev/null
}

# click_button X: a click on the button row of the window at client x X (the window has a
# 1-pixel border and its caption above the client area).
click_button() {
    local height
    height=$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^HEIGHT=//p')
    xdotool mousemove --window "$window" $(($1 + 1)) $((height - 379 + 355)) click 1
}

shows() { gui_probe "$1" "${2:-20}" >"$shots/probe"; }
probe_has() { grep -qF -- "$1" "$shots/probe"; }
installed() { [ -e "$WINEPREFIX/drive_c/$1" ]; }

# pixel FILE X Y: the colour at a point of the client area (the window has a 1-pixel border and
# its caption above).
pixel() {
    local height
    height=$(identify -format '%h' "$1")
    convert "$1" -format "%[pixel:p{$(($2 + 1)),$(($3 + height - 379))}]" info:
}

gui_start || exit 1
mkdir -p "$WINEPREFIX/drive_c/Kestrel Host"
printf '[Plugins]\r\nLast=1\r\n' >"$WINEPREFIX/drive_c/Kestrel Host/host.ini"

echo "== in-process window tests"
check "kestrel_gui_tests" "$KESTREL_WINE" build/win64/bin/kestrel_gui_tests.exe

echo "== the demo installed through the window"
start_setup
check "the welcome page" shows "Welcome to the Kestrel Demo"
xdotool key Return
shows "I disagree"
check "the licence page's captions" probe_has "Button|I agree|f"
xdotool key Return
shows "Choose where"
# From Next, Tab passes Cancel and wraps to the folder; Shift+Tab goes back.
xdotool key Tab Tab
shows "Choose where"
check "Tab reaches the folder" probe_has "Edit|C:\\Program Files\\Kestrel Demo|f"
xdotool key shift+Tab
shows "Choose where"
check "Shift+Tab goes back to Cancel" probe_has "Button|Cancel|f"
xdotool key Tab
xdotool type --delay 2 'C:\Demo Here'
# Browse, the Documentation box (cleared with Space), the Samples group (Down: Complete).
xdotool key Tab Tab space Tab Down
shows "Choose where"
check "the choices on screen" probe_has "Button|Complete|fc"
xdotool key Return
check "the progress page reaches 100" shows "pos=100"
gui_screenshot "$shots/progress.png"
filled=$(pixel "$shots/progress.png" 484 96)
check "the screenshot shows the bar filled to its end" \
    test "$filled" = "$(pixel "$shots/progress.png" 14 96)" -a "$filled" != "$(pixel "$shots/progress.png" 250 80)"
check "the list names the files" probe_has "last=Create  shortcut"
xdotool key Return
check "the finish page" shows "has been installed"
xdotool key Return
check "exit code 0" test "$(exit_code)" = 0
check "the typed folder and the choices" \
    test "$(tr -d '\r' <"$WINEPREFIX/drive_c/Demo Here/bin/settings.cfg")" = \
    "$(printf 'InstallDir=C:\\Demo Here\nDocumentation=0\nSamples=2')"

echo "== Cancel: No stays, Yes ends; Back by its accelerator"
start_setup
xdotool key Escape
gui_wait_window "Cancel confirmation" >/dev/null
xdotool key Return
check "No keeps the wizard" eval 'gui_wait_gone "Cancel confirmation" && shows "Welcome to the Kestrel Demo"'
xdotool key Return
shows "I disagree"
xdotool key Return
shows "Choose where"
xdotool key alt+b
check "Alt+B is Back" shows "I disagree"
click_button 450
gui_wait_window "Cancel confirmation" >/dev/null
xdotool key y
check "I disagree and Yes end with -1" test "$(exit_code)" = 255

echo "== closed from the system menu"
start_setup
xdotool key alt+space
sleep 0.5
xdotool key c
check "the window closes with -1, nothing installed" \
    eval 'test "$(exit_code)" = 255 && ! installed "Program Files/Kestrel Demo"'

rm -rf "$shots"
echo "wizard-window: $failures failure(s)"
[ "$failures" -eq 0 ]
