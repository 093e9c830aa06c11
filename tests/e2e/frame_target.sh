#!/usr/bin/env bash
# The presenter's way to the window beside SDL's, on a private Xvfb, 24 and
# 16 bits deep: the X11 part of the unit tests.
BIN=$1 OUT=$2
mkdir -p "$OUT"
source "$(dirname "$0")/lib.sh"
TESTS=$(dirname "$BIN")/tests/trakmor_tests
for depth in 24 16; do
    start_xvfb "2048x1600x$depth"
    "$TESTS" --gtest_filter='X11FrameTargetTest.*' >"$OUT/tests-$depth.log" 2>&1 || fail "the X11 target tests failed at $depth bits"
    cat "$OUT/tests-$depth.log"
    grep -q '^\[  PASSED  \] 3 tests' "$OUT/tests-$depth.log" || fail "the tests did not all run at $depth bits"
    grep -q 'SKIPPED' "$OUT/tests-$depth.log" && fail "a test was skipped under Xvfb"
    kill "$XVFB_PID"; wait "$XVFB_PID" 2>/dev/null || true
done
exit $FAILED
