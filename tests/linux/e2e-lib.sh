# Shared steps of the Linux end-to-end tests; sourced by each e2e-*.sh.
# The test's arguments: the quillop program and the backdrop test window.
set -euo pipefail

QUILLOP=$1
TESTWINDOW=$2
work=$(mktemp -d /tmp/quillop-e2e.XXXXXX)
started=()
# The program's settings and autostart entry stay inside the test's own folder.
export XDG_CONFIG_HOME=$work/config

# Kills everything started so far, newest first.
stop_started() {
    local i
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        if kill "${started[i]}" 2>/dev/null; then
            { wait "${started[i]}" || true; } 2>/dev/null
        fi
    done
    started=()
}

# Stops everything the test started and removes its folder, even when the test failed.
cleanup() {
    stop_started
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP PIPE

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$work/quillop.log" ]; then
        echo "--- quillop's output:" >&2
        tail -n 20 "$work/quillop.log" >&2
    fi
    exit 1
}

# A test's display number: its own, moved by QUILLOP_DISPLAY_OFFSET so that several checkouts
# can run their tests side by side.
display_number() {
    echo $(($1 + ${QUILLOP_DISPLAY_OFFSET:-0}))
}

# start_xvfb NUMBER XVFB_ARGS...: Xvfb alone on the test's display NUMBER, which becomes
# $DISPLAY; returns once it answers.
start_xvfb() {
    local number i
    number=$(display_number "$1")
    shift
    [ ! -e "/tmp/.X$number-lock" ] || fail "display :$number is in use (/tmp/.X$number-lock)"
    export DISPLAY=:$number
    Xvfb ":$number" "$@" -noreset -nolisten tcp >"$work/xvfb.log" 2>&1 &
    started+=($!)
    for ((i = 0; i < 50; i++)); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "Xvfb did not start on :$number ($(cat "$work/xvfb.log"))"
}

# start_display NUMBER WIDTH HEIGHT [RIGHT_MARGIN BOTTOM_MARGIN]: Xvfb with openbox; the
# margins shrink openbox's work area.
start_display() {
    local right=${4:-0} bottom=${5:-0} i
    start_xvfb "$1" -screen 0 "${2}x${3}x24"
    sed -e "/<margins>/,/<\/margins>/{s|<right>[0-9]*</right>|<right>$right</right>|;" \
        -e "s|<bottom>[0-9]*</bottom>|<bottom>$bottom</bottom>|}" \
        /etc/xdg/openbox/rc.xml >"$work/rc.xml"
    openbox --config-file "$work/rc.xml" >"$work/openbox.log" 2>&1 &
    started+=($!)
    for ((i = 0; i < 50; i++)); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    fail "openbox did not start"
}

# start_testwindow LOG X Y WIDTH HEIGHT RRGGBB [above]: a coloured test window, logging the
# clicks that reach it to $work/LOG; its pid is in $testwindow_pid once it is mapped.
start_testwindow() {
    local log=$work/$1 i
    shift
    "$TESTWINDOW" "$@" >"$log" 2>&1 &
    testwindow_pid=$!
    started+=($testwindow_pid)
    for ((i = 0; i < 50; i++)); do
        grep -qs ready "$log" && return 0
        sleep 0.1
    done
    fail "the test window ($*) did not appear"
}

# start_backdrop COLOUR: a full-screen window of that colour (RRGGBB) below everything, logging
# the clicks that reach it to $work/backdrop.log.
start_backdrop() {
    local size
    size=$(xdpyinfo | awk '/dimensions:/ {print $2}')
    start_testwindow backdrop.log 0 0 "${size%x*}" "${size#*x}" "$1"
}

# start_quillop: runs the program in the background; its pid is in $quillop_pid.
start_quillop() {
    "$QUILLOP" >"$work/quillop.log" 2>&1 &
    quillop_pid=$!
    started+=($quillop_pid)
}

# fly_positions: one line per fly window, "ID LEFT TOP WIDTH HEIGHT", from one look at the tree.
fly_positions() {
    xwininfo -root -tree 2>/dev/null | awk '/"frmPngFly[0-9]*":/ {
        size = ""; abs = ""
        for (i = 1; i <= NF; i++) {
            if ($i ~ /^[0-9]+x[0-9]+[+-]/) size = $i
            if ($i ~ /^\+-?[0-9]+\+-?[0-9]+$/) abs = $i
        }
        split(size, wh, /[x+]/)
        gsub(/\+/, " ", abs)
        print $1, abs, wh[1], wh[2]
    }'
}

# wait_for_flies COUNT [-ge|-eq]: waits until at least (or exactly) that many fly windows
# exist, hidden ones included; fails after 10 s.
wait_for_flies() {
    local i compare=${2:--ge}
    for ((i = 0; i < 200; i++)); do
        [ "$(fly_positions | wc -l)" "$compare" "$1" ] && return 0
        sleep 0.05
    done
    fail "expected $1 fly windows, found $(fly_positions | wc -l)"
}

