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

# check_start_race: after the program was killed, two starts at once leave one program with one
# set of flies, whose settings window the other start brings forward before it ends with 0.
# NOTE: the starts run under strace, which slows every unlink by 0.3 s: the one removing what
# the killed program left then takes so long that the other meets it there every time.
check_start_race() {
    local slow=(strace -D -f -qq -o /dev/null -e trace=unlink -e inject=unlink:delay_enter=300000)
    if ! "${slow[@]}" true 2>/dev/null; then
        echo "SKIP two starts after a kill: strace cannot trace here"
        return 0
    fi
    start_quillop
    wait_for_flies 3 -eq
    kill -KILL "$quillop_pid"
    { wait "$quillop_pid" || true; } 2>/dev/null
    wait_until "the killed program's flies stayed" flies_gone
    "${slow[@]}" "$QUILLOP" >"$work/race1.log" 2>&1 &
    race=($!)
    "${slow[@]}" "$QUILLOP" >"$work/race2.log" 2>&1 &
    race+=($!)
    started+=("${race[@]}")
    wait_until "both starts after a kill went on running" race_ended
    wait "${race[0]}" ||
        fail "a start after a kill ended with $? (log: $work/race1.log) (log: $work/race2.log)"
    quillop_pid=${race[1]}
    wait_for_window --classname TfrmMain >/dev/null
    wait_for_flies 3 -eq
    kill -TERM "$quillop_pid"
    wait_for_exit
    echo "two starts after a kill: one program with 3 flies, the other start handed over"
}
flies_gone() {
    [ -z "$(fly_positions)" ]
}
# race_ended: true once one of the two starts in $race ended, which is then ${race[0]}.
race_ended() {
    kill -0 "${race[1]}" 2>/dev/null || race=("${race[1]}" "${race[0]}")
    ! kill -0 "${race[0]}" 2>/dev/null
}
check_start_race

# check_foreign_folder: without a runtime folder the lock and the socket lie in the user's own
# folder in the temporary folder. Another user who made that folder first, and listens on a
# socket beside it, is refused with a message on stderr, and the program runs alone.
check_foreign_folder() {
    local other=(setpriv --reuid=nobody --regid=nogroup --clear-groups) tmp=$work/tmp
    local name=quillop-$(id -u)
    if ! "${other[@]}" true 2>/dev/null; then
        echo "SKIP another user's folder: cannot run as nobody here"
        return 0
    fi
    chmod 711 "$work"
    mkdir -m 1777 "$tmp"
    "${other[@]}" mkdir "$tmp/$name"
    "${other[@]}" /usr/bin/python3 -c 'import socket, sys
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
s.listen()
while True:
    s.accept()[0].close()' "$tmp/$name-${DISPLAY//:/_}" &
    started+=($!)
    wait_until "the other user's socket was not made" test -S "$tmp/$name-${DISPLAY//:/_}"
    XDG_RUNTIME_DIR='' TMPDIR=$tmp start_quillop
    wait_for_flies 3 -eq
    grep -q "$tmp/$name belongs to another user" "$work/quillop.log" ||
        fail "another user's $tmp/$name was not refused"
    kill -TERM "$quillop_pid"
    wait_for_exit
    echo "another user's folder: refused with a message, the program runs"
}
check_foreign_folder

# Without a display the reason goes to stderr and to the desktop's notifications.
start_session_bus
dbus-monitor "interface='org.freedesktop.Notifications',member='Notify'" >"$work/notify.log" 2>&1 &
started+=($!)
wait_until "dbus-monitor did not start (log: $work/notify.log)" \
    grep -qs NameAcquired "$work/notify.log"
status=0
output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u QUILLOP_DISPLAY "$QUILLOP" 2>&1) || status=$?
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
