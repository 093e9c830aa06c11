#!/usr/bin/env bash
# A cue storm in the real window: rides in which the car is steered off the
# road over and over, so that sound cues start all the time, ended by the close
# button's message sent in the same batch as the keys that start a run of
# nested cues, and in further runs by SIGTERM, SIGINT and SIGHUP amid the storm.
# Each run must end through the quit sequence with status 0, with no crash and
# no sanitizer report (run with an ASan build to look for those).
BIN=$(readlink -f "$1") OUT=$2
HERE=$(cd "$(dirname "$0")" && pwd)
# For an ASan build: the one leak at exit that is not ours.
export LSAN_OPTIONS="suppressions=$HERE/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
mkdir -p "$OUT"
source "$HERE/lib.sh"
cd "$OUT"
rm -f ./*.log ./*.raw
PYTHON=$(command -v /usr/bin/python3 || command -v python3)
send() { "$PYTHON" "$HERE/x11_send.py" "$WINDOW" "$@"; }
keys() {  # keys KEY N: KEY N times
    local i
    for ((i = 0; i < $2; ++i)); do printf '%s ' "$1"; done
}

start_storm_game() {  # start_storm_game NAME: the game, its sound written to NAME.raw
    # A shell without job control starts it with SIGINT ignored, as nohup would.
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$OUT/$1.raw" env --default-signal=INT "$BIN" >"$OUT/$1.log" 2>&1 &
    GAME_PID=$!
    timeout 20 xdotool search --sync --name '^Trakmor$' >/dev/null || { echo "no game window" >&2; return 1; }
    sleep 0.5
    WINDOW=$(xdotool search --name '^Trakmor$' | head -n 1)
}

wait_exit() {  # wait_exit: the game's exit status, or 124 after 10 s
    for _ in $(seq 1 100); do
        kill -0 "$GAME_PID" 2>/dev/null || { wait "$GAME_PID"; return $?; }
        sleep 0.1
    done
    return 124
}

# Rides for about SECONDS. Each goes from the middle of the road to near its
# left edge at once, or off it in a burst of nested cues when already there;
# then three times a cell to the right (back onto the road), a gear up and a
# cell and a step to the left, off the road again once at the edge. A ride
# that ends in a game over is followed by the next one.
storm() {
    local end=$((SECONDS + $1))
    while [ $SECONDS -lt $end ]; do
        click_at 472 357   # OK on the game-over panel, if it is up
        click_at 472 420   # Start on the intro panel, if it is up
        send q $(keys k 60)
        sleep 0.3
        for _ in 1 2 3; do
            send l
            sleep 0.25
            send q $(keys k 17)
            sleep 0.25
        done
    done
}

check_run() {  # check_run NAME STATUS
    [ "$2" = "0" ] || fail "$1: the game ended with status $2"
    if grep -E "runtime error|AddressSanitizer|LeakSanitizer|X Error|trakmor:" "$OUT/$1.log" >&2; then
        fail "$1: the game reported a problem"
    fi
    local cues
    cues=$("$PYTHON" "$HERE/cues_heard.py" "$OUT/$1.raw" "$HERE/../../assets/Sounds")
    echo "$1: $cues cues started, status $2"
    [ "$cues" -ge 3 ] || fail "$1: only $cues cues started: no cue storm"
}

start_xvfb 640x480x24

start_storm_game close
storm 8
# A ride for certain (after a game over, OK then Start), the car back on the
# road, then keys that take it off the road and keep it there, and the close
# in the same batch: it is handled inside the nested cues they start.
click_at 472 357
click_at 472 420
sleep 0.3
send l
sleep 0.3
send q $(keys k 120) close
rc=0; wait_exit || rc=$?
[ "$rc" = "124" ] && kill -KILL "$GAME_PID"
check_run close "$rc"
GAME_PID=

# The signals come amid the storm, wherever the game happens to be.
for sig in TERM INT HUP; do
    start_storm_game "sig$sig"
    (storm 12) >/dev/null 2>&1 &
    storming=$!
    sleep 6
    kill -"$sig" "$GAME_PID"
    rc=0; wait_exit || rc=$?
    [ "$rc" = "124" ] && kill -KILL "$GAME_PID"
    kill "$storming" 2>/dev/null || true
    wait "$storming" 2>/dev/null || true
    check_run "sig$sig" "$rc"
    GAME_PID=
done
exit $FAILED
