#!/usr/bin/env bash
# The program's answers to --version, --help and a bad argument, as a shell sees them.
#   command_line.sh BINARY VERSION
set -uo pipefail
BIN=$1 VERSION=$2
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

run() {  # run ARGS...: sets $status, output in $out and $err; no display, so the game cannot start by mistake
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 10 "$BIN" "$@" >"$out" 2>"$err"
    status=$?
}

run --version
[ "$status" -eq 0 ] || fail "--version: status $status"
[ "$(cat "$out")" = "Trakmor $VERSION" ] || fail "--version printed '$(cat "$out")', expected 'Trakmor $VERSION'"
[ -s "$err" ] && fail "--version wrote to standard error: $(cat "$err")"

run --help
[ "$status" -eq 0 ] || fail "--help: status $status"
head -n 1 "$out" | grep -qx 'Usage: trakmor \[--help | --version\]' || fail "--help: no usage line"
for key in 'Q    gear up' 'A    gear down' 'K    steer left' 'L    steer right' 'Esc  game menu'; do
    grep -qF "$key" "$out" || fail "--help does not name the key: $key"
done
grep -qE '^  F11 .*Alt\+Enter' "$out" || fail "--help does not name F11 and Alt+Enter"
grep -qx 'Gamepad:' "$out" || fail "--help does not mention the gamepad"
for control in 'd-pad or left stick' 'A or right trigger' 'B or left trigger' 'Start or Back'; do
    grep -qE "^  $control +[a-z]" "$out" || fail "--help does not name the pad's $control"
done
[ -s "$err" ] && fail "--help wrote to standard error"

for bad in --verbose -h --help=1 extra ''; do
    run "$bad"
    [ "$status" -eq 2 ] || fail "'$bad': status $status, expected 2"
    [ -s "$out" ] && fail "'$bad' wrote to standard output"
    grep -qF "trakmor: unknown argument '$bad'" "$err" || fail "'$bad': no complaint on standard error"
    grep -qx 'Usage: trakmor \[--help | --version\]' "$err" || fail "'$bad': no usage on standard error"
done

run --version --help
[ "$status" -eq 2 ] || fail "two options: status $status, expected 2"
grep -qF "too many arguments" "$err" || fail "two options: no complaint"

# A reply that cannot be written is a failure, not a silent success.
if [ -w /dev/full ]; then
    env -u DISPLAY "$BIN" --version >/dev/full 2>/dev/null
    [ $? -eq 1 ] || fail "--version to a full disk did not fail with status 1"
fi

# Without arguments the game starts as always: with no display it says so and ends with 1.
run
[ "$status" -eq 1 ] || fail "no arguments, no display: status $status, expected 1"
exit $FAILED
