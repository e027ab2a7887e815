#!/usr/bin/env bash
# With X resources that ask for 192 dpi (Xft.dpi, as desktops that let X11 programs scale
# themselves set it), flies are 120 x 120 windows showing the pictures drawn at that size; set
# to 144 dpi while the program runs, they become 90 x 90. When QUILLOP_SCREENSHOTS names a folder, a fly at 1x, 1.5x and 2x
# (96, 144 and 192 dpi) is kept there, side by side, as scales.png.
source "$(dirname "$0")/e2e-lib.sh"

backdrop=78c86e
start_display 56 800 600
xrdb -merge <<<"Xft.dpi: 192"
start_backdrop $backdrop
start_tray
xcompmgr -n >"$work/xcompmgr.log" 2>&1 &
started+=($!)
start_quillop

# all_flies_are SIDE: true when three flies are shown and every one is SIDE x SIDE.
all_flies_are() {
    local flies
    flies=$(fly_positions)
    [ "$(wc -l <<<"$flies")" -eq 3 ] && ! awk -v s="$1" '$4 != s || $5 != s {bad = 1}
        END {exit !bad}' <<<"$flies"
}

# keep SIDE SCALE: with QUILLOP_SCREENSHOTS set, a fly of SIDE x SIDE as the screen shows it.
keep() {
    [ -n "${QUILLOP_SCREENSHOTS:-}" ] || return 0
    shoot_still_fly shot "$1"
    convert "$work/shot.png" -crop "${1}x${1}+$left+$top" +repage "$work/scale-$2.png"
}

# best_match SIDE SUFFIX: "PIXELS NAME" of the picture (resources/d_f$SUFFIX.png, SIDE x SIDE,
# over the backdrop, enlarged to SIDE x SIDE when smaller) that differs from the fly in the
# screenshot in the fewest pixels.
best_match() {
    local resources picture count best=999999 name=""
    resources=$(dirname "$0")/../../resources
    convert "$work/shot.png" -crop "${1}x${1}+$left+$top" +repage "$work/fly.png"
    for picture in "$resources"/[1-8]_[1-6]"$2".png; do
        convert -size "${1}x${1}" "xc:#$backdrop" "$picture" -resize "${1}x${1}" -composite \
            "$work/candidate.png"
        count=$(compare -metric AE -fuzz 3% "$work/fly.png" "$work/candidate.png" null: 2>&1) ||
            true
        count=${count%% *}
        if ((${count%.*} < best)); then
            best=${count%.*}
            name=$(basename "$picture" .png)
        fi
    done
    echo "$best $name"
}

wait_until "flies at 192 dpi are not 120 x 120: $(fly_positions)" all_flies_are 120
shoot_still_fly shot 120
read -r drawn name < <(best_match 120 @2x)
read -r doubled _ < <(best_match 120 "")
echo "at 192 dpi: the fly differs from $name in $drawn pixels, from the 1x picture enlarged in $doubled"
((drawn < 100)) || fail "the 120 x 120 fly is not one of the 2x pictures ($drawn pixels differ)"
((doubled > 2 * drawn + 200)) || fail "the fly looks like a 1x picture enlarged ($doubled)"
keep 120 2x

# A change of the X resources while the program runs reaches the flies at their next step.
xrdb -merge <<<"Xft.dpi: 144"
wait_until "flies after a change to 144 dpi are not 90 x 90: $(fly_positions)" all_flies_are 90
echo "at 144 dpi the flies are 90 x 90"
keep 90 1.5x
if [ -n "${QUILLOP_SCREENSHOTS:-}" ]; then
    xrdb -merge <<<"Xft.dpi: 96"
    wait_until "flies back at 96 dpi are not 60 x 60: $(fly_positions)" all_flies_are 60
    keep 60 1x
fi
if [ -n "${QUILLOP_SCREENSHOTS:-}" ]; then
    # The three side by side, each on a square of the 2x fly's size, enlarged for the eye.
    for scale in 1x 1.5x 2x; do
        convert "$work/scale-$scale.png" -background "#$backdrop" -gravity center -extent 130x130 \
            "$work/tile-$scale.png"
    done
    convert "$work/tile-1x.png" "$work/tile-1.5x.png" "$work/tile-2x.png" +append \
        -filter point -resize 200% "$QUILLOP_SCREENSHOTS/scales.png"
fi
kill "$quillop_pid"
wait_for_exit "SIGTERM"
