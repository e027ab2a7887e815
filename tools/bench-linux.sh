#!/usr/bin/env bash
# Runs the flies under Xvfb (1920 x 1080) and measures, from outside the program, what the
# screen did: the moves the X server made (counted by a separate client), the walking rate of
# each fly from those, the CPU time per move of the program, the X server, the window manager
# and the compositor, their memory at the start and the end, and the CPU they take in the 3 s
# after the program ends.
#
# Usage: tools/bench-linux.sh [SECONDS]
#   QUILLOP_BENCH_FLIES=N    N flies (default 99; past 99 they are added as "Add fly" adds them)
#   QUILLOP_BENCH_SETUPS=... the setups to run, of: bare bare+xcompmgr openbox openbox+xcompmgr
#                            (default all four)
#   QUILLOP_BENCH_SPREAD=1   the flies start scattered over the screen
#   QUILLOP_BUILD=DIR        the build folder (default build/linux)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
warmup=3
flies=${QUILLOP_BENCH_FLIES:-99}
build=${QUILLOP_BUILD:-build/linux}
tools/install-deps.sh
[ -f "$build/build.ninja" ] || cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" --target quillop_bench quillop_screenwatch >/dev/null

# The program reads its fly count from the settings file: give it one of its own.
config=$(mktemp -d)
mkdir -p "$config/QuillopPro"
printf '[General]\nFlies=%s\nOnTop=1\nStartup=0\n' $((flies < 99 ? flies : 99)) \
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

# measure SETUP: one run on a fresh X server.
measure() {
    local setup=$1 number
    for number in {60..79}; do
        [ -e "/tmp/.X$number-lock" ] || break
    done
    Xvfb ":$number" -screen 0 1920x1080x24 -noreset -nolisten tcp >/dev/null 2>&1 &
    local server=$!
    started+=($server)
    export DISPLAY=:$number
    for ((i = 0; i < 50; i++)); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    local watch=("X server:$server")
    if [[ $setup == openbox* ]]; then
        openbox >/dev/null 2>&1 &
        started+=($!)
        watch+=("openbox:$!")
        sleep 0.5
    fi
    if [[ $setup == *xcompmgr ]]; then
        xcompmgr >/dev/null 2>&1 &
        started+=($!)
        watch+=("xcompmgr:$!")
        sleep 0.5
    fi
    QUILLOP_BENCH_RUN=$((warmup + seconds + 1)) QUILLOP_BENCH_FLIES=$flies \
        "$build/tests/quillop_bench" >/dev/null 2>&1 &
    local program=$!
    "$build/tests/quillop_screenwatch" "$warmup" "$seconds" 3 "$program" "program:$program" \
        "${watch[@]}" &
    local watcher=$!
    wait "$program" || echo "the program ended with exit code $?"
    wait "$watcher"
    cleanup
}

for setup in ${QUILLOP_BENCH_SETUPS:-bare bare+xcompmgr openbox openbox+xcompmgr}; do
    echo "=== $flies flies, $seconds s, Xvfb 1920x1080, $setup"
    measure "$setup"
done
