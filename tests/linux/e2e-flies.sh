#!/usr/bin/env bash
# Three flies appear at the screen centre as 60 x 60 windows named "frmPngFly...", kept off the
# taskbar and above other windows; the main window is hidden and findable; the flies walk and
# keep within the limits of a work area that openbox's margins made smaller than the screen, and
# of one that a panel at the top shrinks while they walk.
source "$(dirname "$0")/e2e-lib.sh"

width=640
height=480
start_display 51 $width $height 160 120
area_known() { read -r _ _ areaWidth areaHeight < <(work_area) && [ -n "$areaHeight" ]; }
poll 5 area_known || true
[ "$areaWidth" = 480 ] && [ "$areaHeight" = 360 ] ||
    fail "openbox's margins should give a work area of 480 x 360, not $areaWidth x $areaHeight"
watch_root
start_quillop

first_fly_places 3
viewable() { [ "$(map_state "$1")" = IsViewable ]; }
for id in "${!first[@]}"; do
    read -r left top w h <<<"${first[$id]}"
    [ "$w" = 60 ] && [ "$h" = 60 ] || fail "fly $id is $w x $h, not 60 x 60"
    dx=$((left - width / 2))
    dy=$((top - height / 2))
    ((dx * dx + dy * dy <= 30 * 30)) ||
        fail "fly $id first stood at ($left, $top), not at the screen centre (320, 240)"
    state=$(xprop -id "$id" _NET_WM_STATE)
    [[ $state == *_NET_WM_STATE_SKIP_TASKBAR* ]] || fail "fly $id is not kept off the taskbar"
    [[ $state == *_NET_WM_STATE_ABOVE* ]] || fail "fly $id is not above other windows: $state"
    xprop -id "$id" WM_HINTS | grep -q 'input focus: False' || fail "fly $id takes the focus"
    # Flies shown at once are mapped one after another.
    wait_until "fly $id is not shown" viewable "$id"
done

# Top-most: a normal window, activated and raised, stays below every fly.
xmessage -center "a normal window" >/dev/null 2>&1 &
started+=($!)
normal=$(wait_for_window --name '^xmessage$')
xdotool windowactivate "$normal" 2>/dev/null || true
xdotool windowraise "$normal"
above_normal() { flies_above "$(frame_of "$normal")"; }
wait_until "a fly is below a normal window: $(xwininfo -root -children)" above_normal
echo "the three flies stay above a raised normal window"

main=$(xdotool search --classname TfrmMain)
[ -n "$main" ] || fail "no window of class TfrmMain"
[ "$(xdotool search --name '^Quillop 1\.1$')" = "$main" ] || fail "TfrmMain is not 'Quillop 1.1'"
# The desktop names the program after the class of its windows, flies and settings alike.
for window in "$main" "$(fly_positions | head -n 1 | cut -d ' ' -f 1)"; do
    class=$(xprop -id "$window" WM_CLASS)
    [[ $class == *', "Quillop"' ]] || fail "window $window has the class $class, not Quillop"
done
# There is no tray here, so the main window opens as the settings window at start-up.
[ "$(map_state "$main")" = IsViewable ] || fail "without a tray the settings window is not shown"

# Eight seconds of walking: every sighting within the limits, every fly on the move.
declare -A moved=() seen=()
maxRight=0
maxBottom=0
minLeft=$width
minTop=$height
end=$((SECONDS + 8))
while ((SECONDS < end)); do
    while read -r id left top w h; do
        ((left >= -20 && top >= -20)) || fail "fly $id at ($left, $top) is past the left or top"
        ((left + 60 <= areaWidth + 20 && top + 60 <= areaHeight + 20)) ||
            fail "fly $id at ($left, $top) is more than 20 px past the work area (480 x 360)"
        [ "${seen[$id]:-}" = "" ] || [ "${seen[$id]}" = "$left $top" ] || moved[$id]=1
        seen[$id]="$left $top"
        ((left + 60 > maxRight)) && maxRight=$((left + 60))
        ((top + 60 > maxBottom)) && maxBottom=$((top + 60))
        ((left < minLeft)) && minLeft=$left
        ((top < minTop)) && minTop=$top
    done < <(fly_positions)
    sleep 0.03
done
[ ${#moved[@]} -eq 3 ] || fail "only ${#moved[@]} of 3 flies moved in 8 s"
echo "flies walked within left $minLeft, top $minTop, right $maxRight, bottom $maxBottom" \
    "(work area 480 x 360 on a 640 x 480 screen)"
# A panel at the top while the flies walk (openbox takes a top margin): the work area's top
# moves down, and a fly seen below the new limit never walks above it again.
sed -i -e "/<margins>/,/<\/margins>/{s|<top>[0-9]*</top>|<top>200</top>|}" "$work/rc.xml"
openbox --reconfigure
top_moved() { read -r _ areaTop _ < <(work_area) && [ "$areaTop" = 200 ]; }
wait_until "openbox did not move the work area's top to 200 px" top_moved
# A fly above the new limit works its way down with a rest at every push-back: the flies are
# watched for 8 s, and on until one has come below the limit, for at most a minute.
declare -A inside=()
end=$((SECONDS + 8))
deadline=$((SECONDS + 60))
while ((SECONDS < deadline && (SECONDS < end || ${#inside[@]} == 0))); do
    while read -r id left top w h; do
        if ((top >= 200 - 20)); then
            inside[$id]=1
        elif [ -n "${inside[$id]:-}" ]; then
            fail "fly $id walked above the work area's new top (its top edge $top)"
        fi
    done < <(fly_positions)
    sleep 0.03
done
[ ${#inside[@]} -ge 1 ] || fail "no fly was seen below the work area's new top"
echo "after a panel took the top 200 px, ${#inside[@]} flies kept below its limit"
kill -0 "$quillop_pid" || fail "quillop ended by itself"
echo "PASS"
