#!/usr/bin/env bash
# The start and the end of the program. SIGTERM, SIGINT and SIGHUP close it as "Exit" does:
# exit code 0 and every window gone. A second start on the same display brings the running
# program's settings window back and ends; QT_QPA_PLATFORM=wayland does not keep the program off
# X. Without an X display it says so on stderr and in a desktop notification and exits with 1. On a
# screen that cannot show per-pixel alpha (no Composite extension), the first fly window cannot
# be made: an "Application Error" box reports it, and after its OK the exit code is 1.
source "$(dirname "$0")/e2e-lib.sh"

start_display 53 640 480

for signal in TERM INT HUP; do
    start_quillop
    wait_for_flies 3
    # The flies walk first, so the close meets running timers.
    wait_for_moves 1
    kill -s "$signal" "$quillop_pid"
    wait_for_exit "SIG$signal"
    [ "$(fly_positions | wc -l)" -eq 0 ] || fail "fly windows were left after SIG$signal"
    [ -z "$(xdotool search --classname TfrmMain)" ] || fail "the main window was left after SIG$signal"
    echo "SIG$signal: exit code 0, no window left"
done

# A second start on the same display: the running program's settings window comes back (here,
# without a tray, after OK hid it) and the new process ends with 0, leaving the flies alone. The
# first start is told to use Qt's Wayland platform, as some sessions tell every Qt program, and
# runs on X all the same.
QT_QPA_PLATFORM=wayland
export QT_QPA_PLATFORM
start_quillop
unset QT_QPA_PLATFORM
wait_for_flies 3 -eq
press_settings_ok
echo "QT_QPA_PLATFORM=wayland: 3 flies on X"
check_second_start 3
kill -TERM "$quillop_pid"
wait_for_exit

# Without a display the reason goes to stderr and to the desktop's notifications.
start_session_bus
dbus-monitor "interface='org.freedesktop.Notifications',member='Notify'" >"$work/notify.log" 2>&1 &
started+=($!)
wait_until "dbus-monitor did not start (log: $work/notify.log)" \
    grep -qs NameAcquired "$work/notify.log"
status=0
output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$QUILLOP" 2>&1) || status=$?
[ "$status" -eq 1 ] || fail "without a display quillop should exit with 1, not $status"
[[ $output == *"needs an X11 display"* ]] || fail "without a display quillop said: $output"
wait_until "without a display no notification was sent (log: $work/notify.log)" \
    grep -qs 'needs an X11 display' "$work/notify.log"
echo "no display: exit code 1, \"$output\", and the same as a desktop notification"

stop_started
start_xvfb 55 -screen 0 640x480x24 -extension Composite
start_quillop
box=$(wait_for_window --name '^Application Error$')
kill -0 "$quillop_pid" || fail "quillop ended before its start-up report was closed"
xdotool windowfocus --sync "$box" key Return
wait_for_exit "OK on the start-up report" 1
echo "failed start-up: \"Application Error\" box, exit code 1 after OK"
echo "PASS"
