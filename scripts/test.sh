#!/usr/bin/env bash
# Builds and tests everything:
#   bootstrap; native build (AddressSanitizer + UBSan) and ctest of the code
#   that reads and writes outside data; the win64 and win32 MinGW builds
#   (warnings as errors) with a check that the executables need no DLL beyond
#   the system's, and the release zip packaged from them; the core tests on
#   Wine's real file system and registry (again in code page 932), and the
#   end-to-end tests under Wine and Xvfb; a time-boxed fuzz run.
# Ends with one line "N passed, N failed" summed over every test that ran
# (each build and check that is not a test counts as one).
#
# Environment:
#   TW_BUILD_ROOT     build folders go to $TW_BUILD_ROOT/<preset> (default build)
#   TW_JOBS           parallel build jobs (default 2)
#   TW_SKIP_BOOTSTRAP set to 1 to skip scripts/bootstrap.sh
#   TW_FUZZ_SECONDS   length of the fuzz run (default 60)
set -uo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
REPO_ROOT="$PWD"
BUILD_ROOT="${TW_BUILD_ROOT:-build}"
case "$BUILD_ROOT" in /*) ;; *) BUILD_ROOT="$REPO_ROOT/$BUILD_ROOT" ;; esac
JOBS="${TW_JOBS:-2}"
export TW_FUZZ_SECONDS="${TW_FUZZ_SECONDS:-60}"
ARTIFACTS="$REPO_ROOT/build/artifacts"
LOGS="$BUILD_ROOT/test-logs"
mkdir -p "$LOGS" "$ARTIFACTS"

passed=0
failed=0
failures=()
started=$(date +%s)

say() { printf '\n=== %s\n' "$*"; }

# One pass or failure for a step that is not itself a test runner.
step_result() {
    local name="$1" rc="$2"
    if [ "$rc" = 0 ]; then
        passed=$((passed + 1))
        printf -- '--- %s: ok\n' "$name"
    else
        failed=$((failed + 1))
        failures+=("$name")
        printf -- '--- %s: FAILED (exit %s)\n' "$name" "$rc"
    fi
}

# Adds the counts of a GoogleTest log; a run that failed without printing
# its summary (crash, time-out), or printed none at all even with exit code 0
# (its standard output lost), counts as one failure.
count_gtest() {
    local name="$1" log="$2" rc="$3" p f
    p="$(grep -aE '^\[  PASSED  \] [0-9]+ test' "$log" | tail -n1 | grep -oE '[0-9]+' | head -n1)"
    f="$(grep -aE '^\[  FAILED  \] [0-9]+ test' "$log" | tail -n1 | grep -oE '[0-9]+' | head -n1)"
    if { [ "$rc" != 0 ] || [ -z "$p$f" ]; } && [ "${f:-0}" = 0 ]; then
        f=1
    fi
    p="${p:-0}"
    f="${f:-0}"
    passed=$((passed + p))
    failed=$((failed + f))
    [ "$f" = 0 ] || failures+=("$name")
    printf -- '--- %s: %s passed, %s failed\n' "$name" "$p" "$f"
}

build_preset() {
    local preset="$1" dir="$BUILD_ROOT/$1"
    say "configure and build $preset in $dir"
    cmake --preset "$preset" -B "$dir" >"$LOGS/$preset-configure.log" 2>&1 || {
        tail -n 40 "$LOGS/$preset-configure.log"
        return 1
    }
    if cmake --build "$dir" -j "$JOBS" >"$LOGS/$preset-build.log" 2>&1; then
        tail -n 1 "$LOGS/$preset-build.log"
        return 0
    fi
    grep -aE 'error|warning:|undefined reference|FAILED:' "$LOGS/$preset-build.log" | head -n 80
    echo "(full build log: $LOGS/$preset-build.log)"
    return 1
}

# Every DLL an executable imports must come with Windows.
SYSTEM_DLLS='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|ole32|oleaut32|uuid|msvcrt|ucrtbase|api-ms-win-.*|ntdll|version|shlwapi|uxtheme|gdiplus|winmm|ws2_32|msimg32|psapi|imm32|dwmapi|setupapi|userenv|rpcrt4|secur32|crypt32|bcrypt|winspool\.drv)\.dll$'
check_imports() {
    local exe="$1" bad=0 dll
    while read -r dll; do
        if ! printf '%s\n' "$dll" | tr 'A-Z' 'a-z' | grep -qE "$SYSTEM_DLLS"; then
            echo "$exe imports non-system DLL $dll"
            bad=1
        fi
    done < <(objdump -p "$exe" | awk '/DLL Name:/ {print $3}')
    return "$bad"
}

# ---- bootstrap ----------------------------------------------------------------
if [ "${TW_SKIP_BOOTSTRAP:-0}" != 1 ]; then
    say "bootstrap"
    bash scripts/bootstrap.sh
    rc=$?
    step_result bootstrap "$rc"
    if [ "$rc" != 0 ]; then
        echo "bootstrap failed; nothing else can run"
        printf '\n%s passed, %s failed\n' "$passed" "$failed"
        exit 1
    fi
fi

# ---- layers ---------------------------------------------------------------------
# The core includes no Windows header and nothing of the window layer, and no
# source file is over 500 lines (scripts/check-layers.sh).
say "layers"
bash scripts/check-layers.sh
step_result "layers" "$?"

# ---- native: the code that reads and writes outside data, with sanitizers -----
build_preset native
rc=$?
step_result "native build" "$rc"
if [ "$rc" = 0 ]; then
    say "ctest (native, sanitizers on)"
    ctest --test-dir "$BUILD_ROOT/native" --output-on-failure -j "$JOBS" --timeout 300 \
        2>&1 | tee "$LOGS/ctest.log" | grep -avE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed'
    rc="${PIPESTATUS[0]}"
    summary="$(grep -aE '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$LOGS/ctest.log" | tail -n1)"
    if [ -n "$summary" ]; then
        total="$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$summary")"
        nfail="$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")"
        passed=$((passed + total - nfail))
        failed=$((failed + nfail))
        [ "$nfail" = 0 ] || failures+=("ctest")
        [ "$rc" = 0 ] || [ "$nfail" != 0 ] || { failed=$((failed + 1)); failures+=("ctest"); }
    else
        step_result ctest "$rc"
    fi
fi

# ---- MinGW builds -------------------------------------------------------------
declare -A built
for preset in win64 win32; do
    build_preset "$preset"
    rc=$?
    built[$preset]=$rc
    step_result "$preset build" "$rc"
    if [ "$rc" = 0 ]; then
        # Wine prefixes below the build folder hold Wine's own programs, not ours.
        mapfile -t exes < <(find "$BUILD_ROOT/$preset" -name '*.exe' -not -path '*/CMakeFiles/*' -not -path '*/wineprefix-*' | sort)
        if [ "${#exes[@]}" = 0 ]; then
            echo "no executables in $BUILD_ROOT/$preset yet"
        fi
        bad=0
        for exe in "${exes[@]}"; do
            check_imports "$exe" || bad=1
        done
        [ "${#exes[@]}" = 0 ] || step_result "$preset imports only system DLLs (${#exes[@]} executables)" "$bad"
    fi
