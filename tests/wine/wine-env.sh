# Sourced by the scripts that run Windows programs: a throw-away Wine prefix and one
# persistent wine server for the whole run, both removed again when the script exits.
# After sourcing: WINEPREFIX is set, `wine_run PROGRAM ARGS...` runs a Windows program.
# `wine_start` runs everything without a display (a message box then fails at once instead of
# waiting for a click); `wine_start :N` gives the server's programs the X display :N.

KESTREL_WINE=/usr/lib/wine/wine64
KESTREL_WINESERVER=/usr/lib/wine/wineserver64

wine_start() {
    export WINEDEBUG=-all
    # winemenubuilder, started by every saved shortcut, would outlive the tests holding their
    # output pipes.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINEARCH=win64
    export WINEPREFIX
    WINEPREFIX=$(mktemp -d /tmp/kestrel-wine.XXXXXX)
    # Wine refuses a prefix owned by another user; mktemp made it ours.
    # Wine's desktop process, started with the first program, fixes the display for the whole
    # server: it must be chosen here.
    if [ -n "${1:-}" ]; then
        export DISPLAY=$1
    else
        unset DISPLAY
    fi
    "$KESTREL_WINE" wineboot -i >/dev/null 2>&1 </dev/null
    "$KESTREL_WINESERVER" -w
    # Started only once the prefix is ready; its output must not hold our pipes open.
    "$KESTREL_WINESERVER" -p </dev/null >/dev/null 2>&1
    # The first program of a server starts Wine's background services, which live as long as
    # the server and inherit that program's output: start them here with nothing to inherit,
    # or every later caller reading a program's output would wait for them to end.
    "$KESTREL_WINE" cmd /c exit </dev/null >/dev/null 2>&1
    trap wine_stop EXIT
}

wine_stop() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        "$KESTREL_WINESERVER" -k >/dev/null 2>&1 || true
        "$KESTREL_WINESERVER" -w >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
    fi
}

wine_run() {
    "$KESTREL_WINE" "$@"
}
