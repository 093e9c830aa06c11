# What the library builds for the browser and for Windows share, sourced by
# tools/web/build_deps.sh and tools/windows/build_deps.sh: the packages and
# Debian's source packages fetched, a private prefix kept between builds,
#   ${XDG_CACHE_HOME:-$HOME/.cache}/<cache>/<key>/prefix
# and each library configured, built and installed into it. The caller sets
# SOURCES (source packages) and PACKAGES (what building needs).

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

# open_prefix CACHE COMPILER_LINE FILE...: sets root and prefix. The key hashes
# the calling script, this file, the FILEs, the source versions and the
# compiler, so a machine that has built them once reuses them and a change to
# any of them rebuilds. A prefix already built is printed and the script ends;
# otherwise the sources are fetched and unpacked for build.
open_prefix() {
    local cache=$1 compiler=$2
    shift 2
    local versions="" s key
    for s in "${SOURCES[@]}"; do versions+="$s=$(source_version "$s") "; done
    key=$( { cat "$0" "${BASH_SOURCE[0]}" "$@"; echo "$versions"; echo "$compiler"; } | sha256sum | cut -c1-16)
    root="${XDG_CACHE_HOME:-$HOME/.cache}/$cache/$key"
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
    local dsc
    for dsc in *.dsc; do dpkg-source --no-check -x "$dsc" >&2; done
}

dir_of() { find "$root/src" -maxdepth 1 -type d -name "$1-[0-9]*" | head -1; }

# build NAME SOURCE_PACKAGE CMAKE_ARGS...: configured with CONFIGURE (the
# command and the arguments every library of the target gets), static.
build() {
    local name=$1 dir
    dir=$(dir_of "$2")
    shift 2
    say "building $name"
    "${CONFIGURE[@]}" -S "$dir" -B "$root/build/$name" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >&2
    cmake --build "$root/build/$name" -j"${TRAKMOR_JOBS:-2}" >&2
    cmake --install "$root/build/$name" >&2
}

# SDL2 and FreeType, which SDL2_image and SDL2_ttf are built against: sets sdl_dirs.
build_sdl_and_freetype() {
    build sdl2 libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
    build freetype freetype -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
        -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
    sdl_dirs=(-DSDL2_DIR="$prefix/lib/cmake/SDL2" -Dfreetype_DIR="$prefix/lib/cmake/freetype"
              -DFREETYPE_INCLUDE_DIRS="$prefix/include/freetype2" -DFREETYPE_LIBRARY="$prefix/lib/libfreetype.a")
}

# build_image_and_ttf PNG HARFBUZZ: the game's pictures are JPEG, GIF and ICO;
# stb decodes the JPEG, SDL_image itself the GIF and ICO.
build_image_and_ttf() {
    build sdl2_image libsdl2-image "${sdl_dirs[@]}" -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_VENDORED=OFF \
        -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_PNG="$1" -DSDL2IMAGE_TIF=OFF \
        -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF
    build sdl2_ttf libsdl2-ttf "${sdl_dirs[@]}" -DSDL2TTF_HARFBUZZ="$2" -DSDL2TTF_VENDORED=OFF -DSDL2TTF_SAMPLES=OFF
}

# The build's leftovers go, the prefix is marked whole and printed.
close_prefix() {
    rm -rf "$root/build" "$root/src"
    touch "$root/done"
    say "done"
    echo "$prefix"
}
