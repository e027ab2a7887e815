#!/usr/bin/env bash
# The settings file where the system is careless or hostile: a byte-order mark, a damaged file
# beside a switched-off autostart entry, a FIFO and a symlink to a device in the file's place,
# and a full disk. Nothing stored is lost, nothing hangs, and each problem is reported.
# NOTE: as root the test runs in a private mount namespace, so that the full disk's tmpfs is seen
# by nothing else and goes with the test.
if [ "$(id -u)" -eq 0 ] && [ -z "${QUILLOP_PRIVATE_MOUNTS:-}" ] &&
    unshare --mount --propagation private true 2>/dev/null; then
    QUILLOP_PRIVATE_MOUNTS=1 exec unshare --mount --propagation private "$0" "$@"
fi
source "$(dirname "$0")/e2e-lib.sh"

start_display 50 800 600
conf=$XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf
autostart=$XDG_CONFIG_HOME/autostart/QuillopPro.desktop
mkdir -p "$(dirname "$conf")"

value() {
    awk -F= -v name="$1" 'tolower($1) == tolower(name) {print $2}' "$conf"
}

# end_run: SIGTERM, then the exit; a program that hangs is killed so that the test can report.
end_run() {
    kill -TERM "$quillop_pid"
    poll 20 ended "$quillop_pid" || { kill -KILL "$quillop_pid" && fail "$1 ignored SIGTERM"; }
    wait_for_exit "$1"
}

# report_then_flies WHAT: the start reports WHAT in a box before any fly, and after its OK brings
# three flies.
report_then_flies() {
    local box
    box=$(message_box)
    [ "$(fly_positions | wc -l)" -eq 0 ] || fail "flies started before $1 was reported"
    close_box "$box"
    wait_for_flies 3
}

# A byte-order mark, as Windows editors write it, is read like any other file.
printf '\357\273\277[General]\r\nFlies=7\r\nOnTop=0\r\nStartup=0\r\n' >"$conf"
start_quillop
wait_for_flies 7 -eq
[ -z "$(xdotool search --onlyvisible --name '^Quillop$' 2>/dev/null)" ] ||
    fail "the file with a byte-order mark was reported"
end_run "the run with a byte-order mark"
[ "$(value OnTop)/$(value Startup)/$(value Flies)" = 0/0/7 ] ||
    fail "after a byte-order mark: $(cat "$conf")"
[ ! -e "$autostart" ] || fail "a byte-order mark turned \"Load on startup\" on"
echo "byte-order mark: 7 flies, no report, OnTop=0 Startup=0 Flies=7 kept, no autostart entry"

# A damaged file keeps "Load on startup" as the autostart entry is (absent: off); an older
# damaged copy is kept, numbered.
echo "older damage" >"$conf.damaged"
printf '[General]\nFlies=\0\1\2\n[' >"$conf"
cp "$conf" "$work/damaged"
start_quillop
report_then_flies "the damaged file"
end_run "the run after the damaged file"
[ "$(value Startup)" = 0 ] || fail "a damaged file turned \"Load on startup\" on: $(cat "$conf")"
[ ! -e "$autostart" ] || fail "a damaged file made an autostart entry"
cmp -s "$conf.damaged" "$work/damaged" || fail "the damaged file was not kept as .damaged"
[ "$(cat "$conf.damaged.1" 2>/dev/null)" = "older damage" ] || fail "the older copy was lost"
echo "damaged file: reported, Startup=0 as the missing entry says, both damaged copies kept"

# A FIFO in the file's place: reported at once (no hang); a signal during the report ends the
# program and writes nothing; a later save sets the FIFO aside and writes a file of its own.
rm -f "$conf" "$conf".damaged*
mkfifo "$conf"
start_quillop
message_box >/dev/null
end_run "SIGTERM during the report of the FIFO"
[ -p "$conf" ] || fail "the FIFO was replaced by a signal during the start"
start_quillop
report_then_flies "the FIFO"
end_run "the run with a FIFO"
[ -p "$conf.damaged" ] && [ -f "$conf" ] && [ ! -L "$conf" ] ||
    fail "the FIFO was not set aside: $(ls -l "$(dirname "$conf")")"
