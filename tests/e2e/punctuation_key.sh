#!/usr/bin/env bash
# Every key with a code runs the game's key handler: with the car just off the
# road and moving, a full stop costs the "left the road" damage and stops it; a
# key without a code (the keypad's "=") does nothing. The state is read and set
# through the test hook; the frames are made so long that the game loop's own
# steering step does not run in between.
BIN=$1 OUT=$2
mkdir -p "$OUT"
source "$(dirname "$0")/lib.sh"
cd "$OUT"
rm -f Trakmor_B.spd
export TRAKMOR_TEST_HOOK="$OUT"
start_xvfb 1920x1080x24
start_wm
start_game "$BIN"
read -r X Y W H <<<"$(geometry)"
click_at $((2 * 472)) $((2 * 420))   # Start
sleep 0.5
hook "set speedFactor 0.0001" >/dev/null
row=$(hook "get carGridRow" | cut -d' ' -f2)
column=$(hook "get roadColumn($row)" | cut -d' ' -f2)
left=$(( (column - 2) * 32 ))
hook "set carX $left" "set speed 4" >/dev/null
shot before
key KP_Equal
sleep 0.3
[ "$(hook 'get damage' 'get speed' | tr '\n' ' ')" = "ok 0 ok 4 " ] || fail "a key without a code reached the game"
key period
got=$(wait_hook 'get damage' "ok 6 ")
[ "$got" = "ok 6 " ] || fail "the full stop did not cost the road's damage on Normal: $got"
[ "$(hook 'get speed')" = "ok 1" ] || fail "the full stop did not stop the car"
shot after
# The status line shows it, and nothing else of the ride changed.
[ "$(differing before after)" != "0" ] || fail "the status line did not change"
for k in semicolon bracketleft apostrophe grave slash; do key "$k"; done
sleep 0.3
[ "$(hook 'get damage' | tr '\n' ' ')" = "ok 6 " ] || fail "a standing car took damage again"
kill -0 "$GAME_PID" || fail "the game ended"
exit $FAILED
