#!/usr/bin/env bash
# A ride in the real window: Start, gear up, steer; the road scrolls and the car moves.
BIN=$1 OUT=$2
mkdir -p "$OUT"
source "$(dirname "$0")/lib.sh"
cd "$OUT"
rm -f Trakmor_B.spd
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }
start_xvfb 640x480x24
start_game "$BIN"
click_at 472 420          # Start
sleep 0.5
shot standing
expect_pixel standing 12 28 "#C0FFFF"       # the status line box
[ "$(red_left standing)" -ge 288 ] && [ "$(red_left standing)" -le 300 ] || fail "car not at its start ($(red_left standing))"
sleep 0.5
shot standing2
[ "$(differing standing standing2)" = "0" ] || fail "the road moved while the car stood"
key q                     # gear 2
sleep 0.6
shot moving1
sleep 0.4
shot moving2
[ "$(differing moving1 moving2)" != "0" ] || fail "the road does not scroll"
x0=$(red_left moving2)
key l                     # one step right: the car glides to the next column
sleep 0.15
shot turning
sleep 1.2
shot right
x1=$(red_left right)
[ "$x1" -ge $((x0 + 28)) ] || fail "the car did not move right ($x0 -> $x1)"
key k
sleep 1.2
shot left
x2=$(red_left left)
[ "$x2" -le $((x1 - 28)) ] || fail "the car did not move left ($x1 -> $x2)"
kill -0 "$GAME_PID" || fail "the game ended"
exit $FAILED