echo "FIFO: reported without a hang, a signal during the report ends the run, set aside at exit"

# A symlink to a device node (a private one): reported, and the node is never written through.
if mknod "$work/node" c 1 3 2>/dev/null; then
    rm -f "$conf" "$conf".damaged*
    ln -s "$work/node" "$conf"
    start_quillop
    report_then_flies "the symlink to a device"
    end_run "the run with a symlink to a device"
    [ -c "$work/node" ] || fail "the device node was replaced: $(ls -l "$work/node")"
    [ -L "$conf.damaged" ] && [ -f "$conf" ] && [ ! -L "$conf" ] ||
        fail "the symlink was not set aside: $(ls -l "$(dirname "$conf")")"
    echo "symlink to a device: reported, the node left alone, the link set aside"
else
    echo "symlink to a device: skipped (mknod needs root)"
fi

# A program path that is not UTF-8 cannot stand in an autostart entry: it is reported at exit,
# no entry is written, and the settings are saved.
rm -f "$conf" "$conf".damaged*
bad="$work/bad$(printf '\377')"
mkdir -p "$bad"
cp "$QUILLOP" "$bad/quillop"
"$bad/quillop" >"$work/quillop.log" 2>&1 &
quillop_pid=$!
started+=($quillop_pid)
wait_for_flies 3
kill -TERM "$quillop_pid"
box=$(message_box)
close_box "$box"
wait_for_exit "the close with a path that is not UTF-8"
[ ! -e "$autostart" ] || fail "an entry was written: $(grep ^Exec "$autostart")"
[ "$(value Startup)/$(value Flies)" = 1/3 ] || fail "the settings were not saved: $(cat "$conf")"
echo "a path that is not UTF-8: reported at exit, no autostart entry, the settings saved"

# A nearly full disk (one free block), then a full one: the file is whole after each exit; on
# the full disk one box tells of it and the old file stays byte for byte.
if [ -n "${QUILLOP_PRIVATE_MOUNTS:-}" ] && mkdir -p "$work/full" &&
    mount -t tmpfs -o size=16k tmpfs "$work/full" 2>/dev/null; then
    trap 'umount "$work/full" 2>/dev/null; cleanup' EXIT
    export XDG_CONFIG_HOME=$work/full
    conf=$XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf
    mkdir -p "$(dirname "$conf")" "$XDG_CONFIG_HOME/autostart"
    printf '[General]\nFlies=5\nOnTop=0\nStartup=0\n' >"$conf"
    cp "$conf" "$work/stored.conf"
    dd if=/dev/zero of="$work/full/filler" bs=1024 2>/dev/null || true
    truncate -s -4096 "$work/full/filler"
    start_quillop
    wait_for_flies 5 -eq
    end_run "the close with one free block"
    cmp -s "$conf" "$work/stored.conf" || fail "one free block left: $(ls -l "$conf")"
    dd if=/dev/zero of="$work/full/more" bs=1024 2>/dev/null || true
    start_quillop
    wait_for_flies 5 -eq
    kill -TERM "$quillop_pid"
    box=$(message_box)
    cmp -s "$conf" "$work/stored.conf" || fail "a full disk changed the file: $(ls -l "$conf")"
    close_box "$box"
    wait_for_exit "the close on a full disk"
    cmp -s "$conf" "$work/stored.conf" || fail "a full disk changed the file: $(ls -l "$conf")"
    [ -z "$(find "$(dirname "$conf")" -type f ! -name QuillopPro.conf)" ] ||
        fail "a full disk left: $(ls -A "$(dirname "$conf")")"
    echo "full disk: the file whole with one free block; with none one box, the file kept"
else
    echo "full disk: skipped (no private tmpfs could be mounted)"
fi
echo "PASS"
