# Shared by the end-to-end tests: a private Xvfb and helpers to look at it.
set -euo pipefail

# A check that fails marks the test failed and lets it go on; scripts end with `exit $FAILED`.
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }

start_xvfb() {  # start_xvfb WxHxD: on the first free display from XVFB_FIRST (91)
    local n try
    for try in $(seq 1 10); do
        for n in $(seq "${XVFB_FIRST:-91}" 160); do
            [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
        done
        Xvfb ":$n" -screen 0 "${1:-640x480x24}" -nolisten tcp >"$OUT/xvfb.log" 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 1 100); do
            # Another test may have taken the display in the meantime: then ours has died.
            kill -0 "$XVFB_PID" 2>/dev/null || break
            xdpyinfo >/dev/null 2>&1 && return 0
            sleep 0.05
        done
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    done
    echo "Xvfb did not start" >&2
    return 1
}

cleanup() {
    [ -n "${GAME_PID:-}" ] && kill "$GAME_PID" 2>/dev/null || true
    [ -n "${OTHER_PID:-}" ] && kill "$OTHER_PID" 2>/dev/null || true
    [ -n "${WM_PID:-}" ] && kill "$WM_PID" 2>/dev/null || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT

start_game() {  # start_game BINARY: runs it in the current folder and waits for its window
    SDL_AUDIODRIVER=dummy "$1" >"$OUT/game.log" 2>&1 &
    GAME_PID=$!
    WINDOW=$(timeout 20 xdotool search --sync --name '^Trakmor$' | head -n 1)
    [ -n "$WINDOW" ] || { echo "no game window" >&2; return 1; }
    sleep 0.5
}

shot() {  # shot NAME: the screen as $OUT/NAME.png
    import -window root "$OUT/$1.png"
}

pixel() {  # pixel NAME X Y: #RRGGBB at X,Y of a screenshot
    convert "$OUT/$1.png" -format '%[hex:p{'"$2"','"$3"'}]' info: | cut -c1-6 | sed 's/^/#/'
}

expect_pixel() {  # expect_pixel NAME X Y #RRGGBB [tolerance]
    local got want=$4 tol=${5:-0}
    got=$(pixel "$1" "$2" "$3")
    local dr=$(( 16#${got:1:2} - 16#${want:1:2} )) dg=$(( 16#${got:3:2} - 16#${want:3:2} )) db=$(( 16#${got:5:2} - 16#${want:5:2} ))
    if [ ${dr#-} -gt "$tol" ] || [ ${dg#-} -gt "$tol" ] || [ ${db#-} -gt "$tol" ]; then
        echo "FAIL: $1 at $2,$3 is $got, expected $want" >&2
        FAILED=1
    fi
}

key() { xdotool key --window "$WINDOW" "$@"; }
click_at() { xdotool mousemove --window "$WINDOW" "$1" "$2" click 1; }

car_at() {  # car_at NAME X: whether the car's red body fills the 32x32 cell at X in the car's row
    local n
    n=$(convert "$OUT/$1.png" -crop 32x32+"$2"+416 +repage -fuzz 3% -fill white -opaque "#d8282a" \
        -fill black +opaque white -format '%[fx:int(mean*w*h+0.5)]' info:)
    # The car has about 150 pixels of body red; an obstacle passing by has few or none.
    [ "$n" -ge 80 ]
}

differing() {  # differing A B: how many pixels of the playfield below the status line differ
    compare -metric AE -crop 640x400+0+40 "$OUT/$1.png" "$OUT/$2.png" null: 2>&1 | cut -d' ' -f1 || true
}

start_wm() {  # start_wm: openbox on the Xvfb, for fullscreen, focus and window placement
    local try
    for try in 1 2 3; do
        openbox >"$OUT/openbox.log" 2>&1 &
        WM_PID=$!
        for _ in $(seq 1 400); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
            kill -0 "$WM_PID" 2>/dev/null || break
            sleep 0.05
        done
        kill "$WM_PID" 2>/dev/null || true
        sleep 0.5
    done
    echo "openbox did not start" >&2
    return 1
}

hook() {  # hook COMMAND...: the game's answers, through TRAKMOR_TEST_HOOK=$OUT (see tests/e2e/test_hook.h)
    rm -f "$OUT/reply"
    printf '%s\n' "$@" >"$OUT/request.new"
    mv "$OUT/request.new" "$OUT/request"
    for _ in $(seq 1 200); do
        [ -f "$OUT/reply" ] && { cat "$OUT/reply"; return 0; }
        sleep 0.02
    done
    echo "no reply from the game" >&2
    return 1
}

geometry() {  # geometry: the game window's client area as "X Y W H" on the screen
    xwininfo -id "$WINDOW" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
        /^ *Width:/{w=$2} /^ *Height:/{h=$2} END{print x, y, w, h}'
}

wait_hook() {  # wait_hook COMMAND EXPECTED [seconds]: until the game answers EXPECTED; the last answer
    local got="" n
    for n in $(seq 1 $(( ${3:-3} * 10 ))); do
        got=$(hook "$1" | tr '\n' ' ')
        [ "$got" = "$2" ] && break
        sleep 0.1
    done
    echo "$got"
}

alive() {  # alive: the game still runs; one that died but is not yet waited for is a zombie, which kill -0 still finds
    [ -r "/proc/$GAME_PID/stat" ] && [ "$(awk '{print $3}' "/proc/$GAME_PID/stat")" != Z ]
}

expect_exit_zero() {  # expect_exit_zero [seconds]: the game ends within the time, with status 0
    local status=0
    for _ in $(seq 1 $(( ${1:-15} * 10 ))); do alive || break; sleep 0.1; done
    if alive; then
        fail "the game did not end"
        command -v gdb >/dev/null && gdb -p "$GAME_PID" -batch -ex 'thread apply all bt 20' >"$OUT/stacks.txt" 2>&1
        return 0
    fi
    wait "$GAME_PID" || status=$?
    [ "$status" = 0 ] || fail "the game ended with status $status"
    GAME_PID=""
}

no_sanitizer_report() {  # no_sanitizer_report: of an ASan, UBSan or TSan build, in the game's log
    grep -E 'ERROR: AddressSanitizer|WARNING: ThreadSanitizer|runtime error|LeakSanitizer' "$OUT/game.log" &&
        fail "a sanitizer report"
    return 0
}
