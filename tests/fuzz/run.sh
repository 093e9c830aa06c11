#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", into build-fuzz/) and runs each
# for a bounded time from its committed seeds, two at a time. Fails on any
# crash, hang, leak or sanitizer report, leaving the input that caused it in
# build-fuzz/fuzz-runs/artifacts/<target>/.
#   tests/fuzz/run.sh [seconds-per-target] [target ...]
# Targets: settings_reader property_bag picture_record driver_session.
set -euo pipefail
cd "$(dirname "$0")/../.."
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
export UBSAN_OPTIONS="print_stacktrace=1:${UBSAN_OPTIONS:-}"

seconds=${1:-45}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(settings_reader property_bag picture_record driver_session)

[ -f build-fuzz/CMakeCache.txt ] || cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]/#/fuzz_}" >/dev/null

out=build-fuzz/fuzz-runs
mkdir -p "$out"

run_one() {
    local t=$1
    local args=(-max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1
                -artifact_prefix="$out/artifacts/$t/")
    # Scripts for the driver: whole command lines, words from the language.
    [ "$t" = driver_session ] && args+=(-max_len=2048 -dict=tests/fuzz/driver.dict)
    mkdir -p "$out/corpus/$t" "$out/artifacts/$t"
    # New finds go to the first folder, out of the source tree.
    "build-fuzz/tests/fuzz/fuzz_$t" "${args[@]}" "$out/corpus/$t" "tests/fuzz/corpus/$t" >"$out/$t.log" 2>&1
}

pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done' EXIT
failed=0
report() {
    local t=$1 status=$2
    local execs
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$t.log" | tail -1)
    if [ "$status" -eq 0 ]; then
        echo "fuzz $t: ${execs:-?} executions in ${seconds}s, no fault"
    else
        echo "fuzz $t: FAILED (status $status) after ${execs:-?} executions; log $out/$t.log" >&2
        grep -E "ERROR|runtime error|SUMMARY|Test unit written|replies to|bad reply" "$out/$t.log" | head -20 >&2 || true
        failed=1
    fi
}
# Two at a time, one on each core.
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    batch=("${targets[@]:i:2}")
    pids=()
    for t in "${batch[@]}"; do
        run_one "$t" &
        pids+=($!)
    done
    for j in "${!batch[@]}"; do
        status=0
        wait "${pids[$j]}" || status=$?
        report "${batch[$j]}" "$status"
    done
done
pids=()
exit $failed
