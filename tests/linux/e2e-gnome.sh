#!/usr/bin/env bash
# The program on GNOME Shell (Wayland, headless), its top bar at the top. Without the AppIndicator
# extension, as most GNOME desktops are, there is no tray: the settings window shows at the start
# and at a second start. The extension enabled later in the session, the icon registers, two
# activations bring the settings window, and "Exit" from its menu ends the program, which writes
# its settings. With 99 flies, XWayland keeps answering for a minute and the flies keep out of
# the top bar. With "Always on top" off, a native window raised over the flies covers them.
set -euo pipefail
QUILLOP_RIG_HINT=" --desktops"
source "$(dirname "$0")/e2e-wayland-lib.sh"
enter_private_session "the GNOME test" pkg:gnome-shell pkg:gnome-shell-extension-appindicator \
    pkg:qtwayland5 pkg:qmlscene pkg:qml-module-qtquick2 gsettings gdbus dbus-send xprop xwininfo \
    xdotool convert

# The session, as nobody.
source "$(dirname "$0")/e2e-lib.sh"
SNIWATCHER=$3
DESKTOPSHOT=$4
QMLSCENE=/usr/lib/qt5/bin/qmlscene
export XDG_CACHE_HOME=$work/cache XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome
export XDG_SESSION_TYPE=wayland
start_session_bus

# gnome-shell wants a system bus (logind, accounts, ...): one of its own, where those services
# are simply missing.
cat >"$work/system-bus.conf" <<EOF
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/system-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
dbus-daemon --config-file="$work/system-bus.conf" --nofork --nopidfile \
    >"$work/system-bus.log" 2>&1 &
started+=($!)
wait_until "the system bus did not start (log: $work/system-bus.log)" test -S "$work/system-bus"
extension=ubuntu-appindicators@ubuntu.com
gsettings set org.gnome.shell enabled-extensions "[]"
gsettings set org.gnome.mutter center-new-windows true
DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/system-bus gnome-shell --headless --wayland \
    --virtual-monitor 1280x720 --wayland-display wayland-1 >"$work/gnome-shell.log" 2>&1 &
started+=($!)
export WAYLAND_DISPLAY=wayland-1
use_xwayland $!
# bar_up: the top bar has taken the top of the work area, and the shell, which starts in its
# overview, has left it.
bar_up() {
    local top
    top=$(work_area_top)
    ((${top:-0} > 0)) || return 1
    gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell \
        -m org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive '<false>' \
        >/dev/null 2>&1 &&
        gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell \
            -m org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive 2>/dev/null |
        grep -q false
}
wait_until -t 60 "GNOME Shell's top bar did not come up (log: $work/gnome-shell.log)" \
    bar_up
echo "GNOME Shell: Xwayland on $DISPLAY, the top bar's work area starts at $(work_area_top)"

start_with_settings 12 1
wait_for_window --classname TfrmMain >/dev/null
wait_for_flies 12 -eq
echo "no tray: the settings window shows at the start"
press_settings_ok
check_second_start 12
press_settings_ok
gsettings set org.gnome.shell enabled-extensions "['$extension']"
registered_item
echo "the AppIndicator extension enabled while quillop ran: the icon registered as $item"
check_activations "$item"
check_menu_exit 12 1

check_many_flies 99 60

start_with_settings 12 0
wait_for_flies 12 -eq
check_covered 20c040
kill -TERM "$quillop_pid"
wait_for_exit
xwayland_running || fail "Xwayland ended"
echo "PASS"
