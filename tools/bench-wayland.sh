#!/usr/bin/env bash
# Measures the flies on a Wayland desktop: headless sway (pixman) with XWayland, 99 flies
# through XWayland and 99 on the native overlay, taking turns, then 500 on the native overlay;
# the CPU of sway, Xwayland and the program from /proc and each fly's steps a second
# (tests/linux/bench-wayland-session.sh says how). sway runs as nobody in private namespaces,
# which needs root. Not part of the tests.
#
# Usage: tools/bench-wayland.sh [SECONDS]
#   QUILLOP_BENCH_ROUNDS=N   turns of XWayland and native (default 2)
#   QUILLOP_BENCH_BIG=N      the flies of the last, native run (default 500)
#   QUILLOP_BUILD=DIR        the build folder (default build/linux)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUILLOP_BUILD:-build/linux}
tools/install-deps.sh
[ -f "$build/build.ninja" ] || cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" -j2 --target quillop_bench quillop_screenwatch >/dev/null
exec tests/linux/bench-wayland-session.sh "$build/tests/quillop_bench" \
    "$build/tests/quillop_screenwatch" "${1:-20}" "${QUILLOP_BENCH_ROUNDS:-2}" \
    "${QUILLOP_BENCH_BIG:-500}"
