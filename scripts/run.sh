#!/usr/bin/env bash
# Builds the 64-bit Tidewell.exe and starts it in a Wine prefix seeded as a
# demo machine with driver leftovers.
#
#   scripts/run.sh [Tidewell arguments...]     e.g. scripts/run.sh -NVIDIA
#
# With a display ($DISPLAY set) the window opens there and the script waits
# until it is closed. Without one the program runs under Xvfb: the script
# waits for the main window, saves a screenshot to
# build/artifacts/main-window.png and closes the program.
#
# Environment:
#   TW_BUILD_DIR       win64 build folder (default build/win64)
#   TW_EXE             run this executable instead of building Tidewell.exe
#   TW_SKIP_BOOTSTRAP  set to 1 to skip scripts/bootstrap.sh
#   TW_WINDOW_TIMEOUT  seconds to wait for the main window (default 60)
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
REPO_ROOT="$PWD"
BUILD_DIR="${TW_BUILD_DIR:-build/win64}"
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$REPO_ROOT/$BUILD_DIR" ;; esac
ARTIFACTS="$REPO_ROOT/build/artifacts"
PREFIX="$REPO_ROOT/build/wineprefix-demo"
WINDOW_TIMEOUT="${TW_WINDOW_TIMEOUT:-60}"
mkdir -p "$ARTIFACTS"

log() { printf 'run: %s\n' "$*" >&2; }

if [ "${TW_SKIP_BOOTSTRAP:-0}" != 1 ]; then
    bash scripts/bootstrap.sh
fi

# ---- build ------------------------------------------------------------------
if [ -n "${TW_EXE:-}" ]; then
    EXE="$TW_EXE"
else
    log "building Tidewell.exe (win64) in $BUILD_DIR"
    cmake --preset win64 -B "$BUILD_DIR" >/dev/null
    cmake --build "$BUILD_DIR" -j "${TW_JOBS:-2}" --target Tidewell
    EXE="$(find "$BUILD_DIR" -name Tidewell.exe -not -path '*/CMakeFiles/*' | head -n1)"
fi
if [ -z "$EXE" ] || [ ! -f "$EXE" ]; then
    log "no executable to run (${EXE:-Tidewell.exe not found in $BUILD_DIR})"
    exit 1
fi

# ---- demo machine -----------------------------------------------------------
export WINEPREFIX="$PREFIX"
# shellcheck source=wine-env.sh
. scripts/wine-env.sh demo
tw_wine_kill
rm -rf "$PREFIX"
bash scripts/seed-demo.sh "$PREFIX"

# The program keeps its settings, languages, logs and backups beside itself.
PROGRAM_DIR="$PREFIX/drive_c/Program Files/Tidewell"
mkdir -p "$PROGRAM_DIR"
EXE_NAME="$(basename "$EXE")"
cp "$EXE" "$PROGRAM_DIR/$EXE_NAME"
[ -f resources/Languages.ini ] && cp resources/Languages.ini "$PROGRAM_DIR/"
HELP="$(find "$BUILD_DIR" resources -maxdepth 3 -name Help.chm 2>/dev/null | head -n1 || true)"
[ -n "$HELP" ] && cp "$HELP" "$PROGRAM_DIR/"
WIN_EXE="C:\\Program Files\\Tidewell\\$EXE_NAME"

# ---- run --------------------------------------------------------------------
if [ -n "${DISPLAY:-}" ]; then
    log "starting $WIN_EXE on $DISPLAY; close its window to finish"
    cd "$PROGRAM_DIR"
    rc=0
    tw_wine "$WIN_EXE" "$@" || rc=$?
    "$WINESERVER" -w
    log "program ended with exit code $rc"
    exit "$rc"
fi

cleanup() {
    tw_wine_kill
    tw_xvfb_stop
}
trap cleanup EXIT

# Everything Wine starts from here on must see the display: a wineserver
# left from a display-less command would keep a desktop process that cannot
# create windows.
"$WINESERVER" -w
tw_xvfb_start
tw_wine_draw_frames
log "starting $WIN_EXE under Xvfb ($DISPLAY)"
(cd "$PROGRAM_DIR" && exec "$WINE64" "$WIN_EXE" "$@") >"$ARTIFACTS/run-wine.log" 2>&1 &
WINE_PID=$!

# Wait for a visible top-level window named Tidewell.
found=0
for _ in $(seq 1 $((WINDOW_TIMEOUT * 2))); do
    if xwininfo -root -children 2>/dev/null | grep -q '"Tidewell'; then
        found=1
        break
    fi
    if ! kill -0 "$WINE_PID" 2>/dev/null; then
        break
    fi
    sleep 0.5
done

if [ "$found" != 1 ]; then
    if kill -0 "$WINE_PID" 2>/dev/null; then
        log "the main window did not appear within ${WINDOW_TIMEOUT} s (Wine output: $ARTIFACTS/run-wine.log)"
    else
        rc=0
        wait "$WINE_PID" || rc=$?
        log "the program ended with exit code $rc before its main window appeared (Wine output: $ARTIFACTS/run-wine.log)"
    fi
    tail -n 20 "$ARTIFACTS/run-wine.log" >&2 || true
    exit 1
fi

# Let the window finish painting, then photograph the whole screen.
sleep 3
SHOT="$ARTIFACTS/main-window.png"
IMPORT=/usr/bin/import; [ -x "$IMPORT" ] || IMPORT=import
"$IMPORT" -window root "$SHOT"
log "main window screenshot: $SHOT"
xwininfo -root -children | grep '"Tidewell' >&2 || true
