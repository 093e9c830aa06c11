#!/usr/bin/env bash
# A ride in the real window: Start, gear up, steer; the road scrolls and the car moves.
BIN=$1 OUT=$2
mkdir -p "$OUT"
source "$(dirname "$0")/lib.sh"
cd "$OUT"
rm -f Trakmor_B.spd
start_xvfb 640x480x24
start_game "$BIN"
click_at 472 420          # Start
sleep 0.5
shot standing
expect_pixel standing 12 28 "#C0FFFF"       # the status line box
car_at standing 288 || fail "the car is not at its start"
sleep 0.5
shot standing2
[ "$(differing standing standing2)" = "0" ] || fail "the road moved while the car stood"
key q                     # gear 2
sleep 0.6
shot moving1
sleep 0.4
shot moving2
[ "$(differing moving1 moving2)" != "0" ] || fail "the road does not scroll"
car_at moving2 288 || fail "the car left its column"
key l                     # one step right: the car glides to the next column
sleep 1.35
shot right
car_at right 320 || fail "the car did not move right"
key k
sleep 1.2
shot left
car_at left 288 || fail "the car did not move back left"
kill -0 "$GAME_PID" || fail "the game ended"
exit $FAILED
