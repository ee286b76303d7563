#!/usr/bin/env bash
# Builds the 64-bit Tidewell.exe, previews all seven targets on a Wine prefix
# seeded as a demo machine with driver leftovers, then does a real cleaning
# run of them.
#
#   scripts/run.sh [Tidewell arguments...]     default: the seven target switches
#
# Settings written before the start: backup on, confirmation on (a small
# helper, tw_answer.exe, answers the "Warning" question with OK), no restart.
# The preview (the same arguments with -PREVIEW -QUIT) changes nothing and
# saves its lines in Logs\Preview <time stamp>.txt; the run also writes a
# JSON report (-REPORT=...\report.json). After the run the script prints
# where the log file, the report and the backup set are, and the items of
# each kind (file, folder, registry, not deleted) that the preview named, the
# run logged and its report counts, side by side with the exit codes. With a display
# ($DISPLAY set) the window stays open there and the script waits until it is
# closed. Without one the program runs under Xvfb: the script saves a
# screenshot of the window after the run to build/artifacts/main-window.png
# and closes the program.
#
# Environment:
#   TW_BUILD_DIR       win64 build folder (default build/win64)
#   TW_EXE             run this executable instead of building Tidewell.exe
#   TW_SKIP_BOOTSTRAP  set to 1 to skip scripts/bootstrap.sh
#   TW_WINDOW_TIMEOUT  seconds to wait for the main window and the run (default 60)
#   TW_DEMO_PREFIX     Wine prefix to seed and use (default build/wineprefix-demo)
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
REPO_ROOT="$PWD"
BUILD_DIR="${TW_BUILD_DIR:-build/win64}"
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$REPO_ROOT/$BUILD_DIR" ;; esac
ARTIFACTS="$REPO_ROOT/build/artifacts"
PREFIX="${TW_DEMO_PREFIX:-$REPO_ROOT/build/wineprefix-demo}"
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
    cmake --build "$BUILD_DIR" -j "${TW_JOBS:-2}" --target Tidewell tw_answer
    # The build's own output, not one of the copies the tests leave in their
    # Wine prefixes below the build folder.
    EXE="$BUILD_DIR/app/Tidewell.exe"
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
HELP="$(dirname "$EXE")/Help.chm"
[ -f "$HELP" ] && cp "$HELP" "$PROGRAM_DIR/"
WIN_EXE="C:\\Program Files\\Tidewell\\$EXE_NAME"

# Settings of the run: backup on, ask first, no restart, log file kept.
printf '[Backup]\r\nEnabled=1\r\n[DisplayWarning]\r\nEnabled=1\r\n[Reboot]\r\nReboot=0\r\n[Logfiles]\r\nEnabled=1\r\n' \
    >"$PROGRAM_DIR/Tidewell.ini"
