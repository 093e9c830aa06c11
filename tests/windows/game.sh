#!/usr/bin/env bash
# trakmor.exe under Wine: the intro, Start and Q change the picture, Escape
# opens the menu, Save writes the settings file into the working folder with
# its exact bytes, and Quit ends the game with status 0; started again, the
# game shows the saved speed, and closing its window ends it with status 0.
EXE=$1 OUT=$2
mkdir -p "$OUT"
source "$(dirname "$0")/wine_lib.sh"
cd "$OUT"
rm -f Trakmor_B.spd ./*.png
start_xvfb 1024x768x24
start_wm
start_wine_game "$EXE"

wshot intro
# As on Linux (tests/e2e/intro_screen.sh): the panel's ground, the Start and
# Quit buttons' faces, the skill box and the title picture.
expect_pixel intro 20 200 "#80FFFF"
expect_pixel intro 620 470 "#80FFFF"
expect_pixel intro 412 428 "#FFC080"
expect_pixel intro 372 85 "#C0FFC0"
expect_pixel intro 292 412 "#FFFFFF"
[ "$(pixel intro 100 60)" != "#80FFFF" ] || fail "no title picture"

wclick 472 420          # Start
sleep 0.5
wshot started
[ "$(wdiffering intro started)" -gt 10000 ] || fail "Start did not change the picture"
wkey q                  # first gear: the road moves
sleep 1
wshot riding1
sleep 0.5
wshot riding2
[ "$(wdiffering riding1 riding2)" -gt 100 ] || fail "the road stood after Q"

wkey Escape
sleep 0.5
wshot menu
expect_pixel menu 166 142 "#FFC0C0"   # the menu panel
for _ in 1 2 3; do wclick 320 284; sleep 0.15; done   # the speed's up arrow
sleep 0.3
wshot menu_changed
wclick 356 288          # Save
sleep 0.5
[ -f Trakmor_B.spd ] || fail "Save wrote no file in the working folder"
[ "$(od -An -tx1 Trakmor_B.spd | tr -d ' \n')" = "3339380d0a" ] || fail "file bytes: $(od -An -tx1 Trakmor_B.spd)"
ls Trakmor_B.spd.new* 2>/dev/null && fail "a new file was left beside the settings file"
wclick 312 236          # Quit to Windows
rc=0; wait_wine_exit || rc=$?
[ "$rc" = "0" ] || fail "Quit ended with status $rc"
GAME_PID=

crop_speed() { convert "$OUT/$1.png" -crop 41x17+272+280 +repage "$OUT/$2.png"; }
start_wine_game "$EXE"
wclick 472 420
sleep 0.5
wkey Escape
sleep 0.5
wshot menu_again
crop_speed menu_changed speed_saved
crop_speed menu_again speed_again
[ "$(compare -metric AE "$OUT/speed_saved.png" "$OUT/speed_again.png" null: 2>&1 | cut -d' ' -f1)" = "0" ] ||
    fail "the saved speed did not come back"
[ "$(od -An -tx1 Trakmor_B.spd | tr -d ' \n')" = "3339380d0a" ] || fail "starting changed the file"
wkey alt+F4             # the window manager closes the window
rc=0; wait_wine_exit || rc=$?
[ "$rc" = "0" ] || fail "closing the window ended the game with status $rc"
GAME_PID=
exit $FAILED
