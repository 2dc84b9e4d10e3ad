# Sourced by the scripts that run Windows programs: `wine_start [:N]` makes a throw-away prefix
# and one wine server (X display :N, else none, so that a message box fails at once), removed by
# `wine_stop` or at exit; `wine_run PROGRAM ARGS...` runs a Windows program.

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
    # Wine's desktop process, started with the first program, fixes the display for the server.
    if [ -n "${1:-}" ]; then
        export DISPLAY=$1
    else
        unset DISPLAY
    fi
    "$KESTREL_WINE" wineboot -i >/dev/null 2>&1 </dev/null
    "$KESTREL_WINESERVER" -w
    # Started only once the prefix is ready; its output must not hold our pipes open.
    "$KESTREL_WINESERVER" -p </dev/null >/dev/null 2>&1
    # The first program starts Wine's background services, which inherit its output: with nothing
    # to inherit, no later caller reading a program's output waits for them.
    "$KESTREL_WINE" cmd /c exit </dev/null >/dev/null 2>&1
    # Likewise the desktop's process, which the first program that asks for the desktop would
    # start with that program's output pipes, holding them open until the server ends.
    ("$KESTREL_WINE" explorer.exe /desktop </dev/null >/dev/null 2>&1 &)
    for _ in $(seq 50); do
        pgrep -f 'explorer.exe /desktop' >/dev/null && break
        sleep 0.1
    done
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
