#!/usr/bin/env bash
# Two monitors side by side on one X screen, the right one primary: the flies start at the
# primary monitor's centre and walk on it, never on the left one.
source "$(dirname "$0")/e2e-lib.sh"

start_xvfb 50 -screen 0 1280x480x24
xrandr --setmonitor L 640/169x480/127+0+0 none >/dev/null
xrandr --setmonitor '*R' 640/169x480/127+640+0 screen >/dev/null
xrandr --listactivemonitors | grep -q '\*R 640/.*+640+0' ||
    fail "the right monitor is not primary: $(xrandr --listactivemonitors)"
start_quillop

# The first place of each fly, then six seconds of walking.
declare -A first=() moved=()
minLeft=1280
end=$((SECONDS + 6))
while ((SECONDS < end)); do
    while read -r id left top w h; do
        [ "$left $top" = "0 0" ] && continue
        if [ -z "${first[$id]:-}" ]; then
            first[$id]="$left $top"
            dx=$((left - 960))
            dy=$((top - 240))
            ((dx * dx + dy * dy <= 12 * 12)) ||
                fail "fly $id first stood at ($left, $top), not at the primary's centre (960, 240)"
        fi
        [ "${first[$id]}" = "$left $top" ] || moved[$id]=1
        ((left < minLeft)) && minLeft=$left
        ((left >= 640 - 20)) || fail "fly $id at ($left, $top) walked onto the left monitor"
    done < <(fly_positions)
    sleep 0.03
done
[ ${#first[@]} -eq 3 ] || fail "expected 3 flies, saw ${#first[@]}"
[ ${#moved[@]} -eq 3 ] || fail "only ${#moved[@]} of 3 flies moved in 6 s"
echo "three flies started at (960, 240) and kept to the primary monitor (leftmost $minLeft)"
echo "PASS"
