#!/usr/bin/env bash
# Builds SDL2, SDL2_image, SDL2_ttf, FreeType and HarfBuzz for 64-bit Windows with
# MinGW-w64 from Debian's source packages, static, into a private prefix kept
# between builds:
#   ${XDG_CACHE_HOME:-$HOME/.cache}/trakmor-win/<key>/prefix
# The key hashes this script, the toolchain file, the source versions and the
# compiler, so a machine that has built them once reuses them and a change to
# any of them rebuilds.
# Prints the prefix on its last line of standard output; progress goes to stderr.
set -euo pipefail

SOURCES=(libsdl2 libsdl2-image libsdl2-ttf freetype harfbuzz)
PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev cmake make)
here=$(cd "$(dirname "$0")" && pwd)
toolchain="$here/../../cmake/mingw-w64.cmake"

say() { echo "build_deps: $*" >&2; }
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "installing ${missing[*]}"
    as_root apt-get update -qq
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

# A deb-src entry for bookworm main, from the same host and keyring as the deb entry.
ensure_deb_src() {
    if grep -rqs -e '^Types:.*deb-src' -e '^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        apt-cache showsrc "${SOURCES[0]}" 2>/dev/null | grep -q '^Version:' && return 0
    else
        local src=/etc/apt/sources.list.d/debian.sources
        local uri keyring
        uri=$(awk '/^URIs:/ {print $2; exit}' "$src")
        keyring=$(awk '/^Signed-By:/ {print $2; exit}' "$src")
        [ -n "$uri" ] || { say "no deb entry found in $src"; exit 1; }
        say "adding a deb-src entry for bookworm main ($uri)"
        printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: %s\n' "$uri" "$keyring" |
            as_root tee /etc/apt/sources.list.d/trakmor-deb-src.sources >/dev/null
    fi
    as_root apt-get update -qq
}

source_version() { apt-cache showsrc "$1" | awk '/^Version:/ {print $2}' | sort -V | tail -1; }

install_missing
ensure_deb_src

versions=""
for s in "${SOURCES[@]}"; do versions+="$s=$(source_version "$s") "; done
key=$( { cat "$0" "$toolchain"; echo "$versions"; x86_64-w64-mingw32-g++-posix --version | sed -n 1p; } |
       sha256sum | cut -c1-16)
root="${XDG_CACHE_HOME:-$HOME/.cache}/trakmor-win/$key"
prefix="$root/prefix"
if [ -f "$root/done" ]; then
    echo "$prefix"
    exit 0
fi

say "building $versions into $prefix"
rm -rf "$root"
mkdir -p "$root/src" "$prefix"
cd "$root/src"
for s in "${SOURCES[@]}"; do
    apt-get source -qq --download-only "$s=$(source_version "$s")" >&2
done
for dsc in *.dsc; do dpkg-source --no-check -x "$dsc" >&2; done

jobs=${TRAKMOR_JOBS:-2}
build() {  # build NAME SOURCE_DIR CMAKE_ARGS...
    local name=$1 dir=$2
    shift 2
    say "building $name"
    cmake -S "$dir" -B "$root/build/$name" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DTRAKMOR_WIN_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
        -DBUILD_SHARED_LIBS=OFF "$@" >&2
    cmake --build "$root/build/$name" -j"$jobs" >&2
    cmake --install "$root/build/$name" >&2
}

dir_of() { find "$root/src" -maxdepth 1 -type d -name "$1-[0-9]*" | head -1; }

build sdl2 "$(dir_of libsdl2)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
build freetype "$(dir_of freetype)" -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
sdl_dirs=(-DSDL2_DIR="$prefix/lib/cmake/SDL2" -Dfreetype_DIR="$prefix/lib/cmake/freetype"
          -DFREETYPE_INCLUDE_DIRS="$prefix/include/freetype2" -DFREETYPE_LIBRARY="$prefix/lib/libfreetype.a")
# Debian's SDL2_ttf lays text out with HarfBuzz (its kerning and advances come
# from the fonts' OpenType tables); without it the same strings come out with
# other spacing, so the Windows build shapes the same way as the Linux one.
build harfbuzz "$(dir_of harfbuzz)" "${sdl_dirs[@]}" -DHB_HAVE_FREETYPE=ON -DHB_HAVE_GLIB=OFF -DHB_HAVE_ICU=OFF \
    -DHB_HAVE_GOBJECT=OFF -DHB_HAVE_GRAPHITE2=OFF -DHB_BUILD_SUBSET=OFF -DHB_BUILD_UTILS=OFF -DHB_BUILD_TESTS=OFF
# The game's pictures are JPEG, GIF and ICO; stb decodes the JPEG, SDL_image
# itself the GIF and ICO. PNG stays on for the test screenshots' reader.
build sdl2_image "$(dir_of libsdl2-image)" "${sdl_dirs[@]}" -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_VENDORED=OFF \
    -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_TIF=OFF \
    -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF
build sdl2_ttf "$(dir_of libsdl2-ttf)" "${sdl_dirs[@]}" -DSDL2TTF_HARFBUZZ=ON -DSDL2TTF_VENDORED=OFF \
    -DSDL2TTF_SAMPLES=OFF

rm -rf "$root/build" "$root/src"
touch "$root/done"
say "done"
echo "$prefix"
