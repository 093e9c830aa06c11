#!/usr/bin/env bash
# The game's window destroyed under it (xdotool windowclose), once amid a
# ride's cue storm and once on the idle intro screen: the game takes it as the
# window being closed and ends through the quit sequence with status 0, not
# with Xlib's fatal "X Error" and status 1.
BIN=$(readlink -f "$1") OUT=$2
HERE=$(cd "$(dirname "$0")" && pwd)
# For an ASan build: the one leak at exit that is not ours.
export LSAN_OPTIONS="suppressions=$HERE/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
mkdir -p "$OUT"
source "$HERE/lib.sh"
cd "$OUT"
rm -f ./*.log
PYTHON=$(command -v /usr/bin/python3 || command -v python3)
send() { "$PYTHON" "$HERE/x11_send.py" "$WINDOW" "$@"; }
keys() {
    local i
    for ((i = 0; i < $2; ++i)); do printf '%s ' "$1"; done
}

start() {  # start NAME
    SDL_AUDIODRIVER=dummy "$BIN" >"$OUT/$1.log" 2>&1 &
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

check_run() {  # check_run NAME STATUS
    [ "$2" = "0" ] || fail "$1: the game ended with status $2"
    if grep -E "X Error|runtime error|AddressSanitizer|LeakSanitizer" "$OUT/$1.log" >&2; then
        fail "$1: the game reported a problem"
    fi
    echo "$1: status $2"
}

start_xvfb 640x480x24

start ride
click_at 472 420
sleep 0.3
for _ in 1 2 3; do
    send q $(keys k 40)
    sleep 0.3
    send l
    sleep 0.3
done
send q $(keys k 10)
xdotool windowclose "$WINDOW"
rc=0; wait_exit || rc=$?
[ "$rc" = "124" ] && kill -KILL "$GAME_PID"
check_run ride "$rc"
GAME_PID=

# Nothing is drawn on the intro screen: only the window's DestroyNotify tells.
start intro
sleep 0.5
xdotool windowclose "$WINDOW"
rc=0; wait_exit || rc=$?
[ "$rc" = "124" ] && kill -KILL "$GAME_PID"
check_run intro "$rc"
GAME_PID=
exit $FAILED
