#!/usr/bin/env bash
# The settings file and the autostart entry, with a private XDG_CONFIG_HOME, on a desktop
# without a tray (so the settings window opens at start-up). SIGTERM closes the program as
# "Exit" does, which writes the settings.
source "$(dirname "$0")/e2e-lib.sh"

start_display 56 800 600
export XDG_CONFIG_HOME=$work/config
conf=$XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf
autostart=$XDG_CONFIG_HOME/autostart/QuillopPro.desktop

# value NAME: the stored value of NAME, matched without regard to case.
value() {
    awk -F= -v name="$1" 'tolower($1) == tolower(name) {print $2}' "$conf"
}

# run_with_report WHAT: a run whose start reports WHAT in a box before any fly; after its OK,
# three flies, and SIGTERM ends the run. The program runs through "${runas[@]}" when set.
runas=()
run_with_report() {
    "${runas[@]}" "$QUILLOP" >"$work/quillop.log" 2>&1 &
    quillop_pid=$!
    started+=($quillop_pid)
    local box
    box=$(message_box)
    [ "$(fly_positions | wc -l)" -eq 0 ] || fail "flies started before $1 was reported"
    close_box "$box"
    wait_for_flies 3
    kill -0 "$quillop_pid" || fail "quillop ended after reporting $1"
    kill -TERM "$quillop_pid"
    wait_for_exit
}

# A first run with nothing stored, from a folder with a space in its name: three flies, the
# window shown for want of a tray, and the defaults with the autostart entry written at exit.
mkdir -p "$work/my flies"
cp "$QUILLOP" "$work/my flies/quillop"
QUILLOP="$work/my flies/quillop"
start_quillop
wait_for_flies 3
wait_until "without a tray the settings window did not open at start-up" settings_window_shown
[ "$(fly_positions | wc -l)" -eq 3 ] || fail "a first run made $(fly_positions | wc -l) flies, not 3"
# A tray that appears later gets the icon.
start_tray
icon_docked() { [ -n "$(tray_icon)" ]; }
wait_until "the icon did not dock in a tray that appeared later" icon_docked
kill -TERM "$quillop_pid"
wait_for_exit
kill "${started[-1]}"
[ "$(value OnTop)/$(value Startup)/$(value Flies)" = 1/1/3 ] ||
    fail "a first run wrote: $(cat "$conf")"
[ -f "$autostart" ] || fail "no autostart entry after a run with \"Load on startup\""
grep -qx "Exec=\"$work/my flies/quillop\"" "$autostart" ||
    fail "the autostart entry does not run the program's full path: $(grep ^Exec "$autostart")"
grep -qx "Type=Application" "$autostart" || fail "the autostart entry is no application"
echo "first run: 3 flies, the window at start-up, the icon in a later tray, OnTop=1 Startup=1 Flies=3, $(grep ^Exec "$autostart")"

# "startup" in lower case is the same value: off removes the autostart entry.
sed -i 's/^Startup=1$/startup=0/' "$conf"
start_quillop
wait_for_flies 3
kill -TERM "$quillop_pid"
wait_for_exit
[ "$(value Startup)" = 0 ] || fail "\"startup=0\" was written back as: $(cat "$conf")"
[ ! -e "$autostart" ] || fail "the autostart entry stayed with \"Load on startup\" off"
echo "startup=0: read without regard to case, written back as 0, autostart entry removed"

# A value of the wrong type is reported, keeps its default, and the program runs on.
sed -i 's/^Flies=.*$/Flies=abc/' "$conf"
run_with_report Flies=abc
[ "$(value Flies)" = 3 ] || fail "after Flies=abc the default was not written back: $(cat "$conf")"
echo "Flies=abc: a message box, three flies, Flies=3 written back"

# A stop signal while a report of the reading is open ends the program at once, and the file
# stays as it was: no default is written over a value that was not read yet.
printf '[General]\nOnTop=maybe\nStartup=0\nFlies=12\n' >"$conf"
cp "$conf" "$work/stored.conf"
for signal in TERM INT HUP; do
    start_quillop
    message_box >/dev/null
    kill -s "$signal" "$quillop_pid"
    wait_for_exit "SIG$signal during the report"
    cmp -s "$conf" "$work/stored.conf" || fail "SIG$signal during the report wrote: $(cat "$conf")"
done
echo "SIGTERM, SIGINT, SIGHUP during the report of OnTop=maybe: exit code 0, the file unchanged"

# Flies in two cases: the value read is the one written back, and the other case is removed.
printf '[General]\nFlies=7\nflies=5\n' >"$conf"
start_quillop
wait_for_flies 7 -eq
kill -TERM "$quillop_pid"
wait_for_exit
[ "$(grep -ci '^flies=' "$conf")/$(value Flies)" = 1/7 ] ||
    fail "Flies=7 beside flies=5 was written back as: $(cat "$conf")"
echo "Flies=7 beside flies=5: 7 flies, Flies=7 written back alone"

# A damaged file: a message box, the defaults ("Load on startup" on, as the autostart entry of
# the run before is there), no crash, and a new file at exit.
head -c 4096 /dev/urandom >"$conf"
printf '\0\1\2[' >>"$conf"
run_with_report "the damaged file"
[ "$(value OnTop)/$(value Startup)/$(value Flies)" = 1/1/3 ] ||
    fail "after a damaged file: $(head -c 300 "$conf")"
[ "$(wc -l <"$conf")" -eq 4 ] || fail "the damaged file's content was kept in the new one"
[ -f "$conf.damaged" ] || fail "the damaged file was not kept aside"
echo "damaged file: defaults, Startup=1 as the entry is, reported, written anew, kept as .damaged"

# A read-only config folder: the failure box at exit, and the program still ends. The root
# user may write anywhere, so then the program runs as nobody.
if [ "$(id -u)" -eq 0 ]; then
    chmod 755 "$work"
    chown -R 65534:65534 "$XDG_CONFIG_HOME"
    runas=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$work")
    chmod 755 "$work/my flies"
fi
chmod a-w "$XDG_CONFIG_HOME/QuillopPro"
"${runas[@]}" "$QUILLOP" >"$work/quillop.log" 2>&1 &
quillop_pid=$!
started+=($quillop_pid)
wait_for_flies 3
kill -TERM "$quillop_pid"
box=$(message_box)
kill -0 "$quillop_pid" || fail "quillop ended before its failure box was closed"
close_box "$box"
wait_for_exit
chmod u+w "$XDG_CONFIG_HOME/QuillopPro"
echo "read-only folder: a failure box at exit, then the program ended with 0"

# A file without read permission (for the root user too, as the program runs as nobody): the
# same report as a damaged file, the defaults, and the file kept as it was, set aside.
printf '[General]\nFlies=7\n' >"$conf"
chmod 000 "$conf"
run_with_report "the unreadable file"
[ "$(value Flies)" = 3 ] || fail "after an unreadable file: $(cat "$conf")"
[ "$(stat -c %a "$conf.damaged")" = 0 ] || fail "the unreadable file was not kept with its mode"
chmod u+r "$conf.damaged"
printf '[General]\nFlies=7\n' | cmp -s - "$conf.damaged" || fail "the unreadable file was changed"
echo "unreadable file: reported, the defaults, the file kept as .damaged with mode 000"
echo "PASS"