# wait_until WHAT COMMAND...: runs COMMAND until it succeeds, for up to 10 s; fails saying WHAT.
wait_until() {
    local what=$1 i
    shift
    for ((i = 0; i < 200; i++)); do
        "$@" && return 0
        sleep 0.05
    done
    fail "$what"
}

# wait_for_moves [COUNT]: waits until the flies have moved COUNT times (1 unless given), one
# look at the screen after another: the program has gone round its loop since, and handled
# what was sent to it before. Fails after 15 s.
wait_for_moves() {
    local count=${1:-1} before now i
    before=$(fly_positions)
    for ((i = 0; i < 300 && count > 0; i++)); do
        sleep 0.05
        now=$(fly_positions)
        [ "$now" = "$before" ] || count=$((count - 1))
        before=$now
    done
    ((count == 0)) || fail "the flies stood still for 15 s"
}

# flies_above FRAME: true when every fly stands above FRAME, a child of the root (xwininfo lists
# the root's children from the top down).
flies_above() {
    xwininfo -root -children | awk -v frame="$1" '
        /"frmPngFly[0-9]*"/ { if (passed) below = 1; next }
        $1 == frame { passed = 1 }
        END { exit !(passed && !below) }'
}

# frame_of WINDOW: the root's child that holds WINDOW (openbox's frame around it).
frame_of() {
    local window=$1 parent root
    root=$(xwininfo -root | awk '/Window id:/ {print $4}')
    while parent=$(xwininfo -id "$window" -tree | awk '/Parent window id:/ {print $4}') &&
        [ -n "$parent" ] && [ "$parent" != "$root" ]; do
        window=$parent
    done
    echo "$window"
}

# map_state ID: IsViewable, IsUnMapped or IsUnviewable.
map_state() {
    xwininfo -id "$1" | awk '/Map State:/ {print $3}'
}

# work_area: "WIDTH HEIGHT" of the root's _NET_WORKAREA.
work_area() {
    xprop -root _NET_WORKAREA | awk -F'[=,]' '{gsub(/ /, ""); print $4, $5}'
}

# start_tray: trayer at the top right of the screen, a system tray for the program's icon.
start_tray() {
    trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
        >"$work/trayer.log" 2>&1 &
    started+=($!)
    local i tree
    for ((i = 0; i < 50; i++)); do
        tree=$(xwininfo -root -tree 2>/dev/null) || true
        [[ $tree == *'"panel": ("panel" "trayer")'* ]] && return 0
        sleep 0.1
    done
    fail "trayer did not start"
}

# tray_icon: "X Y", the middle of the program's icon docked in the tray; empty when none.
tray_icon() {
    xwininfo -root -tree 2>/dev/null | awk '/"quillop": \("quillop" "quillop"\)/ {
        for (i = 1; i <= NF; i++) {
            if ($i ~ /^[0-9]+x[0-9]+\+0\+0$/) { split($i, wh, /[x+]/) }
            if ($i ~ /^\+-?[0-9]+\+-?[0-9]+$/) { abs = $i }
        }
        if (!found && wh[1] > 0 && wh[1] <= 32) {
            split(abs, xy, "+")
            print xy[2] + int(wh[1] / 2), xy[3] + int(wh[2] / 2)
            found = 1
        }
    }'
}

# wait_for_window ARGS...: waits until `xdotool search --onlyvisible ARGS` finds a window and
# prints it; fails after 10 s.
wait_for_window() {
    local i found
    for ((i = 0; i < 200; i++)); do
        found=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n 1) || true
        [ -n "$found" ] && { echo "$found"; return 0; }
        sleep 0.05
    done
    fail "no visible window for: $*"
}

# settings_window: the settings window when it is shown, else nothing.
settings_window() {
    xdotool search --onlyvisible --class TfrmMain 2>/dev/null | head -n 1 || true
}

# wait_for_exit [WHAT]: waits up to 10 s for the program to end after WHAT asked it to; fails
# unless its exit code is 0.
wait_for_exit() {
    local i status=0 what=${1:-the close}
    for ((i = 0; i < 100; i++)); do
        kill -0 "$quillop_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$quillop_pid" 2>/dev/null && fail "$what did not end quillop within 10 s"
    wait "$quillop_pid" || status=$?
    [ "$status" -eq 0 ] || fail "$what ended quillop with exit code $status, not 0"
}

# message_box: the program's visible message box captioned "Quillop", waiting up to 10 s.
message_box() {
    wait_for_window --name '^Quillop$'
}

# close_box ID: presses OK on a message box.
close_box() {
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    xdotool windowfocus --sync "$1" key Return
}
