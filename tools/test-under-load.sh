#!/usr/bin/env bash
# Runs the end-to-end tests of both platforms (or, with --all, the whole test command) N times
# in a row with a busy loop on every core and a D-Bus session bus present, the way a loaded
# desktop machine runs them, and reports every failure.
#
#   tools/test-under-load.sh [N]          the end-to-end tests, N times (default 10)
#   tools/test-under-load.sh --all [N]    tools/test-all.sh, N times (default 3)
#
# The builds must exist for the end-to-end runs (tools/test-all.sh makes them). Logs are kept
# in build/under-load/. Exits nonzero when any run failed.
set -euo pipefail
cd "$(dirname "$0")/.."

whole=false
if [ "${1:-}" = "--all" ]; then
    whole=true
    shift
fi
runs=${1:-$($whole && echo 3 || echo 10)}
logs=build/under-load
mkdir -p "$logs"
tools/install-deps.sh

hogs=()
stop_hogs() {
    local pid
    for pid in "${hogs[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
}
trap stop_hogs EXIT
for ((core = 0; core < $(nproc); core++)); do
    bash -c 'while :; do :; done' &
    hogs+=($!)
done

# One run of the tests in a session bus of its own; its output goes to the log.
run_once() {
    if $whole; then
        dbus-run-session -- tools/test-all.sh
    else
        local status=0
        dbus-run-session -- ctest --preset linux -L e2e || status=1
        dbus-run-session -- ctest --preset windows-x64 -R 'windows_(e2e|platform)' || status=1
        command -v wineserver >/dev/null && wineserver -k 2>/dev/null || true
        return "$status"
    fi
}

failed=0
for ((run = 1; run <= runs; run++)); do
    log=$logs/run-$run.log
    start=$SECONDS
    if run_once >"$log" 2>&1; then
        echo "run $run of $runs: passed ($((SECONDS - start)) s)"
    else
        failed=$((failed + 1))
        echo "run $run of $runs: FAILED ($((SECONDS - start)) s), see $log"
        grep -E '\*\*\*Failed|\(Failed\)|\(Timeout\)|^FAIL: |\[  FAILED  \]|^Failed: ' "$log" |
            sort -u | sed 's/^/    /' || true
    fi
done
what=$($whole && echo "whole test command" || echo "end-to-end tests")
echo "under load, $what: $((runs - failed)) of $runs runs passed"
[ "$failed" -eq 0 ]
