#!/usr/bin/env bash
# The program on KDE Plasma's Wayland desktop: headless KWin with XWayland and plasmashell, its
# panel at the top with the StatusNotifierItem tray. The icon registers, two activations bring
# the settings window, and "Exit" from its menu ends the program, which writes its settings.
# With 99 flies through XWayland, XWayland keeps answering for a minute and the flies keep out
# of the panel; left to choose, the program puts them on the layer shell, out of the panel too.
set -euo pipefail
QUILLOP_RIG_HINT=" --desktops"
source "$(dirname "$0")/e2e-wayland-lib.sh"
enter_private_session "the Plasma test" pkg:kwin-wayland pkg:plasma-workspace pkg:plasma-desktop \
    pkg:qtwayland5 pkg:qmlscene pkg:qml-module-qtquick2 dbus-send \
    dbus-update-activation-environment xprop xwininfo xdotool convert

# The session, as nobody.
source "$(dirname "$0")/e2e-lib.sh"
SNIWATCHER=$3
DESKTOPSHOT=$4
QMLSCENE=/usr/lib/qt5/bin/qmlscene
export XDG_CACHE_HOME=$work/cache XDG_CURRENT_DESKTOP=KDE XDG_SESSION_DESKTOP=KDE
export XDG_SESSION_TYPE=wayland KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
start_session_bus

# plasmashell's panel at the top (location 3), as thick as Plasma's default panel, with only the
# tray on it.
mkdir -p "$XDG_CONFIG_HOME"
cat >"$XDG_CONFIG_HOME/plasma-org.kde.plasma.desktop-appletsrc" <<'EOF'
[Containments][1]
formfactor=2
immutability=1
lastScreen=0
location=3
plugin=org.kde.panel

[Containments][1][Applets][2]
immutability=1
plugin=org.kde.plasma.systemtray

[Containments][1][Applets][2][Configuration]
SystrayContainmentId=3

[Containments][3]
formfactor=2
immutability=1
lastScreen=0
location=3
plugin=org.kde.plasma.private.systemtray
EOF
printf '[PlasmaViews][Panel 1][Defaults]\nthickness=44\n' >"$XDG_CONFIG_HOME/plasmashellrc"

# NOTE: the installed kwin_wayland carries a file capability that a namespace of nobody may not
# run (exec fails with EPERM); a copy carries none. Its name stays, as its Qt plugin wants it.
cp /usr/bin/kwin_wayland "$work/kwin_wayland"
KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 "$work/kwin_wayland" --virtual --width 1280 --height 720 \
    --xwayland --socket wayland-1 --no-lockscreen >"$work/kwin.log" 2>&1 &
started+=($!)
export WAYLAND_DISPLAY=wayland-1
# The flies through XWayland until the last check: QUILLOP_DISPLAY=x11 comes from e2e-lib.sh.
use_xwayland $!
# As startplasma does, so that the services D-Bus starts for plasmashell find the displays.
dbus-update-activation-environment DISPLAY WAYLAND_DISPLAY XDG_CURRENT_DESKTOP \
    XDG_SESSION_TYPE KDE_FULL_SESSION KDE_SESSION_VERSION
QT_QPA_PLATFORM=wayland plasmashell --no-respawn >"$work/plasmashell.log" 2>&1 &
started+=($!)
# panel_up: the tray's host has registered and the panel has taken the top of the work area.
panel_up() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
        /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierWatcher string:IsStatusNotifierHostRegistered 2>/dev/null |
        grep -q 'boolean true' || return 1
    local top
    top=$(work_area_top)
    ((${top:-0} > 0))
}
wait_until -t 60 "plasmashell's panel did not come up at the top (log: $work/plasmashell.log)" \
    panel_up
echo "KWin and plasmashell: Xwayland on $DISPLAY, the panel's work area starts at $(work_area_top)"

start_with_settings 12 1
registered_item
echo "the icon registered with Plasma's tray as $item"
wait_for_flies 12 -eq
check_activations "$item"
check_menu_exit 12 1

check_many_flies 99 60

