#!/usr/bin/env bash
# The binary is built as Debian asks of what it ships (lintian's hardening tags):
# relocations read-only and bound before main(), stack guards, checked buffer functions.
#   hardening.sh BINARY
set -uo pipefail
BIN=$1
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }
[ -f "$BIN" ] || { fail "no $BIN"; exit 1; }
readelf -lW "$BIN" | grep -q GNU_RELRO || fail "$BIN has no read-only relocations (-z relro)"
readelf -dW "$BIN" | grep -qE '\(BIND_NOW\)|\(FLAGS_1\).* NOW' || fail "$BIN binds lazily (no -z now)"
readelf -hW "$BIN" | grep -qE 'Type: +DYN' || fail "$BIN is not position-independent"
# The dynamic symbols survive stripping, so this holds for the packaged binary too.
symbols=$(nm -D --undefined-only "$BIN" | awk '{print $NF}' | sed 's/@.*//')
grep -qx '__stack_chk_fail' <<<"$symbols" || fail "$BIN has no stack guards (-fstack-protector-strong)"
grep -qE '^__[a-z_]+_chk$' <<<"$symbols" ||
    fail "$BIN calls no checked buffer function (-D_FORTIFY_SOURCE)"
exit $FAILED
