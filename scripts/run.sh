#!/usr/bin/env bash
# Builds the 64-bit Tidewell.exe, previews all seven targets on a Wine prefix
# seeded as a demo machine with driver leftovers, then does a real cleaning
# run of them. A second part then shows the driver phase (-DRIVERS) on a
# second demo machine: see "driver packages and devices" below.
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
#   TW_DEMO_DRIVERS    set to 0 to leave out the second part (the driver phase)
#   TW_DEMO_DRIVERS_PREFIX  its Wine prefix (default build/wineprefix-demo-drivers)
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
    cmake --build "$BUILD_DIR" -j "${TW_JOBS:-2}" --target Tidewell tw_answer tw_demo_drivers
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
EXE_NAME="$(basename "$EXE")"
WIN_EXE="C:\\Program Files\\Tidewell\\$EXE_NAME"
install_program() {
    PROGRAM_DIR="$1/drive_c/Program Files/Tidewell"
    mkdir -p "$PROGRAM_DIR"
    cp "$EXE" "$PROGRAM_DIR/$EXE_NAME"
    [ -f resources/Languages.ini ] && cp resources/Languages.ini "$PROGRAM_DIR/"
    local help
    help="$(dirname "$EXE")/Help.chm"
    [ -f "$help" ] && cp "$help" "$PROGRAM_DIR/"
    # Settings of the run: backup on, ask first, no restart, log file kept.
    printf '[Backup]\r\nEnabled=1\r\n[DisplayWarning]\r\nEnabled=1\r\n[Reboot]\r\nReboot=0\r\n[Logfiles]\r\nEnabled=1\r\n' \
        >"$PROGRAM_DIR/Tidewell.ini"
    REPORT="$PROGRAM_DIR/report.json"
}
install_program "$PREFIX"
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

