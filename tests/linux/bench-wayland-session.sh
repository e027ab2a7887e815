#!/usr/bin/env bash
# The Wayland benchmark's session (run by tools/bench-wayland.sh, not a test): headless sway
# (pixman) at 1920 x 1080 with XWayland, and the benchmark's program with its flies through
# XWayland (QUILLOP_DISPLAY=x11) and on the native overlay, one after the other, ROUNDS times,
# then BIG flies on the native overlay. For each run: the CPU of sway, Xwayland (with the
# children it reaped) and the program over SECONDS, read from /proc, and each fly's steps a
# second while it walks (median, slowest): counted by the program itself, and through XWayland
# also from outside, by a separate X client that counts the moves the X server made.
#
# Usage: bench-wayland-session.sh BENCH SCREENWATCH SECONDS ROUNDS BIG
set -euo pipefail
source "$(dirname "$0")/e2e-wayland-lib.sh"
enter_private_session "the Wayland benchmark" sway Xwayland swaymsg

source "$(dirname "$0")/e2e-lib.sh"
SCREENWATCH=$2
seconds=$3
rounds=$4
big=$5
warmup=3
unset QUILLOP_DISPLAY
export XDG_CACHE_HOME=$work/cache
start_session_bus
cat >"$work/sway.conf" <<'EOF'
output HEADLESS-1 resolution 1920x1080 position 0 0
xwayland enable
seat seat0 fallback true
# The settings window, which shows where there is no tray, keeps out of the way.
for_window [app_id="^quillop"] move scratchpad
for_window [class="^Quillop$"] move scratchpad
EOF
start_sway
export DISPLAY=:0
# XWayland starts with the first X client.
wait_until "XWayland did not start (log: $work/sway.log)" x_answers
mkdir -p "$XDG_CONFIG_HOME/QuillopPro"
# settings FLIES: the program's settings file asks for FLIES flies, at most the 99 it allows;
# the benchmark's program adds the rest as "Add fly" adds them.
settings() {
    printf '[General]\nFlies=%s\nOnTop=1\nStartup=0\n' $(($1 < 99 ? $1 : 99)) \
        >"$XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf"
}

# ticks PID [CHILDREN]: the CPU ticks of a process (user and system), with those of the
# children it reaped when asked; 0 when it is gone.
ticks() {
    awk -v children="${2:-}" '{sub(/^.*\) /, ""); print $12 + $13 + (children ? $14 + $15 : 0)}' \
        "/proc/$1/stat" 2>/dev/null || echo 0
}
# xwayland_ticks: the ticks of every Xwayland, with their reaped children.
xwayland_ticks() {
    local pid sum=0
    for pid in $(pgrep -x Xwayland); do
        sum=$((sum + $(ticks "$pid" children)))
    done
    echo "$sum"
}

