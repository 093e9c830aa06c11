#!/usr/bin/env bash
# With no display at all the game says so and exits with an error, not a crash.
BIN=$1 OUT=$2
mkdir -p "$OUT"
set -u
rc=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$BIN" >"$OUT/out.log" 2>&1 || rc=$?
cat "$OUT/out.log"
[ "$rc" -ne 0 ] || { echo "FAIL: exit status 0 without a display" >&2; exit 1; }
[ "$rc" -lt 128 ] || { echo "FAIL: died from a signal ($rc)" >&2; exit 1; }
grep -q "no display" "$OUT/out.log" || { echo "FAIL: no clear message" >&2; exit 1; }
