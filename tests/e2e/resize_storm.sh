#!/usr/bin/env bash
# A window dragged about during a ride: at the fastest speed, the window is
# resized to random sizes 100 times a second for STORM_SECONDS (60), then
# flooded with resizes as fast as the X server takes them. The game must stay
# alive, answer Escape within a second even in the flood, show the picture at
# the window's last size at once, and end with status 0 on Quit, with no
# sanitizer report (run it with an ASan or TSan build to look for those).
# Without a window manager; resize_storm_wm.sh runs it under openbox.
BIN=$(readlink -f "$1") OUT=$2
HERE=$(cd "$(dirname "$0")" && pwd)
export LSAN_OPTIONS="suppressions=$HERE/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
mkdir -p "$OUT"
source "$HERE/lib.sh"
cd "$OUT"
RESIZE=$(dirname "$BIN")/tests/trakmor-resize
STORM=${STORM_SECONDS:-60}
rm -f Trakmor_B.spd reply request
# The spinner at 1, speed setting 500, unless told: a sanitizer's build may need
# longer frames to have room to wait in, and a frame with none handles no event.
printf '%s\r\n' "${STORM_SETTING:-1}" >Trakmor_B.spd
export TRAKMOR_TEST_HOOK="$OUT"
start_xvfb 1920x1440x24
[ "${STORM_WM:-0}" = 1 ] && start_wm
start_game "$BIN"

place() {  # place: "SCALE X0 Y0" of the picture in the window now
    local _x _y w h s
    read -r _x _y w h < <(geometry)
    s=$(( w / 640 < h / 480 ? w / 640 : h / 480 )); [ "$s" -ge 1 ] || s=1
    echo "$s $(( (w - 640 * s) / 2 )) $(( (h - 480 * s) / 2 ))"
}
click_picture() {  # click_picture X Y: at a point of the 640x480 picture
    local s x0 y0
    read -r s x0 y0 < <(place)
    click_at $(( x0 + $1 * s + s / 2 )) $(( y0 + $2 * s + s / 2 ))
}

click_picture 472 420   # Start
sleep 0.3
key q q q               # top gear: 625 us frames
sleep 0.2
[ "$(hook 'get gameRunning')" = "ok -1" ] || fail "no ride"
# The keyboard stays with the window wherever the pointer is (without a window
# manager it would follow the pointer, and a lost focus opens the game's menu),
# and the pointer sits where the resized window keeps crossing it.
xdotool windowfocus --sync "$WINDOW"
xdotool mousemove 1100 800

"$RESIZE" "$WINDOW" "$STORM" 100 1 >storm.log 2>&1 &
STORM_PID=$!
while kill -0 "$STORM_PID" 2>/dev/null && alive; do
    # Nothing may stop the car: at top speed, undamaged, straight on.
    hook 'set speed 16' 'set damage 0' 'set steerDirection 0' >/dev/null || fail "the game stopped answering"
    sleep 0.5
done
wait "$STORM_PID" || true
cat storm.log
alive || fail "the game died in the storm"

# A flood: Escape still opens the menu at once (the car stands). A window
# manager takes resizes only as fast as it resizes the window.
"$RESIZE" "$WINDOW" 4 "${FLOOD_RATE:-$([ "${STORM_WM:-0}" = 1 ] && echo -1 || echo 0)}" 2 >flood.log 2>&1 &
FLOOD_PID=$!
sleep 1.5
hook 'set speed 16' >/dev/null
key Escape
answer=$(wait_hook 'get speed' 'ok 1 ' 1)
[ "$answer" = "ok 1 " ] || fail "Escape was not handled within a second in the flood (speed: $answer)"
wait "$FLOOD_PID" || true
cat flood.log
alive || fail "the game died in the flood"

# The last size is shown at once: at 1400x1000 the picture is at scale 2, 60,20.
# A window manager may still be working through the flood: first wait for it.
last=""
for _ in $(seq 1 50); do
    now=$(geometry)
    [ "$now" = "$last" ] && break
    last=$now
    sleep 0.2
done
xdotool windowsize --sync "$WINDOW" 1400 1000
sleep 0.1
shot after
read -r X Y _w _h < <(geometry)
read -r s x0 y0 < <(place)
[ "$s $x0 $y0" = "2 60 20" ] || fail "the window is not 1400x1000 (picture at $s $x0 $y0)"
expect_pixel after $(( X + 60 + 2 * 12 + 1 )) $(( Y + 20 + 2 * 28 + 1 )) "#C0FFFF"   # the status line
expect_pixel after $(( X + 30 )) $(( Y + 500 )) "#000000"                         # the border
expect_pixel after $(( X + 1370 )) $(( Y + 990 )) "#000000"

shot before_quit
click_picture 312 236   # Quit to Windows, in the open menu
expect_exit_zero
no_sanitizer_report
exit $FAILED
