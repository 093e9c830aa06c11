# Shared by the Windows build's end-to-end tests: the game under Wine on the
# private Xvfb of tests/e2e/lib.sh, with openbox, as a Windows desktop would
# show it. Coordinates are the picture's, from the window's client corner.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
: "${WINEPREFIX:?the tests run in a Wine prefix of their own (tests/windows/windows_tests.cmake)}"

wine_cleanup() {
    cleanup
    wineserver -k 2>/dev/null || true
}
trap wine_cleanup EXIT

start_wine_game() {  # start_wine_game EXE: in the current folder; waits for its window and its picture
    # As players run it: SDL picks a Windows sound backend, and with no sound
    # device (none here) the game plays silent.
    env -u SDL_AUDIODRIVER wine "$1" >"$OUT/game.log" 2>&1 &
    GAME_PID=$!
    WINDOW=$(timeout 60 xdotool search --sync --onlyvisible --name '^Trakmor$' | head -n 1)
    [ -n "$WINDOW" ] || { echo "no game window" >&2; return 1; }
    xdotool windowactivate --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
    read -r WX WY _ _ < <(geometry)
    sleep 1
}

wclick() { xdotool mousemove $(( WX + $1 )) $(( WY + $2 )) click 1; }
wkey() { xdotool key "$@"; }
# Pixels are looked at with pixel and expect_pixel (tests/e2e/lib.sh) in these pictures.
wshot() {  # wshot NAME: the game's 640x480 picture as $OUT/NAME.png
    import -window root -crop "640x480+$WX+$WY" +repage "$OUT/$1.png"
}
wdiffering() {  # wdiffering A B: pixels of the playfield below the status line that differ
    compare -metric AE -crop 640x400+0+40 "$OUT/$1.png" "$OUT/$2.png" null: 2>&1 | cut -d' ' -f1 || true
}

wait_wine_exit() {  # wait_wine_exit: the game's exit status, or 124 after 20 s
    for _ in $(seq 1 200); do
        alive || { wait "$GAME_PID"; return $?; }
        sleep 0.1
    done
    return 124
}
