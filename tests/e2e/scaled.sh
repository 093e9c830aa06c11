#!/usr/bin/env bash
# On a screen bigger than the game, a resized window shows the picture at the
# largest whole-number scale, centred on black, and clicks land where they should.
BIN=$1 OUT=$2
mkdir -p "$OUT"
source "$(dirname "$0")/lib.sh"
cd "$OUT"
rm -f Trakmor_B.spd
start_xvfb 1600x1200x24
start_game "$BIN"
xdotool windowmove --sync "$WINDOW" 0 0
xdotool windowsize --sync "$WINDOW" 1400 1000
sleep 0.8
shot scaled
# Scale 2: a 1280x960 picture at (60, 20) inside the 1400x1000 window.
expect_pixel scaled 10 10 "#000000"
expect_pixel scaled 1390 990 "#000000"
expect_pixel scaled $((60 + 2 * 20)) $((20 + 2 * 200)) "#80FFFF"
# Whole pixels: a 2x2 block of the picture has one colour.
[ "$(pixel scaled 1000 500)" = "$(pixel scaled 1001 501)" ] || fail "scaling is not crisp"
click_at $((60 + 2 * 472)) $((20 + 2 * 420))   # Start, scaled
sleep 0.5
shot started
expect_pixel started $((60 + 2 * 12)) $((20 + 2 * 28)) "#C0FFFF"   # the status line of the ride
exit $FAILED
