#!/usr/bin/env bash
# Input read ahead on the game's X connection by the presenting thread still
# wakes the game's wait: the X11 part of the unit tests, on a private Xvfb.
BIN=$1 OUT=$2
mkdir -p "$OUT"
source "$(dirname "$0")/lib.sh"
TESTS=$(dirname "$BIN")/tests/trakmor_tests
start_xvfb 640x480x24
"$TESTS" --gtest_filter='X11ReadAheadTest.*' >"$OUT/tests.log" 2>&1 || fail "the X11 read-ahead test failed"
cat "$OUT/tests.log"
grep -q '^\[  PASSED  \] 1 test' "$OUT/tests.log" || fail "the test did not run"
grep -q 'SKIPPED' "$OUT/tests.log" && fail "the test was skipped under Xvfb"
exit $FAILED