# run DISPLAY FLIES: one run; appends a row to $work/table.
run() {
    local display=$1 flies=$2 program watcher="" hz s0 x0 p0 s1 x1 p1 own outside=-
    hz=$(getconf CLK_TCK)
    settings "$flies"
    QUILLOP_DISPLAY=$display QUILLOP_BENCH_RUN=$((warmup + seconds + 1)) \
        QUILLOP_BENCH_FLIES=$flies QUILLOP_BENCH_SPREAD=1 \
        QUILLOP_BENCH_STEPS="$warmup $seconds" "$QUILLOP" >"$work/run.log" 2>&1 &
    program=$!
    if [ "$display" = x11 ]; then
        "$SCREENWATCH" "$warmup" "$seconds" 0 "$program" "program:$program" \
            >"$work/watch.log" 2>&1 &
        watcher=$!
    fi
    # NOTE: a benchmark measures over a set time: these sleeps are its window, not waits.
    sleep "$warmup"
    s0=$(ticks "$sway_pid") x0=$(xwayland_ticks) p0=$(ticks "$program")
    sleep "$seconds"
    s1=$(ticks "$sway_pid") x1=$(xwayland_ticks) p1=$(ticks "$program")
    wait "$program" || echo "the program ended with exit code $?" >&2
    [ -z "$watcher" ] || wait "$watcher" || true
    grep -q "flies on $display" "$work/run.log" ||
        fail "the program did not take $display: $(head -n 1 "$work/run.log")"
    # Anything else the program said goes under the table.
    grep -v "^Quillop: flies on\|^steps per second" "$work/run.log" | sort | uniq -c |
        sed "s/^ */$display, $flies flies: /" >>"$work/said" || true
    own=$(sed -n 's/.*walking (the program.s own count): min \([0-9.]*\), median \([0-9.]*\).*/\2 \/ \1/p' \
        "$work/run.log")
    [ -z "$watcher" ] || outside=$(sed -n 's/.*walking: min \([0-9.]*\), median \([0-9.]*\).*/\2 \/ \1/p' \
        "$work/watch.log")
    awk -v d="$display" -v f="$flies" -v own="${own:--}" -v out="${outside:--}" -v hz="$hz" \
        -v t="$seconds" -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v p=$((p1 - p0)) 'BEGIN {
        k = 100 / hz / t
        printf "| %s | %d | %s | %s | %.1f %% | %.1f %% | %.1f %% | %.1f %% |\n", d, f, own, out,
            s * k, x * k, p * k, (s + x + p) * k }' | tee -a "$work/table"
}

# frames FLIES: a short run of its own on the native overlay with the Wayland messages logged
# (which costs CPU, so no other figure comes from it): the frames the overlay committed a second,
# the pixels each frame told the compositor to draw again, and the rectangles of input regions
# sent a frame.
frames() {
    settings "$1"
    QUILLOP_BENCH_RUN=$((warmup + 5)) QUILLOP_BENCH_FLIES=$1 QUILLOP_BENCH_SPREAD=1 \
        WAYLAND_DEBUG=1 "$QUILLOP" >"$work/frames.log" 2>&1 || true
    awk -v warmup="$warmup" '
        match($0, /^\[ *[0-9.]+\]/) { t = substr($0, RSTART + 1, RLENGTH - 2) + 0
            if (start == "") start = t }
        /get_layer_surface\(.*"quillop"\)/ { match($0, /wl_surface@[0-9]+/)
            surface = substr($0, RSTART, RLENGTH) }
        surface == "" || t < start + warmup * 1000 { next }
        index($0, surface ".damage_buffer(") { sub(/.*damage_buffer\(/, ""); split($0, a, /[ ,)]+/)
            area += a[3] * a[4]; rects++ }
        index($0, surface ".commit()") { commits++; if (first == "") first = t; last = t }
        / -> wl_region@[0-9]+\.add\(/ { adds++ }
        END { if (commits > 1) printf "%.1f frames a second, %.1f rectangles of %.0f pixels in" \
            " all drawn again and %.0f rectangles of input region a frame\n",
            (commits - 1) * 1000 / (last - first), rects / commits, area / commits, adds / commits
            else print "no frames" }' "$work/frames.log"
}

for ((round = 1; round <= rounds; round++)); do
    run x11 99
    run wayland 99
done
run wayland "$big"
echo
echo "headless sway 1.7 (pixman), 1920 x 1080, flies scattered at the start; CPU over $seconds s" \
    "after $warmup s, in % of one core"
echo
echo "| flies through | flies | steps/s per fly, program's count (median / slowest) |" \
    "the same counted from outside | sway | Xwayland | program | all three |"
echo "|---|---|---|---|---|---|---|---|"
cat "$work/table"
[ ! -s "$work/said" ] || sed 's/^/- the program said (times, text): /' "$work/said"
echo
echo "the native overlay with 99 flies: $(frames 99)"
echo "the native overlay with $big flies: $(frames "$big")"
