#!/usr/bin/env bash
# The program on a Wayland desktop: headless sway with XWayland, and waybar as the
# StatusNotifierItem tray. Quillop is told to use Qt's Wayland platform, as sway's guides tell
# every Qt program, and starts before the panel. The flies come up through XWayland, each window
# covering only its fly's visible pixels; the icon registers once waybar comes 3 s later, and
# again after waybar restarts; two activations in a row bring the settings window and one does
# not; the flies keep out of waybar's area; a second start brings that window back and ends.
# With "Always on top" off, a native window raised over the flies covers them.
# sway refuses to run as root, so everything runs as nobody (e2e-wayland-lib.sh).
set -euo pipefail
source "$(dirname "$0")/e2e-wayland-lib.sh"
enter_private_session "the Wayland test" sway Xwayland waybar foot dbus-send

# The session, as nobody.
source "$(dirname "$0")/e2e-lib.sh"
SNIWATCHER=$3
export XDG_CACHE_HOME=$work/cache
start_session_bus

cat >"$work/sway.conf" <<'EOF'
output HEADLESS-1 resolution 640x480 position 0 0
xwayland enable
for_window [app_id="foot"] floating enable, resize set 200 150, move position 220 165
seat seat0 fallback true
EOF
start_sway
# The flies through XWayland (KWin and sway offer the layer shell too); QUILLOP_DISPLAY=x11
# comes from e2e-lib.sh.
export DISPLAY=:0
# XWayland starts with the first X client.
x_answers() { xdpyinfo >/dev/null 2>&1; }
wait_until "XWayland did not start (log: $work/sway.log)" x_answers

mkdir -p "$work/waybar"
cat >"$work/waybar/config" <<'EOF'
{ "layer": "top", "position": "top", "height": 30, "modules-right": ["tray"] }
EOF
# start_waybar: the panel, whose tray module hosts the StatusNotifierItem watcher.
start_waybar() {
    waybar -c "$work/waybar/config" >>"$work/waybar.log" 2>&1 &
    waybar_pid=$!
    started+=($waybar_pid)
}

QT_QPA_PLATFORM=wayland
export QT_QPA_PLATFORM
start_quillop
unset QT_QPA_PLATFORM
wait_for_flies 3 -eq
wait_for_window --classname TfrmMain >/dev/null
echo "QT_QPA_PLATFORM=wayland: 3 flies through XWayland, and the settings window (no tray yet)"
# Each fly window covers only a box around its pictures' visible pixels (44 x 44 of the square's
# 60 x 60), so that the rest of the square lets the pointer through to the native window below;
# the box keeps its size while the fly walks, as each resize costs XWayland a new buffer.
sizes() { fly_positions | awk '{print $4 "x" $5}' | sort -u | tr '\n' ' '; }
for ((i = 0; i < 20; i++)); do
    [ "$(sizes)" = "44x44 " ] || fail "the fly windows are $(sizes)rather than all 44 x 44"
    sleep 0.1
done
echo "the fly windows cover a box of 44 x 44 around their visible pixels, while they walk"
press_settings_ok

sleep 3
start_waybar
registered_item
echo "waybar 3 s later: the icon registered as $item"
check_activations "$item"
press_settings_ok

# waybar's 30 px at the top: the work area begins at 30, and a fly's square may overhang it by
# 20 px. Its window stands at most 16 px below the square's top: a fly whose window is seen 26 px
# or lower is within the limit and never walks past it again. A fly that walked higher before
# waybar came works its way back a few pixels at a time.
declare -A inside=()
minTop=480
end=$((SECONDS + 8))
while ((SECONDS < end)); do
    while read -r id left top w h; do
        if ((top >= 30 - 20 + 16)); then
            inside[$id]=1
        elif [ -n "${inside[$id]:-}" ] && ((top < 30 - 20)); then
            fail "fly $id walked into waybar's area (top edge $top)"
        fi
        ((top < minTop)) && minTop=$top
    done < <(fly_positions)
    sleep 0.03
done
[ ${#inside[@]} -ge 1 ] || fail "no fly was seen within the work area"
echo "waybar at the top: ${#inside[@]} flies seen below it kept below it (highest top edge" \
    "$minTop, limit 10)"

kill "$waybar_pid"
wait "$waybar_pid" 2>/dev/null || true
start_waybar
registered_item
echo "waybar restarted: the icon registered again as $item"

check_second_start 3
kill -TERM "$quillop_pid"
wait_for_exit

# "Always on top" off: a window raised after the flies were shown covers them, although sway
# draws windows that bypass its window manager, as the flies do, above every window. foot
# floats over the middle of the screen, where the flies start, and takes the focus, which
# raises it; 30 px within it, its title bar and borders aside, are surely its own.
printf '[General]\nOnTop=0\nStartup=0\nFlies=12\n' >"$XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf"
start_quillop
wait_for_flies 12 -eq
foot cat >"$work/foot.log" 2>&1 &
started+=($!)
# cover_counts: "UNDER HIDDEN SHOWN": the flies over foot's inner part that are shown, those
# that are hidden, and all the flies shown. Each fly's place and state come from one look at it.
cover_counts() {
    local id
    for id in $(fly_positions | cut -d ' ' -f 1); do
        xwininfo -id "$id" 2>/dev/null | awk '/Absolute upper-left X:/ {l = $4}
            /Absolute upper-left Y:/ {t = $4} /Width:/ {w = $2} /Height:/ {h = $2}
            /Map State:/ {shown = $3 == "IsViewable"}
            END {print (l < 390 && l + w > 250 && t < 285 && t + h > 225), shown}'
    done | awk '{ if ($1 && $2) u++; if ($1 && !$2) h++; if ($2) s++ } END {print u + 0, h + 0, s + 0}'
}
hidden_under_foot() {
    read -r under hidden _ < <(cover_counts)
    ((under == 0 && hidden > 0))
}
wait_until "no fly hid under the raised window (log: $work/foot.log)" hidden_under_foot
# Until a fly walks out from under it, for up to 60 s.
shown=0
end=$((SECONDS + 60))
while ((SECONDS < end && shown == 0)); do
    read -r under hidden shown < <(cover_counts)
    ((under == 0)) || fail "$under flies showed over the raised window"
done
((shown > 0)) || fail "no fly showed again away from the raised window within 60 s"
echo "\"Always on top\" off: the flies under a window raised later hide, and show again" \
    "away from it"
kill -TERM "$quillop_pid"
wait_for_exit
echo "PASS"
