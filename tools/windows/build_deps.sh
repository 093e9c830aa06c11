#!/usr/bin/env bash
# Builds SDL2, SDL2_image, SDL2_ttf, FreeType and HarfBuzz for 64-bit Windows with
# MinGW-w64 from Debian's source packages, static, into a private prefix kept
# between builds (tools/debian_sources.sh; the key also hashes the toolchain
# file). Prints the prefix on its last line of standard output; progress goes
# to stderr.
set -euo pipefail

SOURCES=(libsdl2 libsdl2-image libsdl2-ttf freetype harfbuzz)
PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev cmake make)
here=$(cd "$(dirname "$0")" && pwd)
toolchain="$here/../../cmake/mingw-w64.cmake"
. "$here/../debian_sources.sh"

install_missing
ensure_deb_src

open_prefix trakmor-win "$(x86_64-w64-mingw32-g++-posix --version | sed -n 1p)" "$toolchain"
CONFIGURE=(cmake -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTRAKMOR_WIN_PREFIX="$prefix")
build_sdl_and_freetype
# Debian's SDL2_ttf lays text out with HarfBuzz (its kerning and advances come
# from the fonts' OpenType tables); without it the same strings come out with
# other spacing, so the Windows build shapes the same way as the Linux one.
build harfbuzz harfbuzz "${sdl_dirs[@]}" -DHB_HAVE_FREETYPE=ON -DHB_HAVE_GLIB=OFF -DHB_HAVE_ICU=OFF \
    -DHB_HAVE_GOBJECT=OFF -DHB_HAVE_GRAPHITE2=OFF -DHB_BUILD_SUBSET=OFF -DHB_BUILD_UTILS=OFF -DHB_BUILD_TESTS=OFF
# PNG stays on for the test screenshots' reader.
build_image_and_ttf ON ON
close_prefix
