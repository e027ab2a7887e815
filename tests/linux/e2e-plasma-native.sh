#!/usr/bin/env bash
# Native flies on KDE Plasma's compositor: headless KWin at the fractional scale 1.5, which
# offers the layer shell and wp_fractional_scale_v1. The program chooses its Wayland display
# itself, and a fly alone over a window of one colour shows one of the 1.5x pictures to the
# pixel (the output's device pixels, neither scaled up from 1x nor down from 2x).
set -euo pipefail
QUILLOP_RIG_HINT=" --desktops"
source "$(dirname "$0")/e2e-wayland-lib.sh"
enter_private_session "the native Plasma test" pkg:kwin-wayland pkg:qtwayland5 pkg:qmlscene \
    pkg:qml-module-qtquick2 convert python3

# The session, as nobody.
source "$(dirname "$0")/e2e-lib.sh"
DESKTOPSHOT=$3
SPRITEDUMP=$4
unset QUILLOP_DISPLAY DISPLAY
export XDG_CACHE_HOME=$work/cache XDG_SESSION_TYPE=wayland
start_session_bus
colour=2060a0

# NOTE: the installed kwin_wayland carries a file capability that a namespace of nobody may not
# run; a copy carries none (see e2e-plasma.sh).
cp /usr/bin/kwin_wayland "$work/kwin_wayland"
KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 "$work/kwin_wayland" --virtual --width 1280 \
    --height 720 --scale 1.5 --socket wayland-1 --no-lockscreen >"$work/kwin.log" 2>&1 &
started+=($!)
export WAYLAND_DISPLAY=wayland-1
wait_until -t 60 "KWin did not start (log: $work/kwin.log)" test -S "$XDG_RUNTIME_DIR/wayland-1"
printf 'import QtQuick 2.0\nimport QtQuick.Window 2.2\nWindow { visible: true; visibility: %s; color: "#%s" }\n' \
    Window.FullScreen "$colour" >"$work/backdrop.qml"
QT_QPA_PLATFORM=wayland /usr/lib/qt5/bin/qmlscene "$work/backdrop.qml" >"$work/backdrop.log" 2>&1 &
started+=($!)
mkdir "$work/ref"
"$SPRITEDUMP" 1.5 "$colour" "$work/ref" >"$work/ref/list"

start_with_settings 3 1
wait_until "the program did not choose its Wayland display (log: $work/quillop.log)" \
    grep -qs "flies on wayland" "$work/quillop.log"

# matched: a screenshot in which a fly alone over the backdrop is one of the pictures, no channel
# of any pixel more than 3 off (the rounding of the compositor's blending); sets $found.
matched() {
    "$DESKTOPSHOT" "$work/shot.png" 2>/dev/null || return 1
    convert "$work/shot.png" -depth 8 "rgb:$work/shot.rgb"
    found=$(convert "$work/shot.png" -fill white +opaque "#$colour" -fill black -opaque "#$colour" \
        -define connected-components:verbose=true -connected-components 8 null: 2>/dev/null |
        awk '$NF ~ /255,255,255|white/ {split($2, b, /[x+]/); print b[3], b[4], b[1], b[2]}' |
        python3 -c '
import sys
ref, shot = sys.argv[1], open(sys.argv[2], "rb").read()
width = int(sys.argv[3])
pictures = [line.split() for line in open(ref + "/list")]
for blob in sys.stdin:
    l, t, w, h = map(int, blob.split())
    for name, pw, ph in pictures:
        pw, ph = int(pw), int(ph)
        if abs(pw - w) > 2 or abs(ph - h) > 2:
            continue
        data = open(ref + "/" + name + ".rgb", "rb").read()
        for dy in range(-2, 3):
            for dx in range(-2, 3):
                worst = 0
                for y in range(ph):
                    row = ((t + dy + y) * width + l + dx) * 3
                    a, b = shot[row:row + pw * 3], data[y * pw * 3:(y + 1) * pw * 3]
                    worst = max(worst, max(abs(p - q) for p, q in zip(a, b)))
                    if worst > 3:
                        break
                if worst <= 3:
                    print(name, pw, "x", ph, "at", l + dx, t + dy)
                    sys.exit(0)
sys.exit(1)' "$work/ref" "$work/shot.rgb" "$(convert "$work/shot.png" -format %w info:)")
}
wait_until -t 60 "no fly alone over the backdrop showed a 1.5x picture to the pixel" matched
echo "KWin at scale 1.5: the flies on the layer shell, a fly showing picture $found"
kill -TERM "$quillop_pid"
wait_for_exit "SIGTERM"
echo "PASS"