# Items of each kind in a saved log:
# "files folders registry not-deleted driver-packages devices".
count_kinds() {
    if [ -z "$1" ] || [ ! -f "$1" ]; then
        echo "- - - - - -"
        return
    fi
    iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' | awk '
        /^Not deleted /                              { n++; next }
        /^(Would delete|Deleted) file \(/            { f++; next }
        /^(Would delete|Deleted) folder \(/          { d++; next }
        /^(Would delete|Deleted) registry \(/        { r++; next }
        /^(Would delete|Deleted) driver package \(/  { p++; next }
        /^(Would delete|Deleted) device \(/          { v++; next }
        END { printf "%d %d %d %d %d %d\n", f, d, r, n, p, v }'
}

# The preview's and the run's counts side by side, with their exit codes.
# The run's JSON report (-REPORT=): its items per kind, counted as
# count_kinds counts lines ("not deleted" holds those deleted at restart, as
# their lines do), then those deleted at restart, its exit code, and the
# driver packages and devices.
WIN_REPORT="C:\\Program Files\\Tidewell\\report.json"
count_report() {
    python3 - "$1" <<'EOF' 2>/dev/null || echo "- - - - - - - -"
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
gone = {"deleted", "would delete"}
items = [i for f in report["families"] for i in f["items"] if i.get("kind")]
count = lambda kind: sum(1 for i in items if i["kind"] == kind and i["outcome"] in gone)
print(count("file"), count("folder"), count("registry"), sum(1 for i in items if i["outcome"] not in gone),
      sum(1 for i in items if i["outcome"] == "deleted at restart"), report["exitCode"],
      count("driver package"), count("device"))
EOF
}

# print_counts RUN_EXIT_CODE [drivers]: "drivers" adds the driver packages
# and devices.
print_counts() {
    local run_rc="$1" p r j w=12
    read -r -a p <<<"$(count_kinds "$PREVIEW_LOG")"
    read -r -a r <<<"$(count_kinds "$RUN_LOG")"
    read -r -a j <<<"$(count_report "$REPORT")"
    [ "${2:-}" = drivers ] && w=14
    {
        printf '    %-*s %8s %8s %8s\n' "$w" kind preview run report
        printf '    %-*s %8s %8s %8s\n' "$w" file "${p[0]}" "${r[0]}" "${j[0]}"
        printf '    %-*s %8s %8s %8s\n' "$w" folder "${p[1]}" "${r[1]}" "${j[1]}"
        printf '    %-*s %8s %8s %8s\n' "$w" registry "${p[2]}" "${r[2]}" "${j[2]}"
        if [ "${2:-}" = drivers ]; then
            printf '    %-*s %8s %8s %8s\n' "$w" "driver package" "${p[4]}" "${r[4]}" "${j[6]}"
            printf '    %-*s %8s %8s %8s\n' "$w" device "${p[5]}" "${r[5]}" "${j[7]}"
        fi
        printf '    %-*s %8s %8s %8s\n' "$w" "not deleted" "${p[3]}" "${r[3]}" "${j[3]}"
        printf '    %-*s %8s %8s %8s\n' "$w" "at restart" - - "${j[4]}"
        printf '    %-*s %8s %8s %8s\n' "$w" "exit code" "$PREVIEW_RC" "$run_rc" "${j[5]}"
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

cleanup() {
    tw_wine_kill
    tw_xvfb_stop
}

# ---- driver packages and devices --------------------------------------------
# The second part, on a second demo machine (a Wine prefix of its own): its
# old NVIDIA display card was taken out, and Windows kept its device (not
# present) and the driver package it used, while the card in its place
# (present) uses a newer package. tw_demo_drivers.exe seeds them, laid out as
# Windows lays them out. The preview and the run of NVIDIA - Display with its
# driver phase on for this run (-DRIVERS), backup on and -QUIT must name and
# remove exactly that device and that package and refuse the package in use
# (so the run ends with exit code 1: an item was not deleted). Then the run's
# backup set gives the package back: tw_demo_drivers.exe, started from the
# program's folder, restores the set's "NVIDIA - Display - Drivers" item
# through the routine the Backup dialog's Restore button calls (the program
# has no command-line restore), and the package must be in the driver store
# again. With -BLOCKUPDATE the run also keeps Windows from installing a driver
# for the removed device again: the preview must name that block, the run
# must write the removed device's hardware id into the device installation
# policy, and restoring the set's "DeviceInstallBlock" item must take the
# policy keys it added away again. Each check prints "ok:" or "FAILED:"; a failure ends the script
# with exit code 1.
DRIVERS_PREFIX="${TW_DEMO_DRIVERS_PREFIX:-$REPO_ROOT/build/wineprefix-demo-drivers}"
DEMO_DRIVERS="$BUILD_DIR/bench/tw_demo_drivers.exe"
DRIVERS_ARGS=(-NVIDIA -DRIVERS -BLOCKUPDATE)
POLICY='HKLM\Software\Policies\Microsoft\Windows\DeviceInstall'

DRIVERS_FAILED=0

# A saved log's item lines as "delete|keep <kind> <name>", sorted and joined
# by "; ": "Would delete" and "Deleted" read alike, a name ends at its ":".
log_items() {
    iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' | sed -n -E \
        -e 's/^(Would delete|Deleted) ([a-z ]+) \(([^:)]*).*/delete \2 \3/p' \
        -e 's/^Not deleted ([a-z ]+) \(([^:)]*).*/keep \1 \2/p' | LC_ALL=C sort | paste -sd ';' | sed 's/;/; /g'
}

# check WHAT WANTED GOT
check() {
    if [ "$2" = "$3" ]; then
        log "ok:     $1${3:+: $3}"
    else
        log "FAILED: $1: wanted ${2:-nothing}, got ${3:-nothing}"
        DRIVERS_FAILED=1
    fi
}

# The hardware ids a saved log's lines "<words> device installation (id)" name.
block_ids() {
    iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' | sed -n -E "s/^$2 device installation \((.*)\)\$/\1/p" | paste -sd ' '
}
policy_ids() { tw_wine reg query "$POLICY\\Restrictions\\DenyDeviceIDs" 2>/dev/null | tr -d '\r' | sed -n -E 's/.*REG_SZ +//p' | paste -sd ' '; }

device_key() {
    tw_wine reg query "HKLM\\System\\CurrentControlSet\\Enum\\$1" >/dev/null 2>&1 && echo present || echo gone
}
published() { [ -f "$DRIVERS_PREFIX/drive_c/windows/inf/$1" ] && echo present || echo gone; }

drivers_demo() {
    if [ ! -f "$DEMO_DRIVERS" ]; then
        log "tw_demo_drivers.exe not built: the driver part is left out"
        return 0
    fi
    log "---- driver packages and devices: a second demo machine, $DRIVERS_PREFIX"
    tw_wine_kill
    export WINEPREFIX="$DRIVERS_PREFIX"
    trap cleanup EXIT
    rm -rf "$DRIVERS_PREFIX"
    tw_wine_init
    install_program "$DRIVERS_PREFIX"

    # Wine's display driver rebuilds its adapters whenever its desktop
    # starts: every driver key of the Display class and every PCI display
    # device not present goes. So the server is kept (-p) from before the
    # desktop starts (any window call starts it: tw_answer.exe, looking for a
    # box that never comes, makes one) to the end of this part.
    "$WINESERVER" -p
    [ -z "$ANSWER" ] || tw_wine "$ANSWER" "Tidewell demo: start the desktop" 1 >/dev/null 2>&1 || true
    local seeded role name
    local gone_device="" kept_device="" gone_package="" kept_package=""
    seeded="$(tw_wine "$DEMO_DRIVERS" seed 2>&1 | tr -d '\r')" || true
    while read -r role name; do
        case "$role" in
            gone-device) gone_device="$name" ;;
            kept-device) kept_device="$name" ;;
            gone-package) gone_package="$name" ;;
            kept-package) kept_package="$name" ;;
        esac
    done <<<"$seeded"
    if [ -z "$gone_device" ] || [ -z "$kept_device" ] || [ -z "$gone_package" ] || [ -z "$kept_package" ]; then
        log "FAILED: seeding the driver part: $seeded"
        return 1
    fi
    log "seeded: device of removed hardware $gone_device and its package $gone_package;"
    log "        present device $kept_device and its package $kept_package"
    local wanted
    wanted="$(printf 'delete device %s\ndelete driver package %s\nkeep driver package %s\n' \
        "$gone_device" "$gone_package" "$kept_package" | LC_ALL=C sort | paste -sd ';' | sed 's/;/; /g')"

    run_preview "${DRIVERS_ARGS[@]}"
    log "starting $WIN_EXE ${DRIVERS_ARGS[*]} -QUIT"
    start_answer
    local rc=0
    (cd "$PROGRAM_DIR" && exec timeout "$WINDOW_TIMEOUT" "$WINE64" "$WIN_EXE" "${DRIVERS_ARGS[@]}" -QUIT \
        "-REPORT=$WIN_REPORT") >>"$ARTIFACTS/run-wine.log" 2>&1 &
    WINE_PID=$!
    wait "$WINE_PID" || rc=$?
    RUN_LOG=""
    report_run || true
    print_counts "$rc" drivers

    check "the preview names" "$wanted" "$([ -f "$PREVIEW_LOG" ] && log_items "$PREVIEW_LOG")"
    check "the run's log names" "$wanted" "$([ -f "$RUN_LOG" ] && log_items "$RUN_LOG")"
    check "the run's exit code (the package in use was not deleted)" 1 "$rc"
    check "the report's reason for $kept_package" "in use by a present device ($kept_device)" \
        "$(python3 - "$REPORT" "$kept_package" <<'EOF' 2>/dev/null
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
items = [i for f in report["families"] for i in f["items"] if i.get("path", "").startswith(sys.argv[2] + ":")]
print(items[0].get("reason", "") if len(items) == 1 else "")
EOF
)"
    check "after the run: $gone_device, $kept_device" "gone, present" \
        "$(device_key "$gone_device"), $(device_key "$kept_device")"
    check "after the run: $gone_package, $kept_package" "gone, present" \
        "$(published "$gone_package"), $(published "$kept_package")"
    local blocked
    blocked="$([ -f "$RUN_LOG" ] && block_ids "$RUN_LOG" Blocked)"
    check "the run blocks the removed device's hardware id" "PCI\\VEN_10DE&DEV_1C82" "${blocked%%&SUBSYS*}"
    check "the preview names that block" "$blocked" "$([ -f "$PREVIEW_LOG" ] && block_ids "$PREVIEW_LOG" 'Would block')"
    check "the policy lists it" "$blocked" "$(policy_ids)"

    # Restore the run's backup set, its Drivers item only. The item also
    # holds the removed device's key, restored as any registry backup; Wine's
    # RegRestoreKey writes nothing, so that is not checked here.
    local item set
    item="$(find "$PROGRAM_DIR/Backup" -mindepth 2 -maxdepth 2 -type d -name 'NVIDIA - Display - Drivers' | head -n1)"
    set="$(basename "$(dirname "$item")")"
    log "restoring the item \"NVIDIA - Display - Drivers\" of the backup set \"$set\""
    cp "$DEMO_DRIVERS" "$PROGRAM_DIR/"
    local restored
    restored="$(cd "$PROGRAM_DIR" && tw_wine 'C:\Program Files\Tidewell\tw_demo_drivers.exe' restore "$set" \
        'NVIDIA - Display - Drivers' 2>&1 | tr -d '\r')" || true
    printf '%s\n' "$restored" | sed 's/^/run:     /' >&2
    local back="" f
    for f in "$DRIVERS_PREFIX"/drive_c/windows/inf/oem*.inf; do
        [ -f "$item/$gone_package/$gone_package" ] && cmp -s "$f" "$item/$gone_package/$gone_package" && back="$(basename "$f")"
    done
    check "restored" "Restored Driver Package ($gone_package)" "$(printf '%s\n' "$restored" | grep 'Driver Package' || true)"
    check "the removed package is published again (an oem*.inf with its bytes)" "yes" "${back:+yes}"
    [ -n "$back" ] && log "        as $back"
    # The block's record went into a set of its own time stamp (the same one
    # when the run took less than a second).
    item="$(find "$PROGRAM_DIR/Backup" -mindepth 2 -maxdepth 2 -type d -name 'DeviceInstallBlock' | head -n1)"
    set="$(basename "$(dirname "$item")")"
    log "restoring the item \"DeviceInstallBlock\" of the backup set \"$set\""
    restored="$(cd "$PROGRAM_DIR" && tw_wine 'C:\Program Files\Tidewell\tw_demo_drivers.exe' restore "$set" \
        DeviceInstallBlock 2>&1 | tr -d '\r')" || true
    rm -f "$PROGRAM_DIR/tw_demo_drivers.exe"
    printf '%s\n' "$restored" | sed 's/^/run:     /' >&2
    check "unblocked" "Unblocked device installation ($blocked)" \
        "$(printf '%s\n' "$restored" | grep '^Unblocked' || true)"
    check "the policy keys the run made are gone" "gone" \
        "$(tw_wine reg query "$POLICY" >/dev/null 2>&1 && echo present || echo gone)"

    "$WINESERVER" -k || true
    if [ "$DRIVERS_FAILED" != 0 ]; then
        log "the driver part FAILED"
        return 1
    fi
    log "the driver part passed"
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
    [ "${TW_DEMO_DRIVERS:-1}" = 0 ] || drivers_demo || exit 1
    exit "$rc"
fi

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
[ "${TW_DEMO_DRIVERS:-1}" = 0 ] || drivers_demo || exit 1
