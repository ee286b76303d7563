#!/usr/bin/env bash
# Builds Tidewell.exe and the end-to-end test driver with the win64 preset and
# runs the driver's tests under Wine in a fresh prefix, on a private Xvfb
# display when there is none. Screenshots (BMP from the driver) are turned
# into PNG; results and pictures go to build/artifacts/e2e.
#
# Environment:
#   TW_BUILD_DIR       win64 build folder (default build/win64)
#   TW_JOBS            parallel build jobs (default 2)
#   TW_SKIP_BOOTSTRAP  1: never run scripts/bootstrap.sh, even without libjpeg
#   TW_E2E_FILTER      GoogleTest filter (default: every test)
#   TW_E2E_TIMEOUT     seconds the test run may take (default 600)
# Arguments are handed to the driver (e.g. --gtest_also_run_disabled_tests).
# Exit status: that of the test run; non-zero also when the build fails.
set -uo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 2
REPO_ROOT="$PWD"
BUILD_DIR="${TW_BUILD_DIR:-build/win64}"
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$REPO_ROOT/$BUILD_DIR" ;; esac
JOBS="${TW_JOBS:-2}"
TIMEOUT="${TW_E2E_TIMEOUT:-600}"
ARTIFACTS="$REPO_ROOT/build/artifacts/e2e"
TRIPLET=x86_64-w64-mingw32

say() { printf '=== run-e2e: %s\n' "$*"; }

# A Unix path as Wine's programs see it (drive Z: is the root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# ---- build ---------------------------------------------------------------
deps="${TW_DEPS_DIR:-/var/cache/tidewell-deps}/$TRIPLET"
if [ ! -f "$deps/lib/libjpeg.a" ] && [ "${TW_SKIP_BOOTSTRAP:-0}" != 1 ] && [ -f scripts/bootstrap.sh ]; then
    say "libjpeg for MinGW missing: running scripts/bootstrap.sh"
    bash scripts/bootstrap.sh || { say "bootstrap failed"; exit 2; }
fi
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    say "configuring $BUILD_DIR"
    cmake --preset win64 -B "$BUILD_DIR" >/dev/null || { say "configure failed"; exit 2; }
fi
say "building Tidewell and tw_e2e_tests"
cmake --build "$BUILD_DIR" -j"$JOBS" --target Tidewell tw_e2e_tests ||
    { say "build failed"; exit 2; }
DRIVER="$BUILD_DIR/tests/tw_e2e_tests.exe"
EXE="$BUILD_DIR/app/Tidewell.exe"
for f in "$DRIVER" "$EXE"; do
    [ -f "$f" ] || { say "missing $f"; exit 2; }
done

# ---- Wine and a display --------------------------------------------------
export WINEPREFIX="$BUILD_DIR/wineprefix-e2e"
XVFB_PID=
if [ -f scripts/wine-env.sh ]; then
    # shellcheck source=wine-env.sh
    . scripts/wine-env.sh e2e
else
    export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    WINE64="$(command -v /usr/lib/wine/wine64 wine64 wine 2>/dev/null | head -n1)"
    WINESERVER="$(command -v /usr/lib/wine/wineserver64 wineserver 2>/dev/null | head -n1)"
    tw_wine() { "$WINE64" "$@"; }
    tw_wine_kill() { [ -z "$WINESERVER" ] || "$WINESERVER" -k >/dev/null 2>&1 || true; }
    tw_wine_init() {
        DISPLAY='' "$WINE64" wineboot -i >/dev/null 2>&1 && { [ -z "$WINESERVER" ] || "$WINESERVER" -w; }
    }
    tw_xvfb_start() {
        [ -n "${DISPLAY:-}" ] && return 0
        local n=99
        while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        sleep 1
        export DISPLAY=":$n"
    }
    tw_xvfb_stop() {
        [ -z "$XVFB_PID" ] || { kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; } || true
    }
    tw_wine_draw_frames() {
        local v
        for v in Managed Decorated; do
            "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v "$v" /d N /f >/dev/null 2>&1 || true
        done
    }
fi

cleanup() {
    tw_wine_kill
    tw_xvfb_stop
}
trap cleanup EXIT

say "fresh Wine prefix $WINEPREFIX"
tw_wine_kill
rm -rf "$WINEPREFIX"
tw_wine_init || { say "Wine prefix could not be made"; exit 2; }
tw_xvfb_start || { say "no display"; exit 2; }
# Window frames and captions drawn by Wine, as on Windows (no window manager).
tw_wine_draw_frames

# ---- run -----------------------------------------------------------------
rm -rf "$ARTIFACTS"
mkdir -p "$ARTIFACTS"
export TW_EXE TW_ARTIFACTS TW_LANGUAGES
TW_EXE="$(winpath "$EXE")"
TW_ARTIFACTS="$(winpath "$ARTIFACTS")"
TW_LANGUAGES=
[ -f "$REPO_ROOT/resources/Languages.ini" ] && TW_LANGUAGES="$(winpath "$REPO_ROOT/resources/Languages.ini")"
# Wine hands these variables on to Windows programs.
export WINEDLLOVERRIDES

args=(--gtest_output="xml:$(winpath "$ARTIFACTS/e2e-tests.xml")")
[ -n "${TW_E2E_FILTER:-}" ] && args+=(--gtest_filter="$TW_E2E_FILTER")
args+=("$@")
say "running tw_e2e_tests.exe (at most $TIMEOUT s)"
LOG="$ARTIFACTS/e2e-tests.log"
(cd "$BUILD_DIR/tests" && timeout --kill-after=10 "$TIMEOUT" "$WINE64" "$DRIVER" "${args[@]}") 2>&1 |
    tr -d '\r' | tee "$LOG"
rc="${PIPESTATUS[0]}"
[ "$rc" = 124 ] && say "the test run timed out after $TIMEOUT s"

# ---- pictures and summary ------------------------------------------------
shopt -s nullglob
for bmp in "$ARTIFACTS"/*.bmp; do
    if convert "$bmp" "${bmp%.bmp}.png" 2>/dev/null; then rm -f "$bmp"; fi
done
pictures=("$ARTIFACTS"/*.png "$ARTIFACTS"/*.bmp)
say "${#pictures[@]} screenshot(s) in $ARTIFACTS"
say "summary"
grep -aE '^\[ *(PASSED|FAILED|SKIPPED) *\]|^  YOU HAVE [0-9]+ DISABLED' "$LOG" || say "no GoogleTest summary (crash or time-out?)"
exit "$rc"
