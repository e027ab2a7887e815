#!/usr/bin/env bash
# Desktops other than one screen with an XEmbed tray. Two monitors side by side, the right one
# primary: the flies start at the primary monitor's centre and walk on it. A StatusNotifierItem
# tray (the watcher on the session bus, as waybar or Plasma's panel provide it) that comes up
# after the program: the icon registers with it, and again when it restarts; two activations in
# a row (the tray's double click) bring the settings window, a single one does not.
source "$(dirname "$0")/e2e-lib.sh"
SNIWATCHER=$3

start_xvfb 50 -screen 0 1280x480x24
xrandr --setmonitor L 640/169x480/127+0+0 none >/dev/null
xrandr --setmonitor '*R' 640/169x480/127+640+0 screen >/dev/null
xrandr --listactivemonitors | grep -q '\*R 640/.*+640+0' ||
    fail "the right monitor is not primary: $(xrandr --listactivemonitors)"
start_session_bus
watch_root
start_quillop

# Six seconds of walking, then the first place of each fly.
declare -A seen=() moved=()
minLeft=1280
end=$((SECONDS + 6))
while ((SECONDS < end)); do
    while read -r id left top w h; do
        [ "$left $top" = "0 0" ] && continue
        [ -n "${seen[$id]:-}" ] || seen[$id]="$left $top"
        [ "${seen[$id]}" = "$left $top" ] || moved[$id]=1
        ((left < minLeft)) && minLeft=$left
        ((left >= 640 - 20)) || fail "fly $id at ($left, $top) walked onto the left monitor"
    done < <(fly_positions)
    sleep 0.03
done
[ ${#seen[@]} -eq 3 ] || fail "expected 3 flies, saw ${#seen[@]}"
first_fly_places 3
for id in "${!first[@]}"; do
    read -r left top _ <<<"${first[$id]}"
    dx=$((left - 960))
    dy=$((top - 240))
    ((dx * dx + dy * dy <= 12 * 12)) ||
        fail "fly $id first stood at ($left, $top), not at the primary's centre (960, 240)"
done
# A fly may rest up to 6 s before its first run.
[ ${#moved[@]} -ge 1 ] || fail "no fly moved in 6 s"
echo "three flies started at (960, 240) and kept to the primary monitor (leftmost $minLeft)"

# start_watcher: the tray's watcher; waits up to 10 s for the program's item to register with
# it and sets $item to the item's bus name.
start_watcher() {
    watcher_log=$work/watcher$((++watchers)).log
    "$SNIWATCHER" >"$watcher_log" 2>&1 &
    watcher_pid=$!
    started+=($watcher_pid)
    wait_until "no item registered with the tray's watcher (log: $watcher_log)" item_registered
}
item_registered() {
    item=$(awk '/^item / {print $2; exit}' "$watcher_log" 2>/dev/null) || true
    [ -n "$item" ]
}
watchers=0

# Without a tray at the start the settings window opened; OK hides it.
press_settings_ok
start_watcher
echo "a tray coming 6 s after the start: the icon registered as $item"
check_activations "$item"

# The entries' ids read before the menu was told it is about to show still hold.
"$SNIWATCHER" menu "$item" "Add 5 flies" || fail "the icon's menu did not take \"Add 5 flies\""
wait_for_flies 8 -eq
echo "\"Add 5 flies\" chosen by the id read before the menu was shown: 8 flies"

kill "$watcher_pid"
start_watcher
echo "the tray restarted: the icon registered again as $item"
kill -TERM "$quillop_pid"
wait_for_exit
echo "PASS"
