#!/usr/bin/env bash
# Fly windows bypass the window manager: openbox never lists them, and the program itself keeps
# top-most flies above a normal window the user raises, while flies that are not top-most stay
# below it. After 99 flies end, a new start shows its first fly at once.
source "$(dirname "$0")/e2e-lib.sh"

start_display 59 800 600
mkdir -p "$XDG_CONFIG_HOME/QuillopPro"

# settings FLIES ONTOP: the stored settings of the next start.
settings() {
    printf '[General]\nFlies=%s\nOnTop=%s\nStartup=0\n' "$1" "$2" \
        >"$XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf"
}

# no_listed_fly: fails when openbox lists a fly among the windows it manages.
no_listed_fly() {
    local listed id
    listed=$(xprop -root _NET_CLIENT_LIST)
    while read -r id _; do
        [[ $listed != *"$(printf '0x%x' "$id")"* ]] || fail "openbox manages fly $id: $listed"
    done < <(fly_positions)
}

# raise_normal: activates and raises the normal window, as a click on it would, after the
# settings window (open for want of a tray) was activated, so that openbox restacks.
raise_normal() {
    local other
    other=$(settings_window)
    [ -z "$other" ] || xdotool windowactivate --sync "$other" 2>/dev/null || true
    xdotool windowactivate --sync "$normal" 2>/dev/null || true
    xdotool windowraise "$normal"
}

# above_normal: every fly stands above the normal window's frame.
above_normal() {
    flies_above "$(frame_of "$normal")"
}

# back_above HOW: the top-most flies stand above the normal window again within 100 ms after it
# came above them (quillop_raisecheck HOW).
back_above() {
    local report
    report=$("$RAISECHECK" "$1" "$normal") || fail "$report"
    echo "$report"
    [[ $report =~ after\ ([0-9]+)\ ms ]] || return 0
    ((BASH_REMATCH[1] <= 100)) || fail "the flies took ${BASH_REMATCH[1]} ms to come back on top"
}

RAISECHECK=$(dirname "$TESTWINDOW")/quillop_raisecheck
xmessage -geometry 500x400+150+100 "a normal window" >/dev/null 2>&1 &
started+=($!)
normal=$(wait_for_window --name '^xmessage$')

# Flies that are not top-most stand at the top of the managed windows, so the window the user
# raises next covers them.
settings 3 0
start_quillop
wait_for_flies 3
wait_until "new flies that are not top-most should start above" above_normal
raise_normal
# The flies' steps show that the program has seen the raise.
wait_for_moves 3
xwininfo -root -children | awk -v frame="$(frame_of "$normal")" '
    $1 == frame { passed = 1 } /"frmPngFly[0-9]*"/ && !passed { exit 1 }' ||
    fail "a fly that is not top-most stands above the raised window"
echo "flies that are not top-most stay below the raised window"
kill "$quillop_pid"
wait_for_exit "SIGTERM"

# 99 top-most flies, never listed by openbox and above the window it raises; after they end, a
# new start shows a fly at once.
settings 99 1
start_quillop
wait_for_flies 99
for ((i = 0; i < 5; i++)); do
    no_listed_fly
    wait_for_moves 5
done
raise_normal
wait_until "the top-most flies are below the raised window" above_normal
kill "$quillop_pid"
wait_for_exit "SIGTERM"
settings 1 1
start_quillop
first_fly_shown() {
    local id
    id=$(fly_positions | awk '{print $1; exit}')
    [ -n "$id" ] && [ "$(map_state "$id")" = IsViewable ]
}
wait_until -t 10 "after 99 flies ended, a new start showed no fly within 10 s" \
    first_fly_shown
echo "after 99 flies ended, a new start showed its first fly"

# A new window manager frames the normal window anew, on top: the fly comes back above it. With
# no window manager left, the window raises itself three times, and the fly follows each time.
openbox --replace --config-file "$work/rc.xml" >"$work/openbox2.log" 2>&1 &
wm=$!
started+=($wm)
back_above wait
kill "$wm"
wait "$wm" 2>/dev/null || true
# NOTE: these waits belong to the durations measured: each measurement starts with the flies'
# restack budget (five a second) free, or it would measure the wait for the budget too.
sleep 1
for round in 1 2 3; do
    back_above raise
    sleep 0.2
done
kill -0 "$quillop_pid" || fail "quillop ended by itself"
echo "PASS"
