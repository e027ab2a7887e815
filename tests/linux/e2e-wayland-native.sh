#!/usr/bin/env bash
# Native Wayland flies on headless sway: the compositor offers the layer shell, so the program
# chooses its Wayland display on its own and draws the flies into an overlay over the output.
# The flies show in screenshots (grim sees layer surfaces) and walk; a fly under the pointer
# stands still and a double click hides it (sway's own seat commands move and click the
# pointer); with "Always on top" off, a native window covers them. Each check is a function, so
# that more (clicks through transparent pixels, panels, scales, outputs) can join them.
# sway refuses to run as root, so everything runs as nobody (e2e-wayland-lib.sh).
set -euo pipefail
source "$(dirname "$0")/e2e-wayland-lib.sh"
enter_private_session "the native Wayland test" sway swaymsg swaybg grim foot convert

# The session, as nobody.
source "$(dirname "$0")/e2e-lib.sh"
export XDG_CACHE_HOME=$work/cache
# The program chooses its display itself (e2e-lib.sh asks for X11).
unset QUILLOP_DISPLAY
start_session_bus
# The backdrop's colour, where every other pixel is a fly's (or a window's).
backdrop=2060a0
cat >"$work/sway.conf" <<EOF2
output HEADLESS-1 resolution 640x480 position 0 0 bg #$backdrop solid_color
xwayland disable
for_window [app_id="foot"] floating enable, resize set 300 200, move position 170 140
seat seat0 fallback true
# The pointer, which would show in the screenshots as one more fly, hides when it rests 100 ms.
seat seat0 hide_cursor 100
EOF2
start_sway
unset DISPLAY

# shoot: a screenshot of the output into $work/shot.png.
shoot() { grim "$work/shot.png" 2>/dev/null; }

# fly_blobs [LEFT TOP RIGHT BOTTOM]: one line per group of touching pixels that are not the
# backdrop's, of a fly's size or a few flies' (the settings window, which shows without a tray,
# is larger), in a new screenshot: "LEFT TOP WIDTH HEIGHT CX CY" with its centre of mass; with a
# box, only those wholly outside it.
fly_blobs() {
    shoot || return 1
    convert "$work/shot.png" -fuzz 4% -fill white +opaque "#$backdrop" -fill black \
        -opaque "#$backdrop" -define connected-components:verbose=true \
        -define connected-components:area-threshold=20 -connected-components 8 null: 2>/dev/null |
        awk -v box="${*:-}" 'BEGIN {split(box, b, " ")}
            /(gray\(255\)|srgb\(255,255,255\)|white)$/ {
                split($2, g, /[x+]/); split($3, c, ","); l = g[3]; t = g[4]; w = g[1]; h = g[2]
                if (w > 150 || h > 150)
                    next
                if (box != "" && !(l + w <= b[1] || l >= b[3] || t + h <= b[2] || t >= b[4]))
                    next
                printf "%d %d %d %d %d %d\n", l, t, w, h, c[1], c[2] }'
}

check_chosen() {
    wait_until "the program did not say it chose the Wayland display" \
        grep -q "flies on wayland" "$work/quillop.log"
    echo "the compositor offers the layer shell: $(grep -m1 "flies on wayland" "$work/quillop.log")"
}

# check_walk: the flies show in screenshots, and a later screenshot has them elsewhere.
check_walk() {
    local first
    wait_until "no fly showed in a screenshot" has_blobs
    first=$(fly_blobs)
    wait_until "the flies did not walk (first seen: $first)" moved_from "$first"
    echo "the flies show in screenshots of the overlay and walk"
}
has_blobs() { [ -n "$(fly_blobs)" ]; }
moved_from() { local now; now=$(fly_blobs) && [ -n "$now" ] && [ "$now" != "$1" ]; }

# check_freeze: the pointer put on the fly (alone on the screen) stops it: two screenshots in a
# row find it in the same place, under the pointer.
check_freeze() {
    previous=""
    wait_until -t 30 "the fly did not stand still under the pointer" frozen_under_pointer
    echo "a fly under the pointer stands still (at $previous)"
}
frozen_under_pointer() {
    local l t w h x y
    read -r l t w h x y < <(fly_blobs) || return 1
    if [ "$previous" = "$l $t $w $h" ] && ((px >= l && px < l + w && py >= t && py < t + h)); then
        return 0
    fi
    previous="$l $t $w $h"
    px=$x py=$y
    swaymsg -q seat seat0 cursor set "$px" "$py"
    return 1
}

# check_double_click: a double click of the left button on the fly standing still hides it.
# NOTE: the two clicks go in one message to sway: four swaymsg started one after the other may
# take longer than the double-click time on a busy machine. A double click that came apart
# nonetheless is given again.
check_double_click() {
    local try click="seat seat0 cursor press button1, seat seat0 cursor release button1"
    for ((try = 0; try < 3; try++)); do
        swaymsg -q "$click, $click"
        poll 5 no_blobs && break
    done
    no_blobs || fail "the fly did not hide after a double click"
    echo "a double click on the fly hides it"
}
no_blobs() { shoot && [ -z "$(fly_blobs)" ]; }

# check_covered: with "Always on top" off, foot (a solid colour) raised over the flies covers
# them: no pixel of a fly within its inner part, while flies show around it.
check_covered() {
    local colour=c03030 inner shots=0 outside=0
    printf '[colors]\nbackground=%s\nalpha=1.0\n' "$colour" >"$work/foot.ini"
    foot -c "$work/foot.ini" cat >"$work/foot.log" 2>&1 &
    started+=($!)
    wait_until "foot did not show (log: $work/foot.log)" foot_shown "$colour"
    # 30 px within foot's edge: its cursor, at the top left, aside.
    inner="$((box_l + 30)) $((box_t + 30)) $((box_r - 10)) $((box_b - 10))"
    while ((shots < 20)); do
        shoot || fail "no screenshot"
        local pixels
        read -r l t r b <<<"$inner"
        pixels=$(convert "$work/shot.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage -fuzz 4% \
            -fill black -opaque "#$colour" -fill white +opaque black -format '%[fx:round(mean*w*h)]' info:)
        ((pixels == 0)) || fail "$pixels pixels of flies showed over foot at $inner"
        [ -z "$(fly_blobs "$box_l" "$box_t" "$box_r" "$box_b")" ] || outside=$((outside + 1))
        shots=$((shots + 1))
    done
    ((outside > 0)) || fail "no fly showed around foot in $shots screenshots"
    echo "\"Always on top\" off: foot covers the flies ($shots screenshots, flies around it in" \
        "$outside)"
}
foot_shown() {
    local w h x y
    shoot || return 1
    read -r w h x y < <(convert "$work/shot.png" -fill black +opaque "#$1" -trim \
        -format '%w %h %X %Y\n' info: 2>/dev/null) || return 1
    ((w >= 200 && h >= 100)) || return 1
    box_l=$((x)) box_t=$((y)) box_r=$((x + w)) box_b=$((y + h))
}

start_with_settings 3 1
check_chosen
check_walk
kill -TERM "$quillop_pid"
wait_for_exit

start_with_settings 1 1
check_walk
check_freeze
check_double_click
kill -TERM "$quillop_pid"
wait_for_exit

start_with_settings 12 0
check_walk
check_covered
kill -TERM "$quillop_pid"
wait_for_exit
echo "PASS"
