# Shared steps of the Linux end-to-end tests; sourced by each e2e-*.sh.
# The test's arguments: the quillop program and the backdrop test window.
set -euo pipefail

QUILLOP=$1
TESTWINDOW=$2
work=$(mktemp -d /tmp/quillop-e2e.XXXXXX)
started=()
# The program's settings and autostart entry stay inside the test's own folder.
export XDG_CONFIG_HOME=$work/config
# The program meets no session bus but one the test starts (start_session_bus): not the
# desktop's, whose tray would take its icon, and not one that libdbus would start through
# dbus-launch (dbus-x11) and leave behind with files in the home folder.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus
# The flies go through X11 (Xvfb, or XWayland on the Wayland desktops) even where the desktop the
# tests run in offers the layer shell; the native Wayland test chooses for itself.
export QUILLOP_DISPLAY=x11

# Kills everything started so far, newest first; what has not ended 5 s after SIGTERM (KWin
# whose Xwayland ended), with SIGKILL. A stopped process (SIGSTOP) is let go on first.
stop_started() {
    local i
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        if kill "${started[i]}" 2>/dev/null; then
            kill -CONT "${started[i]}" 2>/dev/null || true
            (
                sleep 5
                kill -KILL "${started[i]}"
            ) >/dev/null 2>&1 &
            { wait "${started[i]}" || true; } 2>/dev/null
            kill $! 2>/dev/null || true
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

# fail WHAT: ends the test, saying WHAT, with the end of the program's output and of each log
# named "(log: PATH)" in WHAT, as the test's folder goes with it.
fail() {
    local log
    echo "FAIL: $*" >&2
    for log in "$work/quillop.log" $(grep -o '(log: [^)]*)' <<<"$*" | cut -c7- | tr -d ')'); do
        [ -s "$log" ] || continue
        echo "--- the end of $(basename "$log"):" >&2
        tail -n 20 "$log" >&2
    done
    exit 1
}

# poll SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds (true) or SECONDS have
# passed (false).
poll() {
    local end=$((${EPOCHREALTIME/./} + $1 * 1000000))
    shift
    until "$@"; do
        ((${EPOCHREALTIME/./} < end)) || return 1
        sleep 0.05
    done
}

# wait_until [-t SECONDS] WHAT COMMAND...: polls COMMAND for up to SECONDS (20 unless given);
# fails saying WHAT.
wait_until() {
    local seconds=20
    if [ "$1" = -t ]; then
        seconds=$2
        shift 2
    fi
    local what=$1
    shift
    poll "$seconds" "$@" || fail "$what"
}

# ended PID: true once the process has ended.
ended() {
    ! kill -0 "$1" 2>/dev/null
}

# A test's display number: its own, moved by QUILLOP_DISPLAY_OFFSET so that several checkouts
# can run their tests side by side.
display_number() {
    echo $(($1 + ${QUILLOP_DISPLAY_OFFSET:-0}))
}

# free_display NUMBER: true when display NUMBER is free, or was held by the X server of a test
# that was killed (its lock names no process, or an Xvfb left without its parent), which is
# then ended.
free_display() {
    local lock=/tmp/.X$1-lock pid
    [ -e "$lock" ] || return 0
    pid=$(tr -d ' ' <"$lock" 2>/dev/null) || return 1
    [ -n "$pid" ] || return 1
    kill -0 "$pid" 2>/dev/null || return 0
    [ "$(ps -o ppid= -p "$pid" | tr -d ' ')" = 1 ] && [ "$(ps -o comm= -p "$pid")" = Xvfb ] ||
        return 1
    kill "$pid"
    poll 5 ended "$pid"
}

# start_xvfb NUMBER XVFB_ARGS...: Xvfb alone on the test's display NUMBER, which becomes
# $DISPLAY; returns once it answers, with its size in $screen_width and $screen_height.
start_xvfb() {
    local number
    number=$(display_number "$1")
    shift
    free_display "$number" || fail "display :$number is in use (/tmp/.X$number-lock)"
    export DISPLAY=:$number
    Xvfb ":$number" "$@" -noreset -nolisten tcp >"$work/xvfb.log" 2>&1 &
    started+=($!)
    wait_until "Xvfb did not start on :$number (log: $work/xvfb.log)" screen_size
}
# screen_size: reads the display's size into $screen_width and $screen_height once it answers.
screen_size() {
    read -r screen_width screen_height < <(xdpyinfo 2>/dev/null |
        awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')
}

# start_session_bus: a private D-Bus session bus, which becomes $DBUS_SESSION_BUS_ADDRESS.
start_session_bus() {
    dbus-daemon --session --nofork --nopidfile --address="unix:path=$work/bus" \
        --print-address=1 >"$work/bus.address" 2>"$work/dbus.log" &
    started+=($!)
    wait_until "dbus-daemon did not start (log: $work/dbus.log)" test -s "$work/bus.address"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus.address")
    export DBUS_SESSION_BUS_ADDRESS
}

# start_display NUMBER WIDTH HEIGHT [RIGHT_MARGIN BOTTOM_MARGIN]: Xvfb with openbox; the
# margins shrink openbox's work area.
start_display() {
    local right=${4:-0} bottom=${5:-0}
    start_xvfb "$1" -screen 0 "${2}x${3}x24"
    sed -e "/<margins>/,/<\/margins>/{s|<right>[0-9]*</right>|<right>$right</right>|;" \
        -e "s|<bottom>[0-9]*</bottom>|<bottom>$bottom</bottom>|}" \
        /etc/xdg/openbox/rc.xml >"$work/rc.xml"
    openbox --config-file "$work/rc.xml" >"$work/openbox.log" 2>&1 &
    started+=($!)
    wait_until "openbox did not start (log: $work/openbox.log)" window_manager_runs
}
window_manager_runs() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# start_testwindow LOG X Y WIDTH HEIGHT RRGGBB [above]: a coloured test window, logging the
# clicks that reach it to $work/LOG; its pid is in $testwindow_pid once it is mapped.
start_testwindow() {
    local log=$work/$1
    shift
    "$TESTWINDOW" "$@" >"$log" 2>&1 &
    testwindow_pid=$!
    started+=($testwindow_pid)
    wait_until "the test window ($*) did not appear (log: $log)" grep -qs ready "$log"
}

# start_backdrop COLOUR: a full-screen window of that colour (RRGGBB) below everything, logging
# the clicks that reach it to $work/backdrop.log.
start_backdrop() {
    start_testwindow backdrop.log 0 0 "$screen_width" "$screen_height" "$1"
}

# start_quillop: runs the program in the background; its pid is in $quillop_pid.
start_quillop() {
    # Emptied here: the background's own redirection may come after the first look at the log.
    : >"$work/quillop.log"
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

# watch_root: keeps the X server's own account of every window made or moved on the root, which
# a look at the tree misses when a fly steps off its place between two looks. Start it before
# the program.
watch_root() {
    stdbuf -oL xev -root -event substructure -event property >"$work/root.log" 2>&1 &
    started+=($!)
    wait_until "xev did not start listening on the root window" root_watched
}
root_watched() {
    xprop -root -f _QUILLOP_TEST_MARK 8s -set _QUILLOP_TEST_MARK 1
    grep -q _QUILLOP_TEST_MARK "$work/root.log"
}

# first_fly_places COUNT: waits up to 10 s until watch_root saw COUNT fly windows placed, and
# fills the array first with "LEFT TOP WIDTH HEIGHT" of each at its first place off (0, 0),
# where a fly window is made.
declare -A first=()
first_fly_places() {
    wait_until "the X server did not place $1 fly windows within 10 s" fly_places_count "$1"
}
fly_places_count() {
    local flies id place
    flies=" $(fly_positions | cut -d' ' -f1 | tr '\n' ' ')"
    first=()
    while read -r id place; do
        [[ $flies == *" $id "* ]] && first[$id]=$place
    done < <(awk 'match($0, /window 0x[0-9a-f]+, \(-?[0-9]+,-?[0-9]+\), width [0-9]+, height [0-9]+/) {
        split(substr($0, RSTART + 7, RLENGTH - 7), at, /[,() ]+/)
        if (!(at[1] in seen) && at[2] " " at[3] != "0 0") {
            seen[at[1]] = 1
            print at[1], at[2], at[3], at[5], at[7]
        }
    }' "$work/root.log")
    ((${#first[@]} == $1))
}

# wait_for_flies COUNT [-ge|-eq]: waits until at least (or exactly) that many fly windows
# exist, hidden ones included.
wait_for_flies() {
    poll 20 fly_count "${2:--ge}" "$1" ||
        fail "expected $1 fly windows, found $(fly_positions | wc -l)"
}
# fly_count -ge|-eq COUNT: true when there are at least (or exactly) COUNT fly windows.
fly_count() { test "$(fly_positions | wc -l)" "$1" "$2"; }

# wait_for_moves [COUNT]: waits until the flies have moved COUNT times (1 unless given), one
# look at the screen after another: the program has gone round its loop since, and handled
# what was sent to it before.
wait_for_moves() {
    moves_left=${1:-1}
    last_places=$(fly_positions)
    wait_until "the flies stood still for 20 s" moved_enough
}
moved_enough() {
    local now
    now=$(fly_positions)
    [ "$now" = "$last_places" ] || moves_left=$((moves_left - 1))
    last_places=$now
    ((moves_left <= 0))
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

# work_area: "LEFT TOP WIDTH HEIGHT" of the root's _NET_WORKAREA.
work_area() {
    xprop -root _NET_WORKAREA | awk -F'[=,]' '{gsub(/ /, ""); print $2, $3, $4, $5}'
}

# start_tray: trayer at the top right of the screen, a system tray for the program's icon.
start_tray() {
    trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
        >"$work/trayer.log" 2>&1 &
    started+=($!)
    wait_until "trayer did not start (log: $work/trayer.log)" tray_panel_shown
}
tray_panel_shown() {
    [[ $(xwininfo -root -tree 2>/dev/null) == *'"panel": ("panel" "trayer")'* ]]
}

# tray_icon: "X Y", the middle of the program's icon docked in the tray; empty when none.
tray_icon() {
    xwininfo -root -tree 2>/dev/null | awk '/\("quillop" "Quillop"\)/ && !/"frmPngFly/ {
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
# prints it.
wait_for_window() {
    poll 20 visible_window "$@" || fail "no visible window for: $*"
}
visible_window() {
    local found
    found=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n 1) || true
    [ -n "$found" ] && echo "$found"
}

# settings_window: the settings window when it is shown, else nothing.
settings_window() {
    xdotool search --onlyvisible --classname TfrmMain 2>/dev/null | head -n 1 || true
}

# settings_window_shown: true while the settings window is shown.
settings_window_shown() {
    [ -n "$(settings_window)" ]
}

# window_origin ID: "X Y" of a window's top-left corner on the screen.
window_origin() {
    xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {print x, $4}'
}

# layout_place NAME: "LEFT TOP WIDTH HEIGHT" of a place in the settings window, as the program
# lays it out (kOkPlace, in its client area).
layout_place() {
    sed -n "s/.*$1{\\(.*\\)};/\\1/p" "$layout_header" | tr -d ,
}
layout_header=$(dirname "${BASH_SOURCE[0]}")/../../main/SettingsLayout.h
[ -r "$layout_header" ] || fail "the settings window's layout is not at $layout_header"
read -r ok_left ok_top ok_width ok_height < <(layout_place kOkPlace)

# press_settings_ok: a click on OK in the shown settings window; waits until it hides.
press_settings_ok() {
    local window x y attempt
    window=$(wait_for_window --classname TfrmMain)
    for ((attempt = 0; attempt < 3; attempt++)); do
        # NOTE: the window manager may still be placing a window just shown (sway centres
        # floating windows): the click goes where it stood still for 0.2 s.
        poll 5 window_settled "$window" || true
        read -r x y <<<"$settled_at"
        ((x += ok_left + ok_width / 2, y += ok_top + ok_height / 2))
        # The flies start at the screen's centre, where a window manager puts the settings
        # window too: a fly walking over OK takes the click. Wait until none stands within
        # 45 px of it (15 steps of a walk), and click again if one came all the same.
        poll 10 no_fly_near "$x" "$y" 45 || true
        xdotool mousemove "$x" "$y" click 1
        poll 5 settings_window_hidden && return 0
    done
    fail "OK did not hide the settings window"
}
# window_settled ID: true when the window stood still for 0.2 s, at $settled_at.
window_settled() {
    settled_at=$(window_origin "$1")
    sleep 0.2
    [ "$(window_origin "$1")" = "$settled_at" ]
}
# no_fly_near X Y MARGIN: true when no fly window comes within MARGIN pixels of the point.
no_fly_near() {
    fly_positions | awk -v x="$1" -v y="$2" -v m="$3" '$2 - m <= x && x < $2 + $4 + m &&
        $3 - m <= y && y < $3 + $5 + m { found = 1 } END { exit found }'
}
settings_window_hidden() { [ -z "$(settings_window)" ]; }

# wait_for_exit [WHAT] [STATUS]: waits for the program to end after WHAT asked it to; fails
# unless its exit code is STATUS (0 unless given).
wait_for_exit() {
    local status=0 what=${1:-the close}
    # Where it waits tells a program idle in its loop (poll) from one stuck on its way out.
    poll 20 ended "$quillop_pid" || fail "$what did not end quillop within 20 s" \
        "(it waits in $(cat "/proc/$quillop_pid/wchan" 2>/dev/null))"
    wait "$quillop_pid" || status=$?
    [ "$status" -eq "${2:-0}" ] ||
        fail "$what ended quillop with exit code $status, not ${2:-0}"
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

# clear_fly SIDE POSITIONS: true when a fly of SIDE x SIDE in POSITIONS (as fly_positions
# prints them) stands wholly on screen below a 24-pixel panel with no other fly nearer than
# SIDE on both axes; sets $left and $top to its place.
clear_fly() {
    local id l t w
    while read -r id l t w _; do
        ((w == $1 && l >= 0 && t >= 24 && l + w <= screen_width && t + w <= screen_height)) ||
            continue
        if awk -v id="$id" -v l="$l" -v t="$t" -v w="$w" '$1 != id && (($2 - l)^2 < w^2 &&
                ($3 - t)^2 < w^2) {near = 1} END {exit near}' <<<"$2"; then
            left=$l
            top=$t
            return 0
        fi
    done <<<"$2"
    return 1
}

# shoot_still_fly NAME SIDE: a screenshot of the screen ($work/NAME.png) while a clear fly
# (clear_fly) of SIDE x SIDE stands still; sets $left and $top to that fly's place.
shoot_still_fly() {
    wait_until "no fly stood still on screen, clear of the others, for a screenshot" \
        still_fly_shot "$@"
}
still_fly_shot() {
    local before after
    before=$(fly_positions)
    import -window root "$work/$1.png"
    after=$(fly_positions)
    [ "$before" = "$after" ] && clear_fly "$2" "$after"
}

# check_activations ITEM: one activation of the tray icon ITEM through the tray's watcher
# brings nothing, two in a row bring the settings window.
check_activations() {
    "$SNIWATCHER" activate "$1" 1 || fail "the icon did not take an activation"
    # NOTE: nothing can be awaited for something that must not happen; a second is far more
    # than the program takes to show the window.
    sleep 1
    [ -z "$(settings_window)" ] || fail "a single activation brought the settings window"
    "$SNIWATCHER" activate "$1" 2 || fail "the icon did not take two activations"
    wait_for_window --classname TfrmMain >/dev/null
    echo "one activation: nothing; two in a row: the settings window"
}

# check_second_start FLIES: starting the program again while it runs ends the new process with
# 0, shows the running one's settings window and leaves its FLIES flies alone.
check_second_start() {
    local status=0
    timeout 10 "$QUILLOP" >"$work/second.log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || fail "the second start ended with $status: $(cat "$work/second.log")"
    wait_for_window --classname TfrmMain >/dev/null
    sleep 0.5
    [ "$(fly_positions | wc -l)" -eq "$1" ] ||
        fail "the second start changed the flies to $(fly_positions | wc -l)"
    kill -0 "$quillop_pid" || fail "the running program ended at the second start"
    echo "second start: exit code 0, the running program's settings window shown, still $1 flies"
}
