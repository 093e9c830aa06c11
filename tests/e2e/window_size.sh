#!/usr/bin/env bash
# On a 1920x1080 desktop the window opens at twice the picture's size, centred,
# and it stays resizable.
BIN=$1 OUT=$2
mkdir -p "$OUT"
source "$(dirname "$0")/lib.sh"
cd "$OUT"
rm -f Trakmor_B.spd
start_xvfb 1920x1080x24
start_wm
start_game "$BIN"
read -r X Y W H <<<"$(geometry)"
[ "$W" = 1280 ] && [ "$H" = 960 ] || fail "the window is ${W}x${H}, not 1280x960"
# Centred: the client area's middle within the frame's allowance of the screen's.
[ $(( (X + W / 2 - 960) )) -ge -16 ] && [ $(( X + W / 2 - 960 )) -le 16 ] || fail "not centred across: x $X"
[ $(( Y + H / 2 - 540 )) -ge -48 ] && [ $(( Y + H / 2 - 540 )) -le 48 ] || fail "not centred down: y $Y"
shot opened
# Scale 2, no black border: the intro panel's colour at both corners of the client area.
expect_pixel opened $((X + 2)) $((Y + 2)) "#80FFFF"
expect_pixel opened $((X + W - 3)) $((Y + H - 3)) "#80FFFF"
# The Start button, at twice its place.
expect_pixel opened $((X + 2 * 470)) $((Y + 2 * 412)) "#FFC080"
[ "$(pixel opened $((X + 2 * 100)) $((Y + 2 * 300)))" = "$(pixel opened $((X + 2 * 100 + 1)) $((Y + 2 * 300 + 1)))" ] ||
    fail "scaling is not crisp"
xdotool windowsize --sync "$WINDOW" 700 520
sleep 0.5
read -r X Y W H <<<"$(geometry)"
[ "$W" = 700 ] && [ "$H" = 520 ] || fail "the window did not take the size 700x520 (${W}x${H})"
shot resized
expect_pixel resized $((X + 30 + 100)) $((Y + 20 + 300)) "#80FFFF"
expect_pixel resized $((X + 5)) $((Y + 5)) "#000000"
kill -0 "$GAME_PID" || fail "the game ended"
exit $FAILED
