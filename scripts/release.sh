#!/usr/bin/env bash
# Builds the download of a release into dist/:
#   Tidewell-<version>.zip   Tidewell.exe (32-bit: runs on every Windows, and on
#                            64-bit Windows starts Tidewell64.exe beside it),
#                            Tidewell64.exe (64-bit), Languages.ini, Help.chm and
#                            ReadMe.txt (resources/ReadMe.txt with the version
#                            filled in and Windows line ends)
#   SHA256SUMS               its sum, as `sha256sum -c` reads it
# The version is the one of project() in CMakeLists.txt.
#
#   scripts/release.sh                      build both presets in fresh folders
#                                           (build/release-win32, -win64), package
#   scripts/release.sh --check-reproducible do that twice, in two pairs of folders
#                                           at different paths, and compare the bytes
#   scripts/release.sh --package WIN32_BUILD WIN64_BUILD OUT
#                                           package two finished build folders into
#                                           OUT, building nothing (scripts/test.sh)
#
# The bytes depend on the commit alone: the executables carry no link time and
# no build path, the About box shows the commit's date, Help.chm carries no
# compile time, and the zip entries have a fixed order, the commit's date as
# their time and fixed permissions. Packaging fails when an executable holds
# the path of its source or build folder.
#
# Environment:
#   TW_BUILD_ROOT     where the release build folders go (default build)
#   TW_JOBS           parallel build jobs (default 2)
#   TW_SKIP_BOOTSTRAP set to 1 to skip scripts/bootstrap.sh
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
REPO_ROOT="$PWD"
BUILD_ROOT="${TW_BUILD_ROOT:-build}"
case "$BUILD_ROOT" in /*) ;; *) BUILD_ROOT="$REPO_ROOT/$BUILD_ROOT" ;; esac
JOBS="${TW_JOBS:-2}"
# The zip's entries in their order; the two executables come from the win32
# and the win64 build, the language and help files from the first (both
# builds make the same).
FILES=(Tidewell.exe Tidewell64.exe Languages.ini Help.chm ReadMe.txt)

log() { printf 'release: %s\n' "$*" >&2; }
die() { log "$*"; exit 1; }

# A #define of the build's generated tw_version.h, without its quotes.
version_value() {
    sed -n "s/^#define $2 \"\\{0,1\\}\\([^\"]*\\)\"\\{0,1\\}\$/\\1/p" "$1/generated/tw_version.h"
}

# package WIN32_BUILD WIN64_BUILD OUT
package() {
    local b32="$1" b64="$2" out="$3" version epoch build f path
    for build in "$b32" "$b64"; do
        [ -f "$build/generated/tw_version.h" ] || die "$build is not a build folder"
        for f in Tidewell.exe Languages.ini Help.chm; do
            [ -f "$build/app/$f" ] || die "$build/app/$f is missing"
        done
    done
    version="$(version_value "$b32" TW_VERSION_TEXT)"
    epoch="$(version_value "$b32" TW_SOURCE_DATE_EPOCH)"
    [ -n "$version" ] || die "no version in $b32/generated/tw_version.h"
    [ "$version" = "$(version_value "$b64" TW_VERSION_TEXT)" ] || die "the two builds have different versions"
    [ "$epoch" = "$(version_value "$b64" TW_SOURCE_DATE_EPOCH)" ] || die "the two builds come from different commits"

    for build in "$b32" "$b64"; do
        # A path in the code would differ between machines (and tell about the builder's).
        for path in "$REPO_ROOT" "$build"; do
            if grep -aqF "$path" "$build/app/Tidewell.exe"; then
                die "$build/app/Tidewell.exe holds the path $path"
            fi
        done
    done

    for f in Languages.ini Help.chm; do
        cmp -s "$b32/app/$f" "$b64/app/$f" || die "the two builds made different $f"
    done

    mkdir -p "$out"
    rm -f "$out"/Tidewell-*.zip "$out/SHA256SUMS"
    python3 - "$out/Tidewell-$version.zip" "$b32/app" "$b64/app/Tidewell.exe" "$REPO_ROOT/resources/ReadMe.txt" \
        "$version" "${epoch:-0}" "${FILES[@]}" <<'EOF'
import sys, time, zipfile
zip_path, app, exe64, readme, version, epoch, *names = sys.argv[1:]
# Zip times have no zone and start in 1980.
stamp = max(time.gmtime(int(epoch))[:6], (1980, 1, 1, 0, 0, 0))
text = open(readme, encoding="utf-8").read().replace("@VERSION@", version)
contents = {"ReadMe.txt": text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")}
sources = {"Tidewell64.exe": exe64}
with zipfile.ZipFile(zip_path, "w") as z:
    for name in names:
        data = contents.get(name)
        if data is None:
            data = open(sources.get(name, f"{app}/{name}"), "rb").read()
        info = zipfile.ZipInfo(name, stamp)
        info.create_system = 0  # MS-DOS attributes: a plain archived file
        info.external_attr = 0x20
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, data, compresslevel=9)
EOF
    (cd "$out" && sha256sum "Tidewell-$version.zip" >SHA256SUMS)
    log "wrote $out: $(tr '\n' ' ' <"$out/SHA256SUMS")"
}

# build PRESET DIR: a fresh build of Tidewell.exe and the files beside it.
build() {
    local preset="$1" dir="$2"
    log "building $preset in $dir"
    rm -rf "$dir"
    cmake --preset "$preset" -B "$dir" >"$dir.log" 2>&1 \
        && cmake --build "$dir" -j "$JOBS" --target Tidewell >>"$dir.log" 2>&1 \
        || { tail -n 40 "$dir.log" >&2; die "the $preset build failed (log: $dir.log)"; }
}

# release NAME OUT: both builds in folders named by NAME, packaged into OUT.
release() {
    build win32 "$BUILD_ROOT/$1-win32"
    build win64 "$BUILD_ROOT/$1-win64"
    package "$BUILD_ROOT/$1-win32" "$BUILD_ROOT/$1-win64" "$2"
}

case "${1:-}" in
--package)
    [ $# = 4 ] || die "usage: scripts/release.sh --package WIN32_BUILD WIN64_BUILD OUT"
    package "$2" "$3" "$4"
    exit 0
    ;;
--check-reproducible | "") ;;
*) die "usage: scripts/release.sh [--check-reproducible | --package WIN32_BUILD WIN64_BUILD OUT]" ;;
esac

if [ "${TW_SKIP_BOOTSTRAP:-0}" != 1 ]; then
    bash scripts/bootstrap.sh
fi
if [ -n "$(git status --porcelain 2>/dev/null)" ]; then
    log "warning: the working tree has changes that are not committed; the downloads will not match a build of the commit"
fi
mkdir -p "$BUILD_ROOT"
release release "$REPO_ROOT/dist"

if [ "${1:-}" = --check-reproducible ]; then
    # A second build at another path, under another umask and time zone.
    second="$BUILD_ROOT/reproducible-check"
    rm -rf "$second"
    (umask 077 && TZ=Pacific/Kiritimati release again "$second/dist")
    if ! diff <(cd "$REPO_ROOT/dist" && cat SHA256SUMS) <(cd "$second/dist" && cat SHA256SUMS); then
        for zip in "$REPO_ROOT"/dist/*.zip; do
            python3 - "$zip" "$second/dist/$(basename "$zip")" <<'EOF' || true
import sys, zipfile
a, b = (zipfile.ZipFile(p) for p in sys.argv[1:])
if a.namelist() != b.namelist():
    print(f"{sys.argv[1]}: entries {a.namelist()} against {b.namelist()}")
for name in a.namelist():
    if name in b.namelist() and a.read(name) != b.read(name):
        print(f"{sys.argv[1]}: {name} differs")
    elif name in b.namelist() and a.getinfo(name).date_time != b.getinfo(name).date_time:
        print(f"{sys.argv[1]}: {name} has another time")
EOF
        done
        die "not reproducible: the second build differs (kept in $second)"
    fi
    log "reproducible: a second build in $BUILD_ROOT/again-* gives the same bytes"
fi
