# Shared steps of the end-to-end tests on Wayland desktops; sourced
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
        # nobody may not read: the scripts and the programs named in the arguments are copied
        # into the private /tmp, those from /tmp read through a handle on the /tmp they were in.
        local arg args=() files
        files=("$(cd "$(dirname "$0")" && pwd -P)"/*.sh)
        for arg in "${rig_args[@]}"; do
            if [ -f "$arg" ]; then
                files+=("$(readlink -f "$arg")")
                arg=/tmp/rig/$(basename "$arg")
            fi
            args+=("$arg")
        done
        exec 9</tmp
        mount -t tmpfs -o mode=1777 tmpfs /tmp
        mkdir -m 755 /tmp/rig
        for arg in "${files[@]}"; do
            [[ $arg == /tmp/* ]] && arg=/proc/self/fd/9/${arg#/tmp/}
            cp "$arg" /tmp/rig/
        done
        exec 9<&-
        mkdir -m 700 /tmp/runtime
        chown nobody: /tmp/runtime
        mkdir -m 1777 /tmp/.X11-unix
        env -u DISPLAY -u WAYLAND_DISPLAY -u XAUTHORITY -u DBUS_SESSION_BUS_ADDRESS \
            -u QUILLOP_DISPLAY_OFFSET QUILLOP_RIG_STAGE=session XDG_RUNTIME_DIR=/tmp/runtime \
            HOME=/tmp setpriv --reuid=nobody --regid=nogroup --clear-groups \
            "/tmp/rig/$(basename "$0")" "${args[@]}" || status=$?
        exit "$status"
        ;;
    esac
}

# wait_long SECONDS WHAT COMMAND...: wait_until for slower things, such as a desktop starting on
# a loaded machine.
wait_long() {
    local end=$((SECONDS + $1)) what=$2
    shift 2
    until "$@"; do
        ((SECONDS < end)) || fail "$what"
        sleep 0.2
    done
}

# registered_item: waits up to 10 s until an item registers with the tray's watcher and sets
# $item to its bus name.
registered_item() {
    local i
    item=""
    for ((i = 0; i < 100; i++)); do
        # The watcher lists "SERVICE/PATH", or "SERVICE@/PATH" (GNOME's AppIndicator extension).
        item=$(dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
            /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
            string:org.kde.StatusNotifierWatcher string:RegisteredStatusNotifierItems 2>/dev/null |
            sed -n 's|.*string "\([^"/@]*\)@\{0,1\}/StatusNotifierItem".*|\1|p' | head -n 1) || true
        [ -n "$item" ] && return 0
        sleep 0.1
    done
    fail "no item registered with the tray within 10 s"
}
