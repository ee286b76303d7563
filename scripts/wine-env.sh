# Shared Wine set-up for the scripts that run Windows programs on Linux.
# Source it:   . scripts/wine-env.sh [prefix-name]
#
# Sets WINEPREFIX (default <repo>/build/wineprefix-<name>, name "default"),
# WINEARCH=win64, WINEDEBUG=-all, WINEDLLOVERRIDES="mscoree,mshtml=" (no Mono
# or Gecko prompts) and WINE64 / WINESERVER to the 64-bit loader and server.
# Offers:
#   tw_wine_init          create the prefix when missing, wait for wineserver
#   tw_wine CMD...        run CMD... under the 64-bit loader
#   tw_with_display CMD   run CMD directly when $DISPLAY is set, else under Xvfb
#   tw_wine_kill          stop the prefix's wineserver and its programs
# Works under the caller's shell options, set -e included; nothing here
# calls exit.

TW_REPO_ROOT="${TW_REPO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
TW_WINE_NAME="${1:-${TW_WINE_NAME:-default}}"

export WINEPREFIX="${WINEPREFIX:-$TW_REPO_ROOT/build/wineprefix-$TW_WINE_NAME}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# The 64-bit loader: Debian keeps it outside PATH; other systems name it
# wine64 or ship a plain wine that handles both.
tw_find_wine64() {
    local c
    for c in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)" "$(command -v wine 2>/dev/null)"; do
        if [ -n "$c" ] && [ -x "$c" ]; then
            printf '%s\n' "$c"
            return 0
        fi
    done
    return 1
}

tw_find_wineserver() {
    local c
    for c in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver "$(command -v wineserver 2>/dev/null)"; do
        if [ -n "$c" ] && [ -x "$c" ]; then
            printf '%s\n' "$c"
            return 0
        fi
    done
    return 1
}

WINE64="$(tw_find_wine64 || true)"
WINESERVER="$(tw_find_wineserver || true)"
export WINE64 WINESERVER
# Programs started by Wine (wineboot, start.exe) find the loader through this.
if [ -n "$WINE64" ]; then export WINELOADER="$WINE64"; fi

tw_wine() {
    if [ -z "$WINE64" ]; then
        echo "wine-env: no 64-bit Wine loader found (install wine64)" >&2
        return 127
    fi
    "$WINE64" "$@"
}

tw_wine_kill() {
    if [ -n "$WINESERVER" ]; then
        "$WINESERVER" -k >/dev/null 2>&1 || true
    fi
    return 0
}

# Wine refuses a prefix that belongs to another user ("is not owned by you").
# A prefix left by another account is taken over when we are root, or set
# aside and made anew otherwise.
tw_wine_fix_owner() {
    [ -d "$WINEPREFIX" ] || return 0
    local owner
    owner="$(stat -c %u "$WINEPREFIX")"
    [ "$owner" = "$(id -u)" ] && return 0
    if [ "$(id -u)" = 0 ]; then
        chown -R 0:0 "$WINEPREFIX"
    else
        mv "$WINEPREFIX" "$WINEPREFIX.foreign.$$"
    fi
}

tw_wine_init() {
    if [ -z "$WINE64" ]; then
        echo "wine-env: no 64-bit Wine loader found (install wine64)" >&2
        return 127
    fi
    mkdir -p "$(dirname "$WINEPREFIX")"
    tw_wine_fix_owner
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine-env: creating Wine prefix $WINEPREFIX" >&2
        # wineboot -i needs no display; it leaves a wineserver that is waited for.
        DISPLAY= "$WINE64" wineboot -i >/dev/null 2>&1 || {
            echo "wine-env: wineboot failed for $WINEPREFIX" >&2
            return 1
        }
    fi
    if [ -n "$WINESERVER" ]; then
        "$WINESERVER" -w || true
    fi
    # Debian's Wine does not load the fonts it ships (fonts-wine: Tahoma,
    # MS Sans Serif, Marlett for the caption buttons); the prefix's Fonts
    # folder is always read, so they are put there.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
        cp /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
    fi
    [ -f "$WINEPREFIX/system.reg" ]
}

# Run a command with a display: the caller's when there is one, else a
# private Xvfb server for the length of the command.
tw_with_display() {
    if [ -n "${DISPLAY:-}" ]; then
        "$@"
    else
        xvfb-run -a -s "-screen 0 1024x768x24" "$@"
    fi
}

# Start a private Xvfb server in the background when $DISPLAY is empty and
# export DISPLAY for it; tw_xvfb_stop ends it again. For scripts that must
# act on the display themselves (screenshots, waiting for a window).
TW_XVFB_PID=
tw_xvfb_start() {
    [ -n "${DISPLAY:-}" ] && return 0
    local n=99
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
        n=$((n + 1))
    done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    TW_XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    if [ ! -e "/tmp/.X11-unix/X$n" ]; then
        echo "wine-env: Xvfb did not start on :$n" >&2
        tw_xvfb_stop
        return 1
    fi
    export DISPLAY=":$n"
}

tw_xvfb_stop() {
    if [ -n "$TW_XVFB_PID" ]; then
        kill "$TW_XVFB_PID" 2>/dev/null || true
        wait "$TW_XVFB_PID" 2>/dev/null || true
        TW_XVFB_PID=
        unset DISPLAY
    fi
    return 0
}

# Let Wine draw window frames and captions itself, as Windows does. Under a
# bare Xvfb there is no window manager, and managed windows show no frame.
tw_wine_draw_frames() {
    tw_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    tw_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
}
