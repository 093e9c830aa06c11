#!/usr/bin/env bash
# Runs the Windows build's tests (ctest --preset windows) under Wine, in a
# Wine prefix kept in the build folder: the unit tests and replays as .exe
# files, and the product end to end. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/../.."
export WINEPREFIX="$PWD/build-win/wine" WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d SDL_AUDIODRIVER=dummy
# The first Wine process starts services that hold ctest's output open until
# the server ends: a server kept for 60 s of quiet, and one trivial program
# first, keep them out of the tests' way.
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
wineserver -p60
wine cmd /c exit >/dev/null 2>&1 || true
trap 'WINEPREFIX="$PWD/build-win/wine" wineserver -k 2>/dev/null || true' EXIT
ctest --preset windows --timeout 600 "$@"
