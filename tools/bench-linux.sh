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
#   QUILLOP_BENCH_DPI=N      the X resources ask for N dots per inch (192: flies at 2x)
#   QUILLOP_BUILD=DIR        the build folder (default build/linux)
cd "$(dirname "$0")/.."
seconds=${1:-20}
warmup=3
flies=${QUILLOP_BENCH_FLIES:-99}
build=${QUILLOP_BUILD:-build/linux}
tools/install-deps.sh
[ -f "$build/build.ninja" ] || cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" --target quillop_bench quillop_screenwatch quillop_testwindow >/dev/null

set -- "$build/tests/quillop_bench" "$build/tests/quillop_testwindow"
source tests/linux/e2e-lib.sh

# The program reads its fly count from the settings file, in the run's own folder.
mkdir -p "$XDG_CONFIG_HOME/QuillopPro"
printf '[General]\nFlies=%s\nOnTop=1\nStartup=0\n' $((flies < 99 ? flies : 99)) \
    >"$XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf"

# measure NUMBER SETUP: one run on a fresh X server, on display NUMBER (moved by
# QUILLOP_DISPLAY_OFFSET as in the end-to-end tests).
measure() {
    local setup=$2
    start_xvfb "$1" -screen 0 1920x1080x24
    local watch=("X server:${started[-1]}")
    [ -z "${QUILLOP_BENCH_DPI:-}" ] || xrdb -merge <<<"Xft.dpi: $QUILLOP_BENCH_DPI"
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
        "$QUILLOP" >/dev/null 2>&1 &
    local program=$!
    "$build/tests/quillop_screenwatch" "$warmup" "$seconds" 3 "$program" "program:$program" \
        "${watch[@]}" &
    local watcher=$!
    wait "$program" || echo "the program ended with exit code $?"
    wait "$watcher"
    stop_started
}

number=60
for setup in ${QUILLOP_BENCH_SETUPS:-bare bare+xcompmgr openbox openbox+xcompmgr}; do
    echo "=== $flies flies, $seconds s, Xvfb 1920x1080, $setup"
    measure "$number" "$setup"
    number=$((number + 1))
done
