#!/usr/bin/env bash
# The pointer on a fly: moving over its body freezes it, a click on a transparent corner reaches
# the window beneath, a double click of the right button does nothing, and a double click of
# the left button on its body hides it for good.
source "$(dirname "$0")/e2e-lib.sh"

start_display 52 1024 768
start_backdrop e8d8b0
# With a tray the settings window stays hidden, so nothing but the backdrop lies under the flies.
start_tray
start_quillop
wait_for_flies 3

# position ID: "LEFT TOP" of one fly now.
position() {
    fly_positions | awk -v id="$1" '$1 == id {print $2, $3}'
}

# alone ID: true when no other shown fly's window overlaps this fly's (the pointer would reach
# whichever is on top).
alone() {
    local id left top
    read -r left top <<<"$(position "$1")"
    while read -r id l t _; do
        [ "$id" = "$1" ] && continue
        [ "$(map_state "$id")" = IsViewable ] || continue
        ((l - left < 60 && left - l < 60 && t - top < 60 && top - t < 60)) && return 1
    done < <(fly_positions)
    return 0
}

# Catches a fly while it walks and moves the pointer onto its middle, where its body is;
# keeps the pointer moving there in small steps for 4 s and succeeds when the fly stood still
# all that time (a fly that is not frozen walks off within that time, almost always).
freeze_a_fly() {
    local id left top deadline=$((SECONDS + 90))
    while ((SECONDS < deadline)); do
        declare -A before=()
        while read -r id left top _; do before[$id]="$left $top"; done < <(fly_positions)
        sleep 0.03
        while read -r id left top _; do
            [ "${before[$id]:-}" != "$left $top" ] || continue
            [ "$(map_state "$id")" = IsViewable ] || continue
            ((left > 10 && top > 30 && left < 950 && top < 690)) || continue  # clear of the tray panel
            alone "$id" || continue
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
            # Under load the fly may have walked on before the pointer caught it.
            read -r left top <<<"$frozen"
            ((left > 10 && top > 30 && left < 950 && top < 690)) || still=0
            if ((still)) && alone "$id"; then
                fly=$id
                return 0
            fi
            break
        done < <(fly_positions)
    done
    return 1
}

# Freezes a fly, then clicks it: its transparent corner, its body with the right button twice,
# its body with the left button twice. Returns 2 when another fly walked over it meanwhile, as
# the test can then not tell which fly it clicked.
click_a_fly() {
    freeze_a_fly || fail "no fly stood still while the pointer moved over its body"
    read -r left top <<<"$frozen"
    echo "fly $fly froze at ($left, $top) under the moving pointer"

    # The freeze lasts 200 ticks after the last movement: time for the clicks below.
    : >"$work/backdrop.log"
    xdotool mousemove $((left + 1)) $((top + 1)) click 1
    wait_until "a click on the fly's transparent corner did not reach the window beneath" \
        grep -q "^press 1 $((left + 1)) $((top + 1))$" "$work/backdrop.log"

    alone "$fly" || return 2
    # Back on the body, which renews the freeze; on a loaded machine it may have run out since,
    # and a fly that walked on meanwhile cannot be told from one that took the clicks badly.
    xdotool mousemove $((left + 30)) $((top + 30))
    [ "$(position "$fly")" = "$frozen" ] || return 2
    xdotool click --repeat 2 --delay 80 3
    # A click through the corner after them: once it reached the backdrop, so had they.
    xdotool mousemove $((left + 1)) $((top + 1)) click 1
    second_press() { [ "$(grep -c "^press 1" "$work/backdrop.log")" -ge 2 ]; }
    wait_until "a second click on the fly's transparent corner did not reach the window beneath" \
        second_press
    xdotool mousemove $((left + 30)) $((top + 30))
    [ "$(map_state "$fly")" = IsViewable ] || fail "a double click of the right button hid the fly"
    now=$(position "$fly")
    [ "$now" = "$frozen" ] || return 2
    grep -q "^press 3" "$work/backdrop.log" && fail "a click on the fly's body reached the backdrop"
    alone "$fly" || return 2
    # A one-pixel move first renews the freeze, which the checks above may have used up.
    xdotool mousemove_relative -- 1 0
    [ "$(position "$fly")" = "$frozen" ] || return 2
    xdotool click --repeat 2 --delay 80 1
    poll 5 hidden_fly "$fly" && return 0
    alone "$fly" || return 2
    fail "a double click on the body at ($((left + 31)), $((top + 30))) did not hide the fly" \
        "standing at ($(position "$fly")); pointer: $(xdotool getmouselocation)"
}

hidden_fly() { [ "$(map_state "$1")" = IsUnMapped ]; }

for ((try = 1; ; try++)); do
    status=0
    click_a_fly || status=$?
    [ $status -eq 0 ] && break
    ((try < 6)) || fail "other flies kept walking over the frozen fly, or it walked on"
    echo "another fly walked over it, or it walked on before the clicks; again"
done
wait_for_moves 20
[ "$(map_state "$fly")" = IsUnMapped ] || fail "the hidden fly came back"
others=0
while read -r id _; do
    [ "$id" = "$fly" ] && continue
    [ "$(map_state "$id")" = IsViewable ] && others=$((others + 1))
done < <(fly_positions)
[ $others -eq 2 ] || fail "the other two flies should still be shown, $others are"
kill -0 "$quillop_pid" || fail "quillop ended by itself"
echo "PASS"
