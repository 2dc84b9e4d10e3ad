# Sourced by the window scripts: a private Xvfb (it picks a free display itself) and a Wine
# server showing its windows there; `gui_stop` (also run on exit) ends both.
. "$(dirname "${BASH_SOURCE[0]}")/../wine/wine-env.sh"

KESTREL_PROBE=${KESTREL_PROBE:-build/win64/bin/kestrel_window_probe.exe}

gui_start() {
    local numberFile
    numberFile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
    KESTREL_XVFB=$!
    for _ in $(seq 100); do
        [ -s "$numberFile" ] && break
        sleep 0.1
    done
    local number
    number=$(tr -dc '0-9' <"$numberFile")
    rm -f "$numberFile"
    if [ -z "$number" ]; then
        echo "gui: Xvfb did not start"
        return 1
    fi
    wine_start ":$number"
    trap gui_stop EXIT
    # No window manager runs here: Wine draws the frames, with its own fonts.
    wine_run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    cp /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma*.ttf \
        "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Tahoma has no Chinese, Japanese or Korean characters; the fonts Wine links it to for them
    # are taken from a font this machine has.
    local face
    for face in "MS UI Gothic" SimSun PMingLiU Gulim "Microsoft YaHei UI"; do
        wine_run reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
            /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
}

gui_stop() {
    wine_stop
    if [ -n "${KESTREL_XVFB:-}" ]; then
        kill "$KESTREL_XVFB" 2>/dev/null
        wait "$KESTREL_XVFB" 2>/dev/null
        KESTREL_XVFB=
    fi
}

# gui_wait_window TITLE [SECONDS]: the X window id of the visible window titled exactly TITLE.
gui_wait_window() {
    timeout "${2:-20}" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1
}

# gui_wait_gone TITLE [SECONDS]: succeeds once no visible window has that title.
gui_wait_gone() {
    local tries=$((${2:-20} * 10))
    while [ "$tries" -gt 0 ]; do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
        tries=$((tries - 1))
    done
    return 1
}

# gui_probe [TEXT [SECONDS]]: the wizard's controls once one shows TEXT (see WindowProbe.cpp).
gui_probe() {
    wine_run "$KESTREL_PROBE" "$@" 2>/dev/null | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# gui_screenshot FILE: the wizard window as it is on screen, frame included.
gui_screenshot() {
    local window
    window=$(gui_wait_window "${KESTREL_TITLE:-.*}" 5) || return 1
    import -window root -crop "$(xdotool getwindowgeometry --shell "$window" |
        awk -F= '/WIDTH/ {w=$2} /HEIGHT/ {h=$2} /^X/ {x=$2} /^Y/ {y=$2} END {printf "%dx%d+%d+%d", w, h, x, y}')" \
        +repage "$1"
}