done

# ---- release packages ---------------------------------------------------------
# The download, packaged from the two builds above (scripts/release.sh
# --check-reproducible makes the full comparison of two fresh builds): the zip
# holds exactly its five files, SHA256SUMS verifies, and each executable is of
# its kind (Tidewell.exe 32-bit, Tidewell64.exe 64-bit), imports only system
# DLLs and carries no link time.
check_release() {
    local out="$BUILD_ROOT/release-check" zip exe name listing format wanted stamp bad=0
    rm -rf "$out"
    bash scripts/release.sh --package "$BUILD_ROOT/win32" "$BUILD_ROOT/win64" "$out" || return 1
    (cd "$out" && sha256sum --check --strict SHA256SUMS) || bad=1
    zip="$(ls "$out"/Tidewell-*.zip)"
    listing="$(unzip -Z1 "$zip" | tr '\n' ' ')"
    if [ "$listing" != "Tidewell.exe Tidewell64.exe Languages.ini Help.chm ReadMe.txt " ]; then
        echo "$zip holds: $listing"
        bad=1
    fi
    for name in Tidewell.exe Tidewell64.exe; do
        exe="${zip%.zip}/$name"
        unzip -q -o "$zip" "$name" -d "${zip%.zip}" || { bad=1; continue; }
        # Read whole first: with pipefail, grep -q ending early fails the pipe.
        format="$(objdump -f "$exe" | grep -o 'file format .*')"
        case "$name" in Tidewell.exe) wanted='file format pei-i386' ;; *) wanted='file format pei-x86-64' ;; esac
        [ "$format" = "$wanted" ] || { echo "$zip: $name has $format"; bad=1; }
        check_imports "$exe" || bad=1
        stamp="$(TZ=UTC objdump -p "$exe" | grep '^Time/Date')"
        if ! grep -qE $'^Time/Date\t+Thu Jan  1 00:00:00 1970$' <<<"$stamp"; then
            echo "$zip: $name carries a link time: $stamp"
            bad=1
        fi
    done
    return "$bad"
}
if [ "${built[win32]:-1}" = 0 ] && [ "${built[win64]:-1}" = 0 ]; then
    say "release packages from the win32 and win64 builds"
    check_release
    step_result "release packages" "$?"
fi

# The benchmark programs are built (not run: scripts/bench.sh runs them).
if grep -q 'tw_bench_runner' "$BUILD_ROOT/win64/build.ninja" 2>/dev/null; then
    cmake --build "$BUILD_ROOT/win64" -j "$JOBS" --target tw_bench >"$LOGS/bench-build.log" 2>&1
    rc=$?
    [ "$rc" = 0 ] || grep -aE 'error|undefined reference|FAILED:' "$LOGS/bench-build.log" | head -n 40
    step_result "benchmark build (win64)" "$rc"
fi

