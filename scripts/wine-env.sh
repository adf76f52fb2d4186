# Sourced, not run: the Wine environment of one build folder.
#   source scripts/wine-env.sh <build folder>; ostrel_wine_ready
# Every build folder gets its own prefix, X server and wineserver, so two builds never disturb each other and the
# user's ~/.wine is never touched.

OSTREL_BUILD=$(cd "${1:?build folder}" && pwd)
export WINEPREFIX="$OSTREL_BUILD/wineprefix"
export WINEDEBUG=-all
# No Mono/Gecko download prompts; our MAPI32.DLL beside the program wins over Wine's own.
export WINEDLLOVERRIDES="mscoree,mshtml=;mapi32=n,b"
# Where test programs find the trees, in the form a Windows process sees them (Wine maps / to Z:).
OSTREL_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export OSTREL_SOURCE_DIR="Z:${OSTREL_SOURCE//\//\\}"
export OSTREL_BINARY_DIR="Z:${OSTREL_BUILD//\//\\}"
OSTREL_WINE64=/usr/lib/wine/wine64
[ -x "$OSTREL_WINE64" ] || OSTREL_WINE64=$(command -v wine64 || command -v wine)

# Drive letters for scratch folders: tests that need a drive root or a second drive use these.
OSTREL_SCRATCH_DRIVES="s t"

ostrel_xvfb_ready() {
    local state="$OSTREL_BUILD/xvfb"
    if [ -f "$state.pid" ] && kill -0 "$(cat "$state.pid")" 2>/dev/null; then
        export DISPLAY=":$(cat "$state.display")"
        ostrel_wm_ready
        return
    fi
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" 9>&- >/dev/null 2>&1 &
    echo $! >"$state.pid"
    read -r display <"$fifo"
    rm -f "$fifo"
    echo "$display" >"$state.display"
    export DISPLAY=":$display"
    ostrel_wm_ready
}

# A light window manager on the display, as every user's desktop has one. Without it Wine waits 2 s for the X
# server each time a shown top-level window is hidden or destroyed. Wine draws the windows' own captions and
# frames (see the prefix set-up), so their geometry is what Windows would give.
ostrel_wm_ready() {
    local state="$OSTREL_BUILD/wm"
    if [ -f "$state.pid" ] && kill -0 "$(cat "$state.pid")" 2>/dev/null; then
        return
    fi
    command -v openbox >/dev/null || return 0
    openbox --sm-disable 9>&- </dev/null >/dev/null 2>&1 &
    echo $! >"$state.pid"
    # Windows mapped before the manager owns the screen would be left unmanaged: wait until it has taken it.
    local deadline=$((SECONDS + 10))
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || [ $SECONDS -ge $deadline ]; do
        sleep 0.1
    done
}

ostrel_prefix_ready() {
    if [ ! -f "$WINEPREFIX/.ostrel-ready" ]; then
        "$OSTREL_WINE64" wineboot -i 9>&- >/dev/null 2>&1 || true
        local d
        for d in $OSTREL_SCRATCH_DRIVES; do
            mkdir -p "$OSTREL_BUILD/drives/$d"
            ln -sfn "$OSTREL_BUILD/drives/$d" "$WINEPREFIX/dosdevices/$d:"
        done
        # The mount manager reads the drive letters once when it starts. Let the boot's session end, so the next
        # one starts a mount manager that knows the scratch drives; one that outlived the boot never would.
        wineserver -w >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.ostrel-ready"
    fi
    if [ ! -f "$WINEPREFIX/.ostrel-frames" ]; then
        # Wine draws every window's caption and frame itself, as Windows does; the window manager adds none.
        "$OSTREL_WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f 9>&- >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.ostrel-frames"
    fi
    # The stand-ins for outside programs, at the paths the product expects them.
    local gs="$OSTREL_BUILD/platform/gswin32c/gswin32c.exe.so"
    if [ -f "$gs" ]; then
        mkdir -p "$WINEPREFIX/drive_c/gs/gs8.54/bin"
        cp -u "$gs" "$WINEPREFIX/drive_c/gs/gs8.54/bin/gswin32c.exe"
    fi
}

ostrel_wine_ready() {
    (
        # Two test programs started at once must not both initialise the prefix. (What starts in here and
        # outlives it, the X server and the wineserver, must not inherit the lock.)
        flock 9
        ostrel_xvfb_ready
        ostrel_prefix_ready
    ) 9>"$OSTREL_BUILD/.wine-lock"
    ostrel_xvfb_ready
    wineserver -p >/dev/null 2>&1 || true
    # Start the session's system processes (services, explorer) now, detached from our output: started by a test
    # program they would inherit its pipes and keep CTest waiting for output that never ends.
    "$OSTREL_WINE64" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

ostrel_wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -f "$OSTREL_BUILD/wm.pid" ]; then
        kill "$(cat "$OSTREL_BUILD/wm.pid")" 2>/dev/null || true
        rm -f "$OSTREL_BUILD/wm.pid"
    fi
    if [ -f "$OSTREL_BUILD/xvfb.pid" ]; then
        kill "$(cat "$OSTREL_BUILD/xvfb.pid")" 2>/dev/null || true
        rm -f "$OSTREL_BUILD/xvfb.pid"
    fi
}
