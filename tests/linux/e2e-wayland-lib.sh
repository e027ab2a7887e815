# Shared steps of the end-to-end tests on Wayland desktops (sway, Plasma, GNOME Shell); sourced
# by each such e2e-*.sh before e2e-lib.sh. The desktops run as nobody, in private mount, network
# and process namespaces (their own /tmp, X sockets and session bus), which end with their first
# process.
set -euo pipefail
rig_args=("$@")

# enter_private_session WHAT NEEDS: runs this script again as nobody inside new namespaces and
# returns there; outside, ends with the script's exit code. WHAT names the test ("the Plasma
# test"), NEEDS is what it needs, a list of commands or of Debian packages ("pkg:NAME"). Skips
# (77), saying why in one line, where something is missing or namespaces are not allowed.
enter_private_session() {
    local what=$1 need missing="" status=0
    shift
    case ${QUILLOP_RIG_STAGE:-} in
    "")
        for need in "$@" setpriv unshare dbus-daemon; do
            if [[ $need == pkg:* ]]; then
                dpkg-query -W -f='${Status}' "${need#pkg:}" 2>/dev/null | grep -q "ok installed" ||
                    missing+=" ${need#pkg:}"
            else
                command -v "$need" >/dev/null || missing+=" $need"
            fi
        done
        if [ -n "$missing" ]; then
            echo "SKIPPED: $what needs$missing (tools/install-deps.sh${QUILLOP_RIG_HINT:-}" \
                "installs them)"
            exit 77
        fi
        if [ "$(id -u)" -ne 0 ] || ! unshare --mount --net --pid --fork true 2>/dev/null; then
            echo "SKIPPED: $what runs its desktop as nobody in private namespaces, which needs root"
            exit 77
        fi
        # NOTE: unshare ignores SIGTERM while it waits; once it is killed, --kill-child ends the
        # namespace's first process and the kernel every other process in the namespace.
        rig_pid=""
        trap '[ -z "$rig_pid" ] || kill -KILL "$rig_pid" 2>/dev/null || true' EXIT
        trap 'exit 1' INT TERM HUP
        QUILLOP_RIG_STAGE=namespace unshare --mount --net --pid --fork --mount-proc --kill-child \
            "$0" "${rig_args[@]}" &
        rig_pid=$!
        wait "$rig_pid" || status=$?
        rig_pid=""
        exit "$status"
        ;;
    namespace)
        # The first process of the namespaces, as root: a private /tmp, then the session as
        # nobody. The checkout may lie in /tmp, which the private one covers, or in /root, which
        # nobody may not read: the scripts (as tests/linux/ with the settings window's layout in
        # main/) and the programs and folders named in the arguments are copied into the private
        # /tmp, those from /tmp read through a handle on the /tmp they were in.
        local arg args=() files source
        source=$(cd "$(dirname "$0")/../.." && pwd -P)
        files=("$source"/tests/linux/*.sh)
        for arg in "${rig_args[@]}"; do
            if [ -e "$arg" ]; then
                files+=("$(readlink -f "$arg")")
                arg=/tmp/rig/tests/linux/$(basename "$arg")
            fi
            args+=("$arg")
        done
        exec 9</tmp
        mount -t tmpfs -o mode=1777 tmpfs /tmp
        mkdir -m 755 -p /tmp/rig/tests/linux /tmp/rig/main
        for arg in "${files[@]}" "$source/main/SettingsLayout.h"; do
            [[ $arg == /tmp/* ]] && arg=/proc/self/fd/9/${arg#/tmp/}
            [[ $arg == *.h ]] && cp "$arg" /tmp/rig/main/ || cp -r "$arg" /tmp/rig/tests/linux/
        done
        exec 9<&-
        mkdir -m 700 /tmp/runtime
        chown nobody: /tmp/runtime
        mkdir -m 1777 /tmp/.X11-unix
        # The test's own folder may lie under the /tmp now covered: programs started from the
        # session (foot's shell) could not enter it.
        cd /tmp/rig/tests/linux
        env -u DISPLAY -u WAYLAND_DISPLAY -u XAUTHORITY -u DBUS_SESSION_BUS_ADDRESS \
            -u QUILLOP_DISPLAY_OFFSET QUILLOP_RIG_STAGE=session XDG_RUNTIME_DIR=/tmp/runtime \
            HOME=/tmp setpriv --reuid=nobody --regid=nogroup --clear-groups \
            "/tmp/rig/tests/linux/$(basename "$0")" "${args[@]}" || status=$?
        exit "$status"
        ;;
    esac
}

# start_sway: headless sway (pixman) with the configuration $work/sway.conf as the session's
# compositor; its pid in $sway_pid, and WAYLAND_DISPLAY and SWAYSOCK exported.
start_sway() {
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1 \
        sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
    sway_pid=$!
    started+=("$sway_pid")
    wait_until "sway did not start (log: $work/sway.log)" test -S "$XDG_RUNTIME_DIR/wayland-1"
    export WAYLAND_DISPLAY=wayland-1
    SWAYSOCK=$(echo "$XDG_RUNTIME_DIR"/sway-ipc.*.sock)
    export SWAYSOCK
}

# use_xwayland COMPOSITOR: waits up to 60 s for the desktop's Xwayland and takes its display,
# and its authority file when it has one, from its command line; its pid is in $xwayland_pid.
# Should Xwayland end, the test says so and ends the COMPOSITOR (a pid), which holds XWayland's
# sockets: X clients would otherwise wait on them for ever (KWin 5.27 neither reaps its Xwayland
# nor starts another one).
use_xwayland() {
    local compositor=$1 argument previous=""
    wait_until -t 60 "Xwayland did not start" pgrep -x Xwayland >/dev/null
    xwayland_pid=$(pgrep -x Xwayland | head -n 1)
    DISPLAY=""
    unset XAUTHORITY
    while IFS= read -r -d '' argument; do
        [[ -z $DISPLAY && $argument == :[0-9]* ]] && DISPLAY=$argument
        [ "$previous" = -auth ] && export XAUTHORITY=$argument
        previous=$argument
    done </proc/"$xwayland_pid"/cmdline
    export DISPLAY
    wait_until -t 60 "Xwayland did not answer on $DISPLAY" x_answers
    (
        while xwayland_running; do
            sleep 0.5
        done
        echo "FAIL: Xwayland ended, $SECONDS s into the test; the desktop is stopped" >&2
        kill -KILL "$compositor" 2>/dev/null
    ) &
    started+=($!)
}

# xwayland_running: true while the Xwayland of use_xwayland runs (not ended, nor a zombie).
xwayland_running() {
    local state
    read -r _ _ state _ 2>/dev/null </proc/"$xwayland_pid"/stat && [ "$state" != Z ]
}
x_answers() { xdpyinfo >/dev/null 2>&1; }

# start_with_settings FLIES ON_TOP: starts the program with those settings in its file.
start_with_settings() {
    mkdir -p "$XDG_CONFIG_HOME/QuillopPro"
    printf '[General]\nOnTop=%s\nStartup=0\nFlies=%s\n' "$2" "$1" \
        >"$XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf"
    start_quillop
}

# work_area_top: the top of the work area on XWayland's root (_NET_WORKAREA), below top panels.
work_area_top() {
    xprop -root _NET_WORKAREA 2>/dev/null | awk -F'[=,]' '/CARDINAL/ {gsub(/ /, ""); print $3}'
}

# registered_item: waits until an item registers with the tray's watcher and sets $item to its
# bus name.
registered_item() {
    wait_until "no item registered with the tray" item_listed
}
item_listed() {
    # The watcher lists "SERVICE/PATH", or "SERVICE@/PATH" (GNOME's AppIndicator extension).
    item=$(dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
        /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierWatcher string:RegisteredStatusNotifierItems 2>/dev/null |
        sed -n 's|.*string "\([^"/@]*\)@\{0,1\}/StatusNotifierItem".*|\1|p' | head -n 1) || true
    [ -n "$item" ]
}

# check_many_flies FLIES SECONDS: the program, started with FLIES flies on top, runs them for
# SECONDS and ends; at every look, every 2 s, Xwayland and quillop run and XWayland answers
# xprop within 3 s (the stalls of a flooded Xwayland lasted 4.5 to 30 s; a machine busy on every
# core, with KWin drawing in software, took up to 1.8 s); no fly window stands more than 20 px
# above the work area (a fly may overhang it by 20 px), so none walks onto a top panel.
check_many_flies() {
    start_with_settings "$1" 1
    wait_for_flies "$1" -eq
    shift
    local flies top limit end next=0 at start status took seen=0 highest=100000 id left y
    flies=$(fly_positions | wc -l)
    top=$(work_area_top)
    [ -n "$top" ] || fail "XWayland's root has no _NET_WORKAREA"
    limit=$((top - 20))
    end=$((SECONDS + $1))
    while ((SECONDS < end)); do
        if ((SECONDS >= next)); then
            next=$((SECONDS + 2))
            at="with $flies flies, $((SECONDS - end + $1)) s into $1 s"
            xwayland_running || fail "Xwayland ended $at"
            kill -0 "$quillop_pid" 2>/dev/null || fail "quillop ended $at"
            start=${EPOCHREALTIME//[.,]/}
            status=0
            timeout 10 xprop -root _NET_WORKAREA >/dev/null 2>&1 || status=$?
            took=$(((${EPOCHREALTIME//[.,]/} - start) / 1000))
            ((status != 124)) || fail "xprop -root had no answer within 10 s $at"
            ((status == 0)) || fail "xprop -root failed after $took ms $at"
            ((took <= 3000)) || fail "xprop -root took $took ms $at"
        fi
        while read -r id left y _; do
            seen=$((seen + 1))
            ((y < highest)) && highest=$y
            ((y >= limit)) || fail "fly $id at ($left, $y) walked onto the top panel" \
                "$((SECONDS - end + $1)) s into $1 s (the work area starts at $top; a fly may" \
                "overhang it by 20 px)"
        done < <(fly_positions)
        sleep 0.1
    done
    ((seen > 0)) || fail "no fly was seen in $1 s"
    echo "$flies flies for $1 s: Xwayland and quillop ran on, xprop -root answered within 3 s" \
        "at every look, no fly stood above $limit (highest top edge $highest)"
    kill -TERM "$quillop_pid"
    wait_for_exit
}

# check_menu_exit FLIES ON_TOP: "Exit" chosen from the icon's menu ($item) ends the program with
# 0, and the program writes its settings as it ends: its file, removed while it ran, comes back
# with its FLIES and ON_TOP.
check_menu_exit() {
    local file=$XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf
    rm "$file"
    "$SNIWATCHER" menu "$item" Exit || fail "the icon's menu did not take \"Exit\""
    wait_for_exit "\"Exit\" in the icon's menu"
    [ -f "$file" ] || fail "quillop ended by \"Exit\" without writing its settings"
    grep -qx "Flies=$1" "$file" && grep -qx "OnTop=$2" "$file" ||
        fail "the settings written at \"Exit\" are not Flies=$1, OnTop=$2: $(cat "$file")"
    echo "\"Exit\" from the icon's menu: quillop ended with 0 and wrote its settings"
}

# check_covered RRGGBB: with "Always on top" off, a native window opened after the flies, which
# the desktop raises, covers them: a screenshot shows no pixel of a fly standing within it. The
# window is a plain rectangle of that colour; its place comes from the screenshot.
check_covered() {
    local colour=$1 shot=$work/cover.png l t r b end before after line id x y w h pixels covered=0
    printf 'import QtQuick 2.0\nRectangle { width: 600; height: 360; color: "#%s" }\n' \
        "$colour" >"$work/cover.qml"
    QT_QPA_PLATFORM=wayland "$QMLSCENE" "$work/cover.qml" >"$work/cover.log" 2>&1 &
    started+=($!)
    wait_until -t 30 "the raised window did not show (log: $work/cover.log)" \
        shot_with_cover "$colour"
    read -r l t r b <<<"$box"
    # Its pixels 10 px within its edge.
    ((l += 10, t += 10, r -= 10, b -= 10))
    end=$((SECONDS + 60))
    while ((covered == 0)); do
        ((SECONDS < end)) || fail "no fly stood still under the raised window in 60 s"
        before=$(fly_positions)
        "$DESKTOPSHOT" "$shot" || fail "no screenshot of the desktop"
        after=$(fly_positions)
        while IFS= read -r line; do
            read -r id x y w h <<<"$line"
            ((x >= l && y >= t && x + w <= r && y + h <= b)) || continue
            grep -qxF -- "$line" <<<"$before" || continue
            pixels=$(convert "$shot" -crop "${w}x$h+$x+$y" +repage -fuzz 2% \
                -transparent "#$colour" -alpha extract -format '%[fx:round(mean * w * h)]' info:)
            ((pixels == 0)) || fail "fly $id at ($x, $y) showed over the raised window at" \
                "($l, $t)-($r, $b) ($pixels of its pixels in the screenshot)"
            covered=$((covered + 1))
        done <<<"$after"
    done
    wait_until -t 30 "no fly showed away from the raised window in 30 s" \
        shown_away "$l" "$t" "$r" "$b"
    echo "\"Always on top\" off: a native window raised over the flies covers them, and those" \
        "away from it show"
}

# shot_with_cover RRGGBB: a screenshot in which a rectangle of that colour shows; sets $box to
# "LEFT TOP RIGHT BOTTOM" of its pixels.
shot_with_cover() {
    local w h x y
    "$DESKTOPSHOT" "$work/cover.png" || return 1
    read -r w h x y < <(convert "$work/cover.png" -fill black +opaque "#$1" -trim \
        -format '%w %h %X %Y\n' info: 2>/dev/null) || return 1
    ((w >= 200 && h >= 100)) || return 1
    box="$((x)) $((y)) $((x + w)) $((y + h))"
}

# shown_away LEFT TOP RIGHT BOTTOM: true when a fly wholly outside that box is shown.
shown_away() {
    local id x y w h
    while read -r id x y w h; do
        if ((x + w <= $1 || x >= $3 || y + h <= $2 || y >= $4)) &&
            [ "$(map_state "$id")" = IsViewable ]; then
            return 0
        fi
    done < <(fly_positions)
    return 1
}
