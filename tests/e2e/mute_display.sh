#!/usr/bin/env bash
# A display server that takes the connection and never answers: the game gives
# up within about 5 s with the no-display message and status 1, and SIGTERM or
# SIGINT while it waits end it at once (as they would with no handler).
BIN=$(readlink -f "$1") OUT=$2
HERE=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$OUT"
set -u
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }
PYTHON=$(command -v /usr/bin/python3 || command -v python3)
now() { date +%s%N; }
ms_since() { echo $((($(now) - $1) / 1000000)); }

"$PYTHON" "$HERE/mute_x_server.py" 170 199 >"$OUT/server.out" &
SERVER=$!
trap 'kill "$SERVER" 2>/dev/null; wait 2>/dev/null' EXIT
for _ in $(seq 1 50); do
    [ -s "$OUT/server.out" ] && break
    sleep 0.1
done
N=$(cat "$OUT/server.out")
[ -n "$N" ] || { echo "FAIL: the mute display server did not start" >&2; exit 1; }
export DISPLAY=":$N"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER

start=$(now)
rc=0
timeout -s KILL 30 "$BIN" >"$OUT/gives_up.log" 2>&1 || rc=$?
took=$(ms_since "$start")
cat "$OUT/gives_up.log"
echo "gave up after $took ms with status $rc"
[ "$rc" = "1" ] || fail "status $rc, expected 1"
grep -q "^trakmor: no display available" "$OUT/gives_up.log" || fail "no clear message"
# Five seconds, and room for a busy machine; a hang would have been killed at 30.
[ "$took" -lt 15000 ] || fail "took $took ms to give up"

for sig in TERM INT; do
    env --default-signal=INT "$BIN" >"$OUT/sig$sig.log" 2>&1 &
    game=$!
    sleep 1
    start=$(now)
    kill -"$sig" "$game"
    rc=0
    for _ in $(seq 1 100); do
        kill -0 "$game" 2>/dev/null || break
        sleep 0.02
    done
    took=$(ms_since "$start")
    kill -KILL "$game" 2>/dev/null && fail "SIG$sig did not end the waiting game"
    wait "$game" || rc=$?
    echo "SIG$sig ended it after $took ms with status $rc"
    want=$((128 + $(kill -l "$sig")))
    [ "$rc" = "$want" ] || fail "SIG$sig: status $rc, expected $want"
    # Well before the 5 s limit would have ended it.
    [ "$took" -lt 2500 ] || fail "SIG$sig took $took ms"
done
exit $FAILED
