#!/usr/bin/env bash
# The game menu in the real window: change the speed, Save, Quit; the saved
# speed comes back at the next start; quitting and SIGTERM end with status 0.
BIN=$1 OUT=$2
mkdir -p "$OUT"
source "$(dirname "$0")/lib.sh"
cd "$OUT"
rm -f Trakmor_B.spd ./*.png
crop_sp() { convert "$OUT/$1.png" -crop 41x17+272+280 +repage "$OUT/$2.png"; }

wait_exit() {  # wait_exit: the game's exit status, or 124 after 10 s
    for _ in $(seq 1 100); do
        kill -0 "$GAME_PID" 2>/dev/null || { wait "$GAME_PID"; return $?; }
        sleep 0.1
    done
    return 124
}

start_xvfb 640x480x24
start_game "$BIN"
click_at 472 420          # Start
sleep 0.3
key Escape
sleep 0.3
shot menu_default
expect_pixel menu_default 166 142 "#FFC0C0"   # the menu panel
crop_sp menu_default sp_default
for _ in 1 2 3; do click_at 320 284; sleep 0.1; done   # the speed's up arrow, three times
sleep 0.3
shot menu_changed
crop_sp menu_changed sp_changed
[ "$(compare -metric AE "$OUT/sp_default.png" "$OUT/sp_changed.png" null: 2>&1 | cut -d' ' -f1)" != "0" ] ||
    fail "the speed number did not change"
click_at 356 288          # Save
sleep 0.3
[ -f Trakmor_B.spd ] || fail "Save wrote no file"
[ "$(od -An -tx1 Trakmor_B.spd | tr -d ' \n')" = "3339380d0a" ] || fail "file bytes: $(od -An -tx1 Trakmor_B.spd)"
click_at 312 236          # Quit to Windows
rc=0; wait_exit || rc=$?
[ "$rc" = "0" ] || fail "quit ended with status $rc"
GAME_PID=

start_game "$BIN"
click_at 472 420
sleep 0.3
key Escape
sleep 0.3
shot menu_again
crop_sp menu_again sp_again
[ "$(compare -metric AE "$OUT/sp_changed.png" "$OUT/sp_again.png" null: 2>&1 | cut -d' ' -f1)" = "0" ] ||
    fail "the saved speed did not come back"
[ "$(od -An -tx1 Trakmor_B.spd | tr -d ' \n')" = "3339380d0a" ] || fail "starting changed the file"
kill -TERM "$GAME_PID"
rc=0; wait_exit || rc=$?
[ "$rc" = "0" ] || fail "SIGTERM ended with status $rc"
GAME_PID=
exit $FAILED