# Left to choose, the program puts its flies on KWin's layer shell. KWin lays the overlay over
# the panel, which is no layer surface; the flies keep to the work area it keeps for X programs:
# with 99 flies the panel right of the tray stays as it was until a fly comes within 30 px of it.
top=$(work_area_top)
"$DESKTOPSHOT" "$work/before.png" || fail "no screenshot of the desktop"
QUILLOP_DISPLAY="" start_with_settings 99 1
wait_until "the program chose no display (log: $work/quillop.log)" grep -qs "flies on" \
    "$work/quillop.log"
grep -q "flies on wayland" "$work/quillop.log" || fail "on Plasma: $(head -n 1 "$work/quillop.log")"
# near_panel: a screenshot differs from the one before in the 30 rows below the panel; fails the
# test when it differs on the panel right of the tray.
near_panel() {
    local status=0
    "$DESKTOPSHOT" "$work/now.png" 2>/dev/null || return 1
    convert "$work/before.png" -depth 8 "rgb:$work/before.rgb"
    convert "$work/now.png" -depth 8 "rgb:$work/now.rgb"
    python3 -c 'import sys
before, now = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
width, top = int(sys.argv[3]), int(sys.argv[4])
row = lambda data, y, x0, x1: data[(y * width + x0) * 3:(y * width + x1) * 3]
if any(row(before, y, width * 2 // 5, width) != row(now, y, width * 2 // 5, width) for y in range(top)):
    sys.exit(2)
sys.exit(0 if any(row(before, y, 0, width) != row(now, y, 0, width) for y in range(top, top + 30)) else 1)' \
        "$work/before.rgb" "$work/now.rgb" "$(convert "$work/now.png" -format %w info:)" "$top" ||
        status=$?
    ((status != 2)) || fail "a native fly was drawn over the panel (rows 0 to $((top - 1)))"
    return "$status"
}
wait_until -t 60 "no native fly came within 30 px of the panel" near_panel
echo "left to choose: $(head -n 1 "$work/quillop.log"); a fly came up to the panel, none onto it"

# A native window raised over the flies: with "Always on top" on, flies walk over it; off, they
# are on the bottom layer, and in 20 screenshots its inside is its own colour while the flies
# show elsewhere.
printf 'import QtQuick 2.0\nRectangle { width: 600; height: 360; color: "#20c040" }\n' \
    >"$work/cover.qml"
QT_QPA_PLATFORM=wayland "$QMLSCENE" "$work/cover.qml" >"$work/cover.log" 2>&1 &
started+=($!)
wait_until -t 30 "the raised window did not show (log: $work/cover.log)" shot_with_cover 20c040
read -r l t r b <<<"$box"
# over: the pixels 10 px within the window that are not its colour, in $work/cover.png.
over() {
    convert "$work/cover.png" -crop "$((r - l - 20))x$((b - t - 20))+$((l + 10))+$((t + 10))" \
        +repage -fuzz 2% -transparent "#20c040" -alpha extract -format '%[fx:round(mean * w * h)]' \
        info:
}
fly_over() { "$DESKTOPSHOT" "$work/cover.png" && (($(over) > 0)); }
wait_until -t 30 "with \"Always on top\" on, no fly walked over the raised window" fly_over
kill -TERM "$quillop_pid"
wait_for_exit
"$DESKTOPSHOT" "$work/bare.png" || fail "no screenshot of the desktop"
convert "$work/bare.png" -depth 8 "rgb:$work/bare.rgb"
QUILLOP_DISPLAY="" start_with_settings 99 0
shown=0
for ((i = 0; i < 20; i++)); do
    "$DESKTOPSHOT" "$work/cover.png" || fail "no screenshot of the desktop"
    (($(over) == 0)) || fail "with \"Always on top\" off, a fly showed over the raised window"
    convert "$work/cover.png" -depth 8 "rgb:$work/cover.rgb"
    cmp -s "$work/bare.rgb" "$work/cover.rgb" || shown=$((shown + 1))
done
((shown > 0)) || fail "with \"Always on top\" off, no fly showed in 20 screenshots"
echo "\"Always on top\": on, flies walk over a raised native window; off, it covers them"
kill -TERM "$quillop_pid"
wait_for_exit

# NOTE: through XWayland, KWin 5.27 draws windows that bypass its window manager above every
# native window, and stopped every X client for a minute taking 99 managed flies: there "Always
# on top" off orders the flies only among X windows, so a raised window is checked natively.
xwayland_running || fail "Xwayland ended"
echo "PASS"
