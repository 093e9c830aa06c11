#!/usr/bin/env bash
# The installed README is the players' short one, configured, not the developers' notes.
#   readme.sh FILE VERSION
set -uo pipefail
FILE=$1 VERSION=$2
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }
[ -f "$FILE" ] || { fail "no $FILE"; exit 1; }
[ "$(head -n 1 "$FILE")" = "# Trakmor $VERSION" ] || fail "$FILE does not start with '# Trakmor $VERSION'"
grep -nE '@[A-Z_]+@' "$FILE" && fail "$FILE has unconfigured names"
[ "$(wc -c <"$FILE")" -lt 6000 ] || fail "$FILE is $(wc -c <"$FILE") bytes, not a short README"
grep -qE 'build\.sh|ctest|For developers' "$FILE" && fail "$FILE is the developers' README"
for word in F11 Alt+Enter gamepad 'left stick' Trakmor_B.spd 'man 6 trakmor' 'GNU General Public License'; do
    grep -qiF -- "$word" "$FILE" || fail "$FILE does not mention $word"
done
grep -qE 'https?://[^ ]+' "$FILE" || fail "$FILE gives no address to report problems to"
exit $FAILED
