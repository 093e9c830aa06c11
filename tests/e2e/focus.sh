#!/usr/bin/env bash
# Another window taking the focus during a ride opens the game menu and the car
# stands; losing the focus again with the menu open leaves it open.
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
menu_at() { expect_pixel "$1" $((X + 2 * 170)) $((Y + 2 * 140)) "$2"; }  # inside the menu panel

# Focus lost before a ride changes nothing.
xmessage -geometry +0+0 -name other "another program" &
OTHER_PID=$!
OTHER=$(timeout 10 xdotool search --sync --name '^other$' | head -n 1)
xdotool windowactivate --sync "$OTHER"
sleep 0.3
[ "$(hook 'get gameRunning')" = "ok 0" ] || fail "the intro panel moved on"
xdotool windowactivate --sync "$WINDOW"
sleep 0.3
click_at $((2 * 472)) $((2 * 420))   # Start
sleep 0.3
key q
sleep 0.5
[ "$(hook 'get speed')" != "ok 1" ] || fail "the car does not move"
shot riding
[ "$(pixel riding $((X + 2 * 170)) $((Y + 2 * 140)))" != "#FFC0C0" ] || fail "the menu is open already"

xdotool windowactivate --sync "$OTHER"
sleep 0.5
shot away
menu_at away "#FFC0C0"
[ "$(hook 'get speed' 'get gameRunning' | tr '\n' ' ')" = "ok 1 ok -1 " ] || fail "the car did not stop, or the ride ended"
xdotool windowactivate --sync "$WINDOW"
sleep 0.3
xdotool windowactivate --sync "$OTHER"
sleep 0.3
xdotool windowactivate --sync "$WINDOW"
sleep 0.5
shot back
menu_at back "#FFC0C0"
# Escape closes the menu as ever.
key Escape
sleep 0.3
shot closed
[ "$(pixel closed $((X + 2 * 170)) $((Y + 2 * 140)))" != "#FFC0C0" ] || fail "Escape did not close the menu"
kill -0 "$GAME_PID" || fail "the game ended"
exit $FAILED
