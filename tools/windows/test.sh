#!/usr/bin/env bash
# Runs the Windows build's tests (ctest --preset windows) under Wine, in a
# Wine prefix kept in the build folder: the unit tests and replays as .exe
# files, and the product end to end. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/../.."
export WINEPREFIX="$PWD/build-win/wine" WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d SDL_AUDIODRIVER=dummy
# Wine starts its services with the first program, and the desktop's own
# process with the first that opens a window (SDL's video); they go when the
# last program ends, and come again with the next. Each inherits the output
# of the program that started it and holds ctest's pipe open for as long as it
# lives. So one program is kept running for the whole run, and an SDL window
# opened first, both with their output going nowhere; the server outlives a
# quiet minute.
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
wineserver -p60 2>/dev/null || true  # or it runs already
wine cmd /c "ping -n 3600 127.0.0.1 >NUL" </dev/null >/dev/null 2>&1 &
keeper=$!
trap 'wineserver -k 2>/dev/null || true; wait "$keeper" 2>/dev/null || true' EXIT
if [ -f build-win/tests/trakmor_tests.exe ]; then
    wine build-win/tests/trakmor_tests.exe --gtest_filter='SdlHostSpinTest.*' </dev/null >/dev/null 2>&1 || true
fi
ctest --preset windows --timeout 600 "$@"