ANSWER="$BUILD_DIR/bench/tw_answer.exe"
[ -f "$ANSWER" ] || ANSWER=""
if [ $# -eq 0 ]; then
    set -- -NVIDIA -NVIDIACHIPSET -ATI -CREATIVE -REALTEK -MMOUSE -AGEIA
fi

# ---- preview ----------------------------------------------------------------
# The same arguments with -PREVIEW -QUIT: nothing changes, the lines go to
# Logs\Preview <time stamp>.txt and the program ends with its exit code.
PREVIEW_RC=none
PREVIEW_LOG=""
run_preview() {
    log "previewing: $WIN_EXE -PREVIEW $* -QUIT"
    local rc=0
    (cd "$PROGRAM_DIR" && exec timeout "$WINDOW_TIMEOUT" "$WINE64" "$WIN_EXE" -PREVIEW "$@" -QUIT) \
        >>"$ARTIFACTS/run-wine.log" 2>&1 || rc=$?
    PREVIEW_RC=$rc
    PREVIEW_LOG="$(find "$PROGRAM_DIR/Logs" -name 'Preview *.txt' 2>/dev/null | head -n1 || true)"
    log "preview file: ${PREVIEW_LOG:-none}"
}

# Items of each kind in a saved log: "files folders registry not-deleted".
count_kinds() {
    if [ -z "$1" ] || [ ! -f "$1" ]; then
        echo "- - - -"
        return
    fi
    iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' | awk '
        /^Not deleted /                        { n++; next }
        /^(Would delete|Deleted) file \(/      { f++; next }
        /^(Would delete|Deleted) folder \(/    { d++; next }
        /^(Would delete|Deleted) registry \(/  { r++; next }
        END { printf "%d %d %d %d\n", f, d, r, n }'
}

# The preview's and the run's counts side by side, with their exit codes.
# The run's JSON report (-REPORT=): its items per kind, counted as
# count_kinds counts lines ("not deleted" holds those deleted at restart, as
# their lines do), then those deleted at restart, then its exit code.
REPORT="$PROGRAM_DIR/report.json"
WIN_REPORT="C:\\Program Files\\Tidewell\\report.json"
count_report() {
    python3 - "$1" <<'EOF' 2>/dev/null || echo "- - - - - -"
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
gone = {"deleted", "would delete"}
items = [i for f in report["families"] for i in f["items"] if i.get("kind")]
count = lambda kind: sum(1 for i in items if i["kind"] == kind and i["outcome"] in gone)
print(count("file"), count("folder"), count("registry"), sum(1 for i in items if i["outcome"] not in gone),
      sum(1 for i in items if i["outcome"] == "deleted at restart"), report["exitCode"])
EOF
}

print_counts() {
    local run_rc="$1" p r j
    read -r -a p <<<"$(count_kinds "$PREVIEW_LOG")"
    read -r -a r <<<"$(count_kinds "$RUN_LOG")"
    read -r -a j <<<"$(count_report "$REPORT")"
    {
        printf '    %-12s %8s %8s %8s\n' kind preview run report
        printf '    %-12s %8s %8s %8s\n' file "${p[0]}" "${r[0]}" "${j[0]}"
        printf '    %-12s %8s %8s %8s\n' folder "${p[1]}" "${r[1]}" "${j[1]}"
        printf '    %-12s %8s %8s %8s\n' registry "${p[2]}" "${r[2]}" "${j[2]}"
        printf '    %-12s %8s %8s %8s\n' "not deleted" "${p[3]}" "${r[3]}" "${j[3]}"
        printf '    %-12s %8s %8s %8s\n' "at restart" - - "${j[4]}"
        printf '    %-12s %8s %8s %8s\n' "exit code" "$PREVIEW_RC" "$run_rc" "${j[5]}"
    } >&2
}

# ---- run --------------------------------------------------------------------
# Waits for the run's log file; then prints where it and the backup set are.
RUN_LOG=""
report_run() {
    local log="" i
    for i in $(seq 1 $((WINDOW_TIMEOUT * 2))); do
        log="$(find "$PROGRAM_DIR/Logs" -name '*.txt' ! -name 'Preview *' 2>/dev/null | head -n1 || true)"
        [ -n "$log" ] && break
        kill -0 "$WINE_PID" 2>/dev/null || break
        sleep 0.5
    done
    if [ -z "$log" ]; then
        log "no log file: the run wrote no line, was cancelled or did not happen"
        return 1
    fi
    sleep 1
    RUN_LOG="$log"
    log "log file:   $log"
    log "report:     $REPORT"
    local set
    set="$(find "$PROGRAM_DIR/Backup" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | sort | tr '\n' ' ')"
    log "backup set: ${set:-none}"
}

start_answer() {
    if [ -n "$ANSWER" ]; then
        tw_wine "$ANSWER" Warning "$WINDOW_TIMEOUT" >/dev/null 2>&1 &
    else
        log "tw_answer.exe not built: answer the \"Warning\" question yourself"
    fi
}

if [ -n "${DISPLAY:-}" ]; then
    run_preview "$@"
    log "starting $WIN_EXE $* on $DISPLAY; close its window to finish"
    start_answer
    (cd "$PROGRAM_DIR" && exec "$WINE64" "$WIN_EXE" "$@" "-REPORT=$WIN_REPORT") &
    WINE_PID=$!
    report_run || true
    rc=0
    wait "$WINE_PID" || rc=$?
    "$WINESERVER" -w
    log "program ended with exit code $rc"
    print_counts "$rc"
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
run_preview "$@"
log "starting $WIN_EXE $* under Xvfb ($DISPLAY)"
start_answer
(cd "$PROGRAM_DIR" && exec "$WINE64" "$WIN_EXE" "$@" "-REPORT=$WIN_REPORT") >"$ARTIFACTS/run-wine.log" 2>&1 &
WINE_PID=$!
report_run || true

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
log "main window screenshot after the run: $SHOT"
xwininfo -root -children | grep '"Tidewell' >&2 || true

# Close the window as a user would (taskkill without /F sends WM_CLOSE), so
# the program ends by itself and gives its exit code.
tw_wine taskkill /im "$EXE_NAME" >/dev/null 2>&1 || true
rc=none
for _ in $(seq 1 20); do
    kill -0 "$WINE_PID" 2>/dev/null || break
    sleep 0.5
done
if ! kill -0 "$WINE_PID" 2>/dev/null; then
    rc=0
    wait "$WINE_PID" || rc=$?
fi
print_counts "$rc"
