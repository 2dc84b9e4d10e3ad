#!/bin/bash
# The wizard window under Xvfb and Wine, driven by keys (xdotool); each case prints "ok" or
# "FAILED", the exit code counts the failures. Needs the win64 demo, gui tests and probe.
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

# start_setup: the demo's wizard, in the background; its exit code lands in $shots/code. A
# wizard a failed case left open is ended first, so that its keys cannot reach the next case.
start_setup() {
    if [ -s "$shots/pid" ] && [ ! -s "$shots/code" ]; then
        kill "$(cat "$shots/pid")" 2>/dev/null
        gui_wait_gone "$title" 10 || true
    fi
    rm -f "$shots/code" "$shots/pid"
    (
        "$KESTREL_WINE" "$setup" "$@" >/dev/null 2>&1 &
        echo $! >"$shots/pid"
        wait $!
        echo $? >"$shots/code"
    ) &
    window=$(gui_wait_window "$title")
    # Keys sent before the welcome page holds the focus are lost, or reach a later page.
    shows "Button|&Next >|f"
}

# exit_code: the wizard's exit code once it has ended (after 30 seconds: empty, the wizard ended).
exit_code() {
    for _ in $(seq 300); do
        [ -s "$shots/code" ] && break
        sleep 0.1
    done
    cat "$shots/code" 2>/dev/null || kill "$(cat "$shots/pid")" 2>/dev/null
}

# click_button X: a click on the button row at client x X (below a 1-pixel border and a caption).
click_button() {
    local height
    height=$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^HEIGHT=//p')
    xdotool mousemove --window "$window" $(($1 + 1)) $((height - 379 + 355)) click 1
}

shows() { gui_probe "$1" "${2:-20}" >"$shots/probe"; }
box() { gui_probe --box "$1" >"$shots/probe"; } # the text of the message box titled $1
probe_has() { grep -qF -- "$1" "$shots/probe"; }
installed() { [ -e "$WINEPREFIX/drive_c/$1" ]; }
# to_folder_page: Next past the welcome and the licence pages.
to_folder_page() {
    xdotool key Return
    shows "I &disagree"
    xdotool key Return
    shows "Choose where"
}

cancel_yes() { # Escape, then Yes in the confirmation
    xdotool key Escape
    gui_wait_window "Cancel confirmation" >/dev/null
    xdotool key y
}

# pixel FILE X Y: the colour at a point of the client area.
pixel() {
    local height
    height=$(identify -format '%h' "$1")
    convert "$1" -format "%[pixel:p{$(($2 + 1)),$(($3 + height - 379))}]" info:
}

gui_start || exit 1
mkdir -p "$WINEPREFIX/drive_c/Kestrel Host"
# In UTF-8 (with its mark), so that it takes the folder named in three scripts below.
printf '\xEF\xBB\xBF[Plugins]\r\nLast=1\r\n' >"$WINEPREFIX/drive_c/Kestrel Host/host.ini"

echo "== in-process window tests"
check "kestrel_gui_tests" "$KESTREL_WINE" build/win64/bin/kestrel_gui_tests.exe

echo "== the engine's manifest, read back from each built image"
for image in build/win64/bin/kestrel.exe build/win32/bin/kestrel.exe; do
    [ -f "$image" ] || continue
    gui_probe --manifest "$image" >"$shots/probe"
    check "$image asks for elevation, the themed controls, DPI awareness and UTF-8" eval \
        'probe_has "level=\"requireAdministrator\"" && probe_has "Microsoft.Windows.Common-Controls" &&
         probe_has ">true</dpiAware>" && probe_has ">UTF-8</activeCodePage>"'
done