# ---- under Wine: core tests, end-to-end tests ---------------------------------
# wine_gtest_step LABEL TARGET PREFIX TIMEOUT DISPLAY [RUN [ENV [ARGS]]]
# Builds a Windows-side GoogleTest program that is left out of "all" (when the
# win64 build knows it) and runs it in its own Wine prefix, under Xvfb when
# DISPLAY is "xvfb". Its XML report goes to the artefacts. RUN names the run's
# log and report (default PREFIX), ENV holds NAME=VALUE words set for the run,
# ARGS more arguments of the program.
wine_gtest_step() {
    local label="$1" target="$2" prefix="$3" limit="$4" display="$5" exe rc
    local run="${6:-$3}" envs="${7:-}" args="${8:-}"
    grep -q "$target" "$BUILD_ROOT/win64/build.ninja" 2>/dev/null || return 0
    say "build the $label (win64)"
    cmake --build "$BUILD_ROOT/win64" -j "$JOBS" --target "$target" >"$LOGS/$run-build.log" 2>&1
    rc=$?
    [ "$rc" = 0 ] || grep -aE 'error|undefined reference|FAILED:' "$LOGS/$run-build.log" | head -n 40
    step_result "$label build (win64)" "$rc"
    [ "$rc" = 0 ] || return 0
    exe="$(find "$BUILD_ROOT/win64" -name "$target.exe" -not -path '*/wineprefix-*' | head -n1)"
    [ -n "$exe" ] || return 0
    say "$label under Wine"
    (
        export WINEPREFIX="$BUILD_ROOT/wineprefix-$prefix"
        # shellcheck source=wine-env.sh
        . scripts/wine-env.sh "$prefix"
        tw_wine_init || exit 1
        if [ "$display" = xvfb ]; then tw_xvfb_start || exit 1; else export DISPLAY=; fi
        cd "$(dirname "$exe")" || exit 1
        # A Unix path would be taken as relative to the current folder: Z: is the root.
        xml="Z:$(printf '%s' "$ARTIFACTS/$run-tests.xml" | tr '/' '\\')"
        # shellcheck disable=SC2086 # ENV and ARGS are lists of words
        env $envs timeout "$limit" "$WINE64" "$exe" --gtest_output="xml:$xml" $args
        rc=$?
        tw_wine_kill
        [ "$display" = xvfb ] && tw_xvfb_stop
        exit "$rc"
    ) >"$LOGS/$run-wine.log" 2>&1
    rc=$?
    grep -aE '^\[ *(FAILED|SKIPPED|PASSED) *\]|Failure|error' "$LOGS/$run-wine.log" | head -n 60
    count_gtest "$label under Wine" "$LOGS/$run-wine.log" "$rc"
}

# The core on Wine's own file system and registry (no display).
wine_gtest_step "core tests" tw_wine_tests wine 300 none
# Again with the ANSI code page 932, for the double-byte cases on real files.
# LC_ALL=ja_JP.UTF-8 gives Wine that code page; the host locale, built into
# the build folder, lets Wine name such files on the host.
mkdir -p "$BUILD_ROOT/locale"
if localedef -i ja_JP -f UTF-8 "$BUILD_ROOT/locale/ja_JP.UTF-8" >"$LOGS/locale.log" 2>&1 ||
    [ -d "$BUILD_ROOT/locale/ja_JP.UTF-8" ]; then
    wine_gtest_step "core tests (code page 932)" tw_wine_tests wine 120 none wine-cp932 \
        "LOCPATH=$BUILD_ROOT/locale LC_ALL=ja_JP.UTF-8 TW_CODE_PAGE=932" "--gtest_filter=*DoubleByte*"
else
    step_result "host locale ja_JP.UTF-8 for the code page 932 run" 1
fi

if [ -f scripts/run-e2e.sh ]; then
    say "end-to-end tests under Wine"
    TW_SKIP_BOOTSTRAP=1 TW_BUILD_DIR="$BUILD_ROOT/win64" bash scripts/run-e2e.sh 2>&1 | tee "$LOGS/e2e.log"
    rc="${PIPESTATUS[0]}"
    count_gtest "end-to-end tests" "$LOGS/e2e.log" "$rc"
else
    echo "scripts/run-e2e.sh not present: end-to-end tests skipped"
fi

# ---- fuzzing ------------------------------------------------------------------
if [ -f scripts/run-fuzz.sh ]; then
    say "fuzz run (${TW_FUZZ_SECONDS} s)"
    TW_FUZZ_BUILD="$BUILD_ROOT/fuzz" bash scripts/run-fuzz.sh >"$LOGS/fuzz.log" 2>&1
    rc=$?
    tail -n 15 "$LOGS/fuzz.log"
    step_result "fuzz run" "$rc"
else
    echo "scripts/run-fuzz.sh not present: fuzz run skipped"
fi

say "summary ($(( $(date +%s) - started )) s; logs in $LOGS)"
if [ "${#failures[@]}" -gt 0 ]; then
    printf 'failed: %s\n' "${failures[@]}"
fi
printf '%s passed, %s failed\n' "$passed" "$failed"
[ "$failed" = 0 ]
