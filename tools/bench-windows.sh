#!/usr/bin/env bash
# Benchmarks the Windows program under Wine and Xvfb: 99 flies for 20 seconds, and prints the
# steps per second each fly made (minimum and median) and the CPU time per fly step.
# Usage: tools/bench-windows.sh [--composite] [seconds [warm-up seconds]]
#   --composite: with xcompmgr running, as on a desktop that blends the shadows.
# Builds the windows-x64 preset first.
set -uo pipefail
cd "$(dirname "$0")/.."
composite=no
if [ "${1:-}" = --composite ]; then
    composite=yes
    shift
fi
seconds=${1:-20}
warmup=${2:-2}
tools/install-deps.sh
cmake --preset windows-x64 >/dev/null && cmake --build --preset windows-x64 || exit 1
build=$PWD/build/windows-x64
source tests/windows/wine-session.sh
start_wine_session "$build/bench"
export QUILLOP_E2E_DIR="$build/bench" QUILLOP_TOOLS_DIR="$PWD/tests/windows"
export QUILLOP_XVFB_PID=${started_pids[0]}
# The pointer freezes a fly it lies on: keep it in a corner, away from the screen centre.
xdotool mousemove 1023 0
if [ $composite = yes ]; then
    xcompmgr -n >/dev/null 2>&1 &
    started_pids+=($!)
fi
echo "=== 99 flies, $seconds s after $warmup s, Wine $(wine --version 2>/dev/null), Xvfb 1024x768, compositor: $composite, $(nproc) CPUs"
run_logged "$build/bench/bench.log" wine "$build/tests/quillop_bench_driver.exe" \
    "Z:${build//\//\\}\\tests\\BenchQuillop.exe" "$seconds" "$warmup"
