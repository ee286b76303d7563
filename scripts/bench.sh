#!/usr/bin/env bash
# Benchmark of Tidewell.exe under Wine (not part of the tests; run it on
# request). Builds Tidewell.exe and the benchmark programs (bench/) with the
# win64 preset and measures, in rounds that alternate between Tidewell and
# the floor, printing minimum and median of every figure:
#  - start-up: process start to a visible, idle main window, against a bare
#    window of the same size (goal at most 1.5), and the peak working set of
#    both at rest (goal at most 1.15);
#  - a seven-target run on a synthetic machine in a Wine prefix of its own
#    (20,000 system files of which 2,000 leftovers, 2,000 driver files, five
#    control sets of 1,000 services; and the same at 2,000 files) against the
#    bare Win32 calls, whole (goal at most 1.3) and with Tidewell's own
#    start-up and exit taken off (goal at most 1.2), with backup off and on;
#    with backup on also against bare calls that copy each file (CopyFileW)
#    and save each key (RegSaveKeyW) into a backup folder before deleting it
#    (goal at most 1.3);
#  - the growth from 2,000 to 20,000 files.
#
# Environment:
#   TW_BUILD_DIR       win64 build folder (default build/win64)
#   TW_JOBS            parallel build jobs (default 2)
#   TW_BENCH_REPEATS   rounds per figure (default 5)
#   TW_BENCH_PREFIX    Wine prefix name (default bench: build/wineprefix-bench)
# Figures and the raw output go to build/artifacts/bench/bench.txt.
set -uo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 2
REPO_ROOT="$PWD"
BUILD_DIR="${TW_BUILD_DIR:-build/win64}"
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$REPO_ROOT/$BUILD_DIR" ;; esac
ARTIFACTS="$REPO_ROOT/build/artifacts/bench"
mkdir -p "$ARTIFACTS"

say() { printf '=== bench: %s\n' "$*"; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }

if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake --preset win64 -B "$BUILD_DIR" >/dev/null || { say "configure failed"; exit 2; }
fi
say "building Tidewell and the benchmark programs in $BUILD_DIR"
cmake --build "$BUILD_DIR" -j"${TW_JOBS:-2}" --target tw_bench || { say "build failed"; exit 2; }

export WINEPREFIX="$REPO_ROOT/build/wineprefix-${TW_BENCH_PREFIX:-bench}"
XVFB_PID=
# shellcheck source=wine-env.sh
. scripts/wine-env.sh "${TW_BENCH_PREFIX:-bench}"
cleanup() {
    tw_wine_kill
    tw_xvfb_stop
}
trap cleanup EXIT
tw_wine_init || { say "Wine prefix could not be made"; exit 2; }
"$WINESERVER" -w
# Tidewell.exe shows its main window during the run: it needs a display.
tw_xvfb_start || { say "no display"; exit 2; }
# Unmanaged windows, as in the end-to-end tests: with no window manager on the
# display, Wine's X11 driver would otherwise wait two seconds for every hidden
# window, a cost of the set-up and not of the program.
tw_wine_draw_frames

say "running (this takes a quarter of an hour or more)"
timeout --kill-after=10 5400 "$WINE64" "$BUILD_DIR/bench/tw_bench_run.exe" \
    "$(winpath "$BUILD_DIR/app/Tidewell.exe")" 'C:\twbench' "${TW_BENCH_REPEATS:-5}" 2>&1 |
    stdbuf -oL tr -d '\r' | tee "$ARTIFACTS/bench.txt"
rc="${PIPESTATUS[0]}"
# The synthetic system folders stay for the next run; the services are gone.
say "figures in $ARTIFACTS/bench.txt"
exit "$rc"
