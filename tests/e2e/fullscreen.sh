#!/usr/bin/env bash
# F11 and Alt+Enter switch between the window and the whole screen, the picture
# at the largest whole-number scale centred on black, on the intro panel and
# during a ride; the game sees neither key.
BIN=$1 OUT=$2
mkdir -p "$OUT"
source "$(dirname "$0")/lib.sh"
cd "$OUT"
rm -f Trakmor_B.spd
export TRAKMOR_TEST_HOOK="$OUT"
start_xvfb 1920x1080x24
[ "${FULLSCREEN_WM:-1}" = 1 ] && start_wm
start_game "$BIN"
read -r X0 Y0 W0 H0 <<<"$(geometry)"

check_fullscreen() {  # check_fullscreen NAME
    local x y w h
    read -r x y w h <<<"$(geometry)"
    [ "$x $y $w $h" = "0 0 1920 1080" ] || fail "$1: the window is $w x $h at $x,$y, not the screen"
    shot "$1"
    # Scale 2: a 1280x960 picture at 320,60, black round it.
    expect_pixel "$1" 319 540 "#000000"
    expect_pixel "$1" 1600 540 "#000000"
    expect_pixel "$1" 960 59 "#000000"
    expect_pixel "$1" 960 1020 "#000000"
}
check_window() {  # check_window NAME
    local x y w h
    read -r x y w h <<<"$(geometry)"
    [ "$x $y $w $h" = "$X0 $Y0 $W0 $H0" ] || fail "$1: the window came back as $w x $h at $x,$y"
    shot "$1"
}

# Tab puts the focus on a button of the intro panel: an Enter that reached the
# game would press it, and start the ride or quit.
key Tab
sleep 0.2
key F11
sleep 0.8
check_fullscreen f11
expect_pixel f11 320 60 "#80FFFF"
expect_pixel f11 1599 1019 "#80FFFF"
key F11
sleep 0.8
check_window f11_back
key alt+Return
sleep 0.8
check_fullscreen alt_enter
expect_pixel alt_enter 1599 1019 "#80FFFF"
key alt+KP_Enter
sleep 0.8
check_window alt_enter_back
kill -0 "$GAME_PID" || { fail "the game ended: Enter reached it"; exit 1; }
[ "$(hook 'get gameRunning')" = "ok 0" ] || fail "Enter started a ride"

# During a ride.
click_at $((2 * 472)) $((2 * 420))
sleep 0.5
[ "$(hook 'get gameRunning')" = "ok -1" ] || fail "no ride"
key F11
sleep 0.8
check_fullscreen ride_f11
expect_pixel ride_f11 $((320 + 2 * 12)) $((60 + 2 * 28)) "#C0FFFF"   # the status line box
key F11
sleep 0.8
check_window ride_back
expect_pixel ride_back $((X0 + 2 * 12)) $((Y0 + 2 * 28)) "#C0FFFF"
[ "$(hook 'get gameRunning')" = "ok -1" ] || fail "the ride ended"
kill -0 "$GAME_PID" || fail "the game ended"
exit $FAILED
