#!/usr/bin/env bash
# Installs what is missing, builds, and then plays or tests.
#   ./build.sh play    build and start the game
#   ./build.sh test    build and run every test
#   ./build.sh package build the Debian package build-package/trakmor_<version>_amd64.deb
#   ./build.sh web [PORT]  build the browser version and serve it on http://127.0.0.1:PORT/ (8000)
#   ./build.sh windows build the Windows version: build-win/trakmor-<version>-win64.zip and -setup.exe
set -euo pipefail
cd "$(dirname "$0")"
# Let a second checkout (or CI's fresh clone) reuse the compiler cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

PACKAGES=(cmake make g++ pkg-config ccache libsdl2-dev libx11-dev libxcb-shm0-dev libsdl2-ttf-dev libsdl2-image-dev libgtest-dev
          fonts-comic-neue fonts-liberation2 xvfb xdotool imagemagick x11-utils python3 libjpeg-turbo-progs
          dpkg-dev file lintian desktop-file-utils appstream man-db openbox clang-14 libclang-rt-14-dev)

# The browser tests' own browser; the browser build's toolchain is installed by
# tools/web/build_deps.sh.
WEB_TEST_PACKAGES=(chromium nodejs)

# The Windows build's cross-compiler, Wine for its tests and NSIS for its installer.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 nsis zip)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() {  # build PRESET: configures (quick when nothing changed) and builds with every core
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$(nproc)"
}

build_game() {  # build/ as it was last configured (release the first time)
    # After a test run that is the release build with warnings as errors;
    # configuring it back would rebuild it all for nothing.
    [ -f build/CMakeCache.txt ] || cmake --preset release >/dev/null
    cmake --build build -j "$(nproc)"
}

# The browser build in build-web/: SDL and its libraries built once for the
# browser (cached outside this folder), the packing tool from build/.
build_web() {
    [ -f build/CMakeCache.txt ] || cmake --preset release >/dev/null
    cmake --build --preset release --target trakmor-make-form-data >/dev/null
    local prefix
    prefix=$(tools/web/build_deps.sh | tail -n 1)
    export NODE_PATH=/usr/share/nodejs
    [ -x /usr/bin/python3 ] && export EMSDK_PYTHON=/usr/bin/python3
    if ! grep -qx "TRAKMOR_WEB_PREFIX:PATH=$prefix" build-web/CMakeCache.txt 2>/dev/null; then
        TRAKMOR_WEB_PREFIX="$prefix" cmake --preset web >/dev/null
    fi
    cmake --build --preset web
}

# The Windows build in build-win/: SDL and its libraries built once for
# Windows (cached outside this folder), the packing tool from build/.
build_windows() {  # build_windows TARGET
    install_missing "${WINDOWS_PACKAGES[@]}"
    [ -f build/CMakeCache.txt ] || cmake --preset release >/dev/null
    cmake --build --preset release --target trakmor-make-form-data >/dev/null
    local prefix
    prefix=$(tools/windows/build_deps.sh | tail -n 1)
    if ! grep -qx "TRAKMOR_WIN_PREFIX:PATH=$prefix" build-win/CMakeCache.txt 2>/dev/null; then
        TRAKMOR_WIN_PREFIX="$prefix" cmake --preset windows >/dev/null
    fi
    cmake --build --preset windows -j "$(nproc)" --target "$1"
}

case "${1:-}" in
play)
    install_missing
    build_game
    exec ./build/trakmor
    ;;
test)
    install_missing
    # The release build, with warnings as errors.
    build ci
    ctest --preset ci --timeout 600 -LE long
    # The unit tests and the replays again under AddressSanitizer and UBSan,
    # and the game itself in the resize storms.
    build asan
    ASAN_OPTIONS=detect_leaks=1 ctest --preset asan --timeout 600 -LE 'e2e|assets'
    ASAN_OPTIONS=detect_leaks=1 ctest --preset asan --timeout 600 -L storm
    # The game's threads under ThreadSanitizer: the storms and a ten-minute ride.
    build tsan
    # Its instrumented frame takes longer than the fastest frames last, and a
    # frame with no room to wait in handles no event: they ride at speed 100.
    TSAN_OPTIONS=halt_on_error=0 STORM_SETTING=401 RIDE_SETTING=401 ctest --preset tsan --timeout 900 -L "storm|long"
    # The settings reader, the saved records' readers and the driver's command
    # language under libFuzzer, 45 s each from the committed seeds.
    tests/fuzz/run.sh
    # The browser build: the replays in node, the page in chromium.
    install_missing "${WEB_TEST_PACKAGES[@]}"
    build_web
    npm ci --prefix tests/web --no-audit --no-fund --loglevel=error >/dev/null
    ctest --preset web --timeout 600
    # The Windows build: the unit tests and the replays as .exe files under
    # Wine, the game and its installer end to end.
    build_windows all
    tools/windows/test.sh -j "$(nproc)"
    ;;
package)
    install_missing
    # Only what the package holds: neither tests nor the developers' tools.
    build package
    cpack -G DEB --config build-package/CPackConfig.cmake -B build-package
    ;;
web)
    port=${2:-8000}
    [[ "$port" =~ ^[0-9]+$ ]] && [ "$port" -le 65535 ] || { echo "usage: $0 web [PORT]" >&2; exit 2; }
    install_missing
    build_web
    # The deploy folder: the page's files and their gzip copies, nothing else.
    exec python3 tools/web/serve.py build-web/site --port "$port"
    ;;
windows)
    build_windows trakmor_dist
    ls -l build-win/trakmor-*-win64.zip build-win/trakmor-*-setup.exe
    ;;
*)
    echo "usage: $0 play|test|package|web [PORT]|windows" >&2
    exit 2
    ;;
esac
