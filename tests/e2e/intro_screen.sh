#!/usr/bin/env bash
# The real game under Xvfb opens on its intro screen.
BIN=$1 OUT=$2
mkdir -p "$OUT"
source "$(dirname "$0")/lib.sh"
cd "$OUT"
rm -f Trakmor_B.spd
start_xvfb 640x480x24
start_game "$BIN"
shot intro
# The intro panel's ground, clear of its texts and buttons.
expect_pixel intro 20 200 "#80FFFF"
expect_pixel intro 620 470 "#80FFFF"
# The Start and Quit buttons' faces near their edges.
expect_pixel intro 412 428 "#FFC080"
expect_pixel intro 372 85 "#C0FFC0"
# The skill box is white with a dark selection text somewhere in it.
expect_pixel intro 292 412 "#FFFFFF"
# The title picture is drawn (not the panel colour) at its place.
got=$(pixel intro 100 60)
[ "$got" != "#80FFFF" ] || { echo "FAIL: no title picture" >&2; FAILED=1; }
kill -0 "$GAME_PID" || { echo "FAIL: the game ended" >&2; FAILED=1; }
exit $FAILED
