#!/usr/bin/env bash
# Builds SDL2, SDL2_image, SDL2_ttf and FreeType for the browser from Debian's
# source packages, static, into a private prefix kept between builds
# (tools/debian_sources.sh). Prints the prefix on its last line of standard
# output; progress goes to stderr.
set -euo pipefail

SOURCES=(libsdl2 libsdl2-image libsdl2-ttf freetype)
PACKAGES=(emscripten dpkg-dev cmake make)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../debian_sources.sh"

install_missing
ensure_deb_src
# emcc finds Debian's acorn only through NODE_PATH, and starts faster on
# Debian's own python than through a version manager's shim.
export NODE_PATH=/usr/share/nodejs
[ -x /usr/bin/python3 ] && export EMSDK_PYTHON=/usr/bin/python3

open_prefix trakmor-web "$(emcc --version | sed -n 1p)"
CONFIGURE=(emcmake cmake -DCMAKE_FIND_ROOT_PATH="$prefix")
build_sdl_and_freetype
build_image_and_ttf OFF OFF
close_prefix