echo "== the demo installed through the window, its record kept with -log"
start_setup '-log=C:\window-log.txt'
check "the welcome page" shows "Welcome to the Kestrel Demo"
check "Help is hidden without a help document" probe_has "Button|&Help|dh"
xdotool key alt+n
shows "I &disagree"
check "Alt+N is Next; the licence page's captions" probe_has "Button|I &agree|f"
xdotool key alt+a
shows "Choose where"
check "Alt+A is I agree" probe_has "Static|&Install to:|"
# From Next, Tab passes Cancel and wraps to the folder; Shift+Tab goes back.
xdotool key Tab Tab
shows "Choose where"
check "Tab reaches the folder" probe_has "Edit|C:\\Program Files\\Kestrel Demo|f"
xdotool key shift+Tab
shows "Choose where"
check "Shift+Tab goes back to Cancel" probe_has "Button|&Cancel|f"
xdotool key Tab
xdotool type --delay 2 'C:\Demo Here'
# Browse, the Documentation box (cleared with Space), the Samples group (Down: Complete).
xdotool key Tab Tab space Tab Down
shows "Choose where"
check "the choices on screen" probe_has "Button|Co&mplete|fc"
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
check "the -log file holds the window's run and its exit code" eval \
    'grep -q "  Create C:.Demo Here.bin.settings.cfg" "$WINEPREFIX/drive_c/window-log.txt" &&
     grep -q "  Exit code 0" "$WINEPREFIX/drive_c/window-log.txt"'

echo "== the uninstall wizard, started from the installed uninstaller"
title="Uninstall Kestrel Demo - ver. 1.0.0"
"$KESTREL_WINE" 'C:\Demo Here\uninst\uninstall.exe' '-uninstall=C:\Demo Here\uninst\install.log' \
    '-uninstallApp=Kestrel Demo' >/dev/null 2>&1 &
window=$(gui_wait_window "$title")
check "its title says it removes the product" test -n "$window"
check "its welcome page shows the installer's picture" \
    eval 'shows "Remove Kestrel Demo" && probe_has "VX::INSTALLER::IMAGE||"'
KESTREL_TITLE=$title gui_screenshot "$shots/uninstall.png"
# The picture's blue, not the window's grey, at the left of the page.
check "the picture is drawn" test "$(pixel "$shots/uninstall.png" 20 200)" != "$(pixel "$shots/uninstall.png" 400 200)"
xdotool key alt+c
box "Cancel confirmation"
check "its cancel question speaks of the uninstall" probe_has "cancel the uninstall of Kestrel Demo?"
xdotool key n
gui_wait_gone "Cancel confirmation" >/dev/null
xdotool key alt+n
check "its progress bar follows the uninstall to its end" shows "pos=100"
check "its status line" shows "The uninstall was successful."
xdotool key Return
shows "has been removed"
xdotool key Return
gui_wait_gone "$title" >/dev/null
check "the product is gone" eval '! installed "Demo Here/bin"'
title="Kestrel Demo - ver. 1.0.0"

echo "== a folder named in three scripts, typed into the field"
folder='C:\Program Files\Démo 日本語 Ελληνικά'
host_ini="$WINEPREFIX/drive_c/Kestrel Host/host.ini"
cp "$host_ini" "$shots/host-before.ini"
start_setup
to_folder_page
xdotool key alt+i ctrl+a BackSpace
xdotool type --delay 20 "$folder"
check "the field holds every character typed" shows "Edit|$folder|f"
xdotool key Return
shows "pos=100"
xdotool key Return
shows "has been installed"
xdotool key Return
check "the demo installs there" eval \
    'test "$(exit_code)" = 0 && installed "Program Files/Démo 日本語 Ελληνικά/bin/settings.cfg"'
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestrel Demo"
check "lnkinfo reads the shortcut's working folder in that folder" eval \
    'lnkinfo "$menu/Kestrel Demo.lnk" | grep -qF ": $folder\bin"'
check "the INI file names it in UTF-8, as the file is" \
    grep -qF "KestrelDemo=$folder\bin" "$host_ini"
"$KESTREL_WINE" "$folder\uninst\uninstall.exe" "-uninstall=$folder\uninst\install.log" \
    '-uninstallApp=Kestrel Demo' -gui=0 -quiet=1 >/dev/null 2>&1
