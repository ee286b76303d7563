#!/usr/bin/env bash
# Prepares a Debian 12 (bookworm) machine to build and test Tidewell.
# Run as root. Safe to run again: it skips what is already done.
#
#  1. installs the build, cross-build and test tools with apt (skipped when
#     every package is already installed);
#  2. builds libjpeg-turbo from Debian's source package for both MinGW-w64
#     targets, static only, into $TW_DEPS_DIR/<triplet>
#     (default /var/cache/tidewell-deps), once per target.
set -euo pipefail

REPO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DEPS_DIR="${TW_DEPS_DIR:-/var/cache/tidewell-deps}"
TRIPLETS=(x86_64-w64-mingw32 i686-w64-mingw32)
JOBS="${TW_JOBS:-2}"
export DEBIAN_FRONTEND=noninteractive

PACKAGES=(
    cmake ninja-build g++ make pkg-config python3
    mingw-w64 g++-mingw-w64-x86-64 g++-mingw-w64-i686 libz-mingw-w64-dev
    zlib1g-dev libjpeg-dev googletest libgtest-dev nlohmann-json3-dev libtomlplusplus-dev
    clang libclang-rt-14-dev nasm dpkg-dev
    wine wine64 fonts-wine xvfb xauth x11-utils imagemagick
    libxrender1 libxcursor1 libxrandr2 libxi6 libxinerama1 libxcomposite1
    fp-utils unzip
)

log() { printf 'bootstrap: %s\n' "$*" >&2; }

start=$(date +%s)

as_root() {
    if [ "$(id -u)" = 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        log "needs root for: $*"
        return 1
    fi
}

# ---- packages ---------------------------------------------------------------
missing_packages() {
    local p status
    for p in "${PACKAGES[@]}"; do
        status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)"
        [ "$status" = "install ok installed" ] || printf '%s\n' "$p"
    done
}

mapfile -t missing < <(missing_packages)
if [ "${#missing[@]}" -gt 0 ]; then
    log "installing: ${missing[*]}"
    as_root apt-get update
    as_root apt-get install -y --no-install-recommends "${PACKAGES[@]}"
else
    log "all packages present"
fi

# The MinGW compilers must use the win32 thread model (no libwinpthread DLL).
for t in "${TRIPLETS[@]}"; do
    if ! "$t-g++" -v 2>&1 | grep -q 'Thread model: win32'; then
        if [ -x "/usr/bin/$t-g++-win32" ]; then
            as_root update-alternatives --set "$t-g++" "/usr/bin/$t-g++-win32"
            as_root update-alternatives --set "$t-gcc" "/usr/bin/$t-gcc-win32"
        else
            log "warning: $t-g++ does not use the win32 thread model"
        fi
    fi
done

# ---- libjpeg-turbo for MinGW ------------------------------------------------
stamp_of() { printf '%s/%s/.libjpeg-turbo.stamp' "$DEPS_DIR" "$1"; }

need_jpeg=0
for t in "${TRIPLETS[@]}"; do
    if [ ! -f "$(stamp_of "$t")" ] || [ ! -f "$DEPS_DIR/$t/lib/libjpeg.a" ]; then
        need_jpeg=1
    fi
done

has_deb_src() {
    grep -rqsE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' \
        /etc/apt/sources.list /etc/apt/sources.list.d/ >/dev/null
}

add_deb_src() {
    # Take the archive address the machine already uses for binaries.
    local uri
    uri="$(grep -hsE '^[[:space:]]*URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null \
            | grep -v security | awk '{print $2}' | head -n1 || true)"
    if [ -z "$uri" ]; then
        uri="$(grep -hsE '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list 2>/dev/null \
                | grep -v security | awk '{for(i=2;i<=NF;i++) if ($i ~ /^[a-z]+:\/\//) {print $i; exit}}' \
                | head -n1 || true)"
    fi
    uri="${uri:-http://deb.debian.org/debian}"
    log "adding deb-src entry for $uri bookworm"
    as_root tee /etc/apt/sources.list.d/tidewell-src.sources >/dev/null <<EOF
Types: deb-src
URIs: $uri
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    as_root apt-get update
}

if [ "$need_jpeg" = 1 ]; then
    src_root="$DEPS_DIR/src"
    mkdir -p "$src_root"
    src_dir="$(find "$src_root" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | sort | tail -n1)"
    if [ -z "$src_dir" ] || [ ! -f "$src_dir/CMakeLists.txt" ]; then
        has_deb_src || add_deb_src
        log "fetching Debian's libjpeg-turbo source package"
        # Source packages need no sandbox user; apt warns about root otherwise.
        (cd "$src_root" && apt-get source -qq -o APT::Sandbox::User=root libjpeg-turbo) || {
            # An old package list may lack the Sources index.
            as_root apt-get update
            (cd "$src_root" && apt-get source -qq -o APT::Sandbox::User=root libjpeg-turbo)
        }
        src_dir="$(find "$src_root" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | sort | tail -n1)"
    fi
    [ -f "$src_dir/CMakeLists.txt" ] || { log "libjpeg-turbo source not found under $src_root"; exit 1; }

    for t in "${TRIPLETS[@]}"; do
        stamp="$(stamp_of "$t")"
        if [ -f "$stamp" ] && [ -f "$DEPS_DIR/$t/lib/libjpeg.a" ]; then
            log "libjpeg-turbo for $t already built"
            continue
        fi
        case "$t" in
            x86_64-*) tc="$REPO_ROOT/cmake/mingw-w64-x86_64.cmake" ;;
            i686-*)   tc="$REPO_ROOT/cmake/mingw-w64-i686.cmake" ;;
        esac
        bdir="$DEPS_DIR/build-$t"
        rm -rf "$bdir"
        log "building libjpeg-turbo for $t"
        cmake -S "$src_dir" -B "$bdir" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$tc" \
            -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_INSTALL_PREFIX="$DEPS_DIR/$t" \
            -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
            -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
            -DREQUIRE_SIMD=ON \
            -DCMAKE_ASM_NASM_COMPILER=nasm >"$bdir.log" 2>&1 \
            || { tail -n 40 "$bdir.log" >&2; exit 1; }
        cmake --build "$bdir" -j "$JOBS" --target jpeg-static >>"$bdir.log" 2>&1 \
            || { tail -n 40 "$bdir.log" >&2; exit 1; }
        # Install only the static library and its headers (the tools are not needed).
        mkdir -p "$DEPS_DIR/$t/lib" "$DEPS_DIR/$t/include"
        cp "$bdir/libjpeg.a" "$DEPS_DIR/$t/lib/libjpeg.a"
        cp "$src_dir/jpeglib.h" "$src_dir/jmorecfg.h" "$src_dir/jerror.h" \
           "$bdir/jconfig.h" "$DEPS_DIR/$t/include/"
        "$t-ranlib" "$DEPS_DIR/$t/lib/libjpeg.a"
        printf '%s\n' "$(basename "$src_dir")" >"$stamp"
        rm -rf "$bdir" "$bdir.log"
        log "libjpeg-turbo for $t installed in $DEPS_DIR/$t"
    done
else
    log "libjpeg-turbo for MinGW already built in $DEPS_DIR"
fi

log "done in $(( $(date +%s) - start )) s"
