#!/usr/bin/env bash
# Runs 99 flies for 20 s under Xvfb (1920 x 1080), without and then with xcompmgr, and prints
# the steps per second each fly achieved while walking (minimum, median), the worst gap between
# two steps of one fly, and the CPU time per fly step of the program, the X server and the
# compositor. Targets: every fly >= 97 steps/s, the program <= 5 us and the X server <= 45 us
# per fly step without a compositor.
#
# Usage: tools/bench-linux.sh [SECONDS]   (QUILLOP_BUILD chooses the build folder;
# QUILLOP_BENCH_FLIES=N measures N flies instead, QUILLOP_BENCH_SPREAD=1 starts them scattered,
# QUILLOP_BENCH_WM=openbox runs that window manager too and reports its CPU time)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
build=${QUILLOP_BUILD:-build/linux}
tools/install-deps.sh
[ -f "$build/build.ninja" ] || cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" --target quillop_bench >/dev/null
bench=$build/tests/quillop_bench

# The program reads its fly count from the settings file: give it one of its own.
config=$(mktemp -d)
mkdir -p "$config/QuillopPro"
printf '[General]\nFlies=%s\nOnTop=1\nStartup=0\n' "${QUILLOP_BENCH_FLIES:-99}" \
    >"$config/QuillopPro/QuillopPro.conf"
export XDG_CONFIG_HOME=$config

started=()
cleanup() {
    local i
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        kill "${started[i]}" 2>/dev/null || true
        { wait "${started[i]}" || true; } 2>/dev/null
    done
    started=()
}
trap 'cleanup; rm -rf "$config"' EXIT
trap 'exit 1' INT TERM HUP

# measure DISPLAY_NUMBER WITH_COMPOSITOR: one run on a fresh X server.
measure() {
    local number=$1 compositor=$2
    [ ! -e "/tmp/.X$number-lock" ] || {
        echo "display :$number is in use" >&2
        exit 1
    }
    Xvfb ":$number" -screen 0 1920x1080x24 -noreset -nolisten tcp >/dev/null 2>&1 &
    local server=$!
    started+=($server)
    export DISPLAY=:$number
    for ((i = 0; i < 50; i++)); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    local watch="X server:$server"
    if [ -n "${QUILLOP_BENCH_WM:-}" ]; then
        "$QUILLOP_BENCH_WM" >/dev/null 2>&1 &
        started+=($!)
        watch="$watch,$QUILLOP_BENCH_WM:$!"
        sleep 0.5
    fi
    if [ "$compositor" = yes ]; then
        xcompmgr >/dev/null 2>&1 &
        started+=($!)
        watch="$watch,xcompmgr:$!"
        sleep 0.5
    fi
    QUILLOP_BENCH_SECONDS=$seconds QUILLOP_BENCH_WATCH=$watch "$bench"
    cleanup
}

echo "=== ${QUILLOP_BENCH_FLIES:-99} flies, ${seconds} s, Xvfb 1920x1080, no compositor"
measure 58 no
echo "=== ${QUILLOP_BENCH_FLIES:-99} flies, ${seconds} s, Xvfb 1920x1080, with xcompmgr"
measure 59 yes
