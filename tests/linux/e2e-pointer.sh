#!/usr/bin/env bash
# The pointer on a fly: moving over its body freezes it, a click on a transparent corner reaches
# the window beneath, a double click of the right button does nothing, and a double click of
# the left button on its body hides it for good.
source "$(dirname "$0")/e2e-lib.sh"

start_display 52 640 480
start_backdrop e8d8b0
start_quillop
wait_for_flies 3

# position ID: "LEFT TOP" of one fly now.
position() {
    fly_positions | awk -v id="$1" '$1 == id {print $2, $3}'
}

# Catches a fly while it walks and moves the pointer onto its middle, where its body is;
# keeps the pointer moving there in small steps for 4 s and succeeds when the fly stood still
# all that time (a fly that is not frozen walks off within that time, almost always).
freeze_a_fly() {
    local id left top deadline=$((SECONDS + 30))
    while ((SECONDS < deadline)); do
        declare -A before=()
        while read -r id left top _; do before[$id]="$left $top"; done < <(fly_positions)
        sleep 0.03
        while read -r id left top _; do
            [ "${before[$id]:-}" != "$left $top" ] || continue
            [ "$(map_state "$id")" = IsViewable ] || continue
            ((left > 10 && top > 10 && left < 570 && top < 410)) || continue
            xdotool mousemove $((left + 30)) $((top + 30))
            sleep 0.1
            frozen=$(position "$id")
            local still=1 end=$((SECONDS + 4)) step=1
            while ((SECONDS < end)); do
                xdotool mousemove_relative -- $step 0
                step=$((-step))
                sleep 0.04
                [ "$(position "$id")" = "$frozen" ] || {
                    still=0
                    break
                }
            done
            if ((still)); then
                fly=$id
                return 0
            fi
            break
        done < <(fly_positions)
    done
    return 1
}

freeze_a_fly || fail "no fly stood still while the pointer moved over its body"
read -r left top <<<"$frozen"
echo "fly $fly froze at ($left, $top) under the moving pointer"

# The freeze lasts 200 ticks after the last movement: time for the clicks below.
xdotool mousemove $((left + 1)) $((top + 1)) click 1
sleep 0.3
grep -q "^press 1 $((left + 1)) $((top + 1))$" "$work/backdrop.log" ||
    fail "a click on the fly's transparent corner did not reach the window beneath"

xdotool mousemove $((left + 30)) $((top + 30)) click --repeat 2 --delay 80 3
sleep 0.3
[ "$(map_state "$fly")" = IsViewable ] || fail "a double click of the right button hid the fly"
grep -q "^press 3" "$work/backdrop.log" && fail "a click on the fly's body reached the backdrop"

xdotool click --repeat 2 --delay 80 1
for ((i = 0; i < 20; i++)); do
    [ "$(map_state "$fly")" = IsUnMapped ] && break
    sleep 0.05
done
[ "$(map_state "$fly")" = IsUnMapped ] || fail "a double click on the body did not hide the fly"
sleep 3
[ "$(map_state "$fly")" = IsUnMapped ] || fail "the hidden fly came back"
others=0
while read -r id _; do
    [ "$id" = "$fly" ] && continue
    [ "$(map_state "$id")" = IsViewable ] && others=$((others + 1))
done < <(fly_positions)
[ $others -eq 2 ] || fail "the other two flies should still be shown, $others are"
kill -0 "$quillop_pid" || fail "quillop ended by itself"
echo "PASS"
