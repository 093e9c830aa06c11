#!/usr/bin/env bash
# What players get holds the game alone: none of the end-to-end tests' hook,
# no access to the game's state by name, none of the test page's switches.
# Looks at each file's symbols (where it has them) and its strings.
#   product.sh FILE...
set -uo pipefail
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }
[ $# -gt 0 ] || { echo "usage: product.sh FILE..." >&2; exit 2; }
# The hook and its variable, the state's text access, the driver's namespace,
# the test page's exports and its address switches.
FORBIDDEN='TestHook|GetVariable|SetVariable|TRAKMOR_TEST_HOOK|headless::|trakmor_get|trakmor_host_stat|straight-road|rocks-road|speed-setting|--seed|has\(.seed.\)'
for f in "$@"; do
    [ -f "$f" ] || { fail "no $f"; continue; }
    found=$( { nm -C "$f" 2>/dev/null; strings -a "$f"; } | grep -E -o "$FORBIDDEN" | sort | uniq -c)
    [ -z "$found" ] || fail "$f holds test code:"$'\n'"$found"
done
exit $FAILED