check "and goes again, the INI file byte for byte as before" eval \
    '! installed "Program Files/Démo 日本語 Ελληνικά/bin" && cmp -s "$host_ini" "$shots/host-before.ini"'

echo "== Cancel: No stays, Yes ends; Back by its accelerator"
start_setup
xdotool key Escape
# Return without the question would be Next: it is pressed only once the question shows.
[ -n "$(gui_wait_window "Cancel confirmation")" ] && xdotool key Return
check "No keeps the wizard" eval 'gui_wait_gone "Cancel confirmation" && shows "Welcome to the Kestrel Demo"'
to_folder_page
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

echo "== the folder is checked on its page; Browse starts at it"
start_setup
to_folder_page
# Each row: a folder typed into the field, and what the refusal says.
while IFS='|' read -r folder reason; do
    xdotool key alt+i ctrl+a BackSpace
    [ -z "$folder" ] || xdotool type --delay 1 "$folder"
    xdotool key Return
    box Installation
    check "\"${folder:0:40}\" is refused on its page: $reason" probe_has "$reason"
    xdotool key Return
    gui_wait_gone Installation >/dev/null
    shows "Choose where"
done <<ROWS
|Please enter the folder to install to.
Q:\Demo|The drive or network share Q:\ of
C:\Kestrel Host\host.ini\Demo|"C:\Kestrel Host\host.ini" is a file
ROWS
check "the folder's page is still shown" eval 'shows "Choose where" && probe_has "Static|&Install to:|"'
xdotool key alt+i ctrl+a BackSpace
xdotool type --delay 2 'C:\Kestrel Host\Sub'
xdotool key alt+r
gui_wait_window "Browse for Folder" >/dev/null
# It opens on the deepest level of the field that exists; OK takes it with the product's folder.
xdotool key Return
gui_wait_gone "Browse for Folder" >/dev/null
shows "Choose where"
check "Browse appends the product's folder to the folder picked" \
    probe_has "Edit|C:\Kestrel Host\Kestrel Demo|"
cancel_yes
check "nothing was written" \
    eval 'test "$(exit_code)" = 255 && ! installed "Kestrel Host/Kestrel Demo" && ! installed "Demo"'

echo "== at 144 DPI the layout scales and nothing is clipped"
wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
start_setup
check "the window is 750 pixels wide" eval 'shows "Welcome to the Kestrel Demo" && probe_has " 750x"'
check "the demo's pages scale and clip no text" "$KESTREL_WINE" build/win64/bin/kestrel_gui_tests.exe \
    --gtest_filter='*ClipNoText*'
cancel_yes
exit_code >/dev/null
wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1

echo "== closing during a long copy does nothing; closing on Finish ends with 0"
# The demo with 400 more files: long enough for the keys to arrive while it copies.
big=$shots/big
cp -r build/win64/bin/testdata/demo-stage "$big"
mkdir -p "$big/bulk"
bulk=""
for i in $(seq 400); do
    head -c 262144 /dev/zero >"$big/bulk/f$i.bin"
    bulk+="<FN Dest=\"[INSTALLDIR]\\\\bulk\">bulk\\\\f$i.bin</FN>"
done
sed -i "s|<FileSet Name=\"Program\" Desc=\"The program\">|&$bulk|" "$big/install.xml"
build/native/instpack build --description "$big/install.xml" --engine build/win64/bin/kestrel.exe \
    --resources examples/demo/resources --out "$shots/big-setup.exe" >/dev/null
setup=$shots/big-setup.exe
start_setup
to_folder_page
xdotool key Return
gui_probe "Create " >/dev/null
xdotool key alt+F4
sleep 0.3
xdotool key alt+F4
check "the window stays while it copies, and the copy completes" shows "pos=100" 60
xdotool key Return
shows "has been installed"
xdotool key alt+F4
check "closing on Finish exits 0 with the product installed" \
    eval 'test "$(exit_code)" = 0 && installed "Program Files/Kestrel Demo/bulk/f400.bin"'

rm -rf "$shots"
echo "wizard-window: $failures failure(s)"
[ "$failures" -eq 0 ]
