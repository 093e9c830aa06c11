#!/usr/bin/env bash
# The manual page renders without a warning and covers what a player looks up.
#   man_page.sh PAGE VERSION
set -uo pipefail
PAGE=$1 VERSION=$2
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }
text=$(mktemp) warnings=$(mktemp)
trap 'rm -f "$text" "$warnings"' EXIT
LC_ALL=C.UTF-8 MANWIDTH=80 MAN_KEEP_FORMATTING= man --warnings -E UTF-8 -l "$PAGE" 2>"$warnings" | col -b >"$text"
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "man -l $PAGE failed"
[ -s "$warnings" ] && { cat "$warnings" >&2; fail "the manual page gives warnings"; }
for heading in NAME SYNOPSIS DESCRIPTION OPTIONS KEYS GAMEPAD SKILLS 'SPEED SETTING' FILES 'EXIT STATUS' NOTES; do
    grep -qx "$heading" "$text" || fail "no section $heading"
done
grep -q 'trakmor - drive a car' "$text" || fail "no name line"
grep -qF "Trakmor $VERSION" "$text" || fail "the page does not carry version $VERSION"
for word in Trakmor_B.spd Easy Normal Hard --help --version; do
    grep -qF -- "$word" "$text" || fail "the page does not mention $word"
done
for key in Q A K L Esc; do
    grep -qE "^ +$key( |$)" "$text" || fail "the page lists no key $key"
done
for control in 'F11 or Alt\+Enter' 'd-pad or left stick' 'A or right trigger' 'B or left trigger' 'Start or Back'; do
    grep -qE "^ +$control([[:space:]]|$)" "$text" || fail "the page lists no ${control//\\/}"
done
exit $FAILED
