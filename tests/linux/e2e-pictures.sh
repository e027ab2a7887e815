#!/usr/bin/env bash
# What a fly looks like on a coloured backdrop. Without a compositing manager it is cut to its
# solid pixels: the corners of its 60 x 60 show the backdrop (no black square) and no pixel is a
# blend. With xcompmgr, started while the program runs, the soft shadow is blended: pixels that
# are the backdrop darkened, neither black nor the backdrop. When QUILLOP_SCREENSHOTS names a
# folder, the two pictures are kept there as linux-nocomp.png and linux.png. A fly uncovered
# while the program is stopped shows again all the same.
source "$(dirname "$0")/e2e-lib.sh"

backdrop=(120 200 110)
start_display 54 640 480
start_backdrop 78c86e
# With a tray the settings window stays hidden and leaves the flies alone on the backdrop.
start_tray
start_quillop
wait_for_flies 3

# crop NAME: the pixels of the fly at $left, $top in a screenshot, as text.
crop() {
    convert "$work/$1.png" -crop "60x60+$left+$top" +repage -depth 8 txt:- | tail -n +2
}

# analyse NAME: prints "CORNERS BLENDS DARK" for the fly at $left, $top: how many of its four
# corner pixels show the backdrop, how many pixels are the backdrop darkened (a shadow blended
# over it) and how many are dark (the body).
analyse() {
    crop "$1" |
        awk -v br="${backdrop[0]}" -v bg="${backdrop[1]}" -v bb="${backdrop[2]}" '
        {
            split($1, xy, /[,:]/)
            gsub(/[()]/, "", $2)
            split($2, c, ",")
            r = c[1]; g = c[2]; b = c[3]
            corner = (xy[1] == 0 || xy[1] == 59) && (xy[2] == 0 || xy[2] == 59)
            if (corner && r == br && g == bg && b == bb) corners++
            kr = r / br; kg = g / bg; kb = b / bb
            if (kr > 0.15 && kr < 0.92 && kr - kg < 0.05 && kg - kr < 0.05 &&
                kr - kb < 0.05 && kb - kr < 0.05) blends++
            if (r + g + b < 200) dark++
        }
        END {print corners + 0, blends + 0, dark + 0}'
}

keep() {
    [ -n "${QUILLOP_SCREENSHOTS:-}" ] || return 0
    local x=$((left - 30)) y=$((top - 15))
    ((x < 0)) && x=0
    ((y < 0)) && y=0
    ((x > 520)) && x=520
    ((y > 390)) && y=390
    convert "$work/$1.png" -crop "120x90+$x+$y" +repage -filter point -resize 400% \
        "$QUILLOP_SCREENSHOTS/$2"
}

shoot_still_fly plain 60
read -r corners blends dark < <(analyse plain)
echo "without a compositor (fly at $left,$top): $corners of 4 corners show the backdrop, $blends blended," \
    "$dark dark pixels"
[ "$corners" -eq 4 ] || fail "without a compositor the fly's corners are not the backdrop"
[ "$dark" -ge 20 ] || fail "without a compositor the fly's body is not drawn"
[ "$blends" -le 10 ] || fail "without a compositor there should be no blended shadow"
keep plain linux-nocomp.png

# A fly covered by another window and uncovered again is painted by the server from its
# picture, even while the program is stopped and could not draw it. The program is stopped
# at a moment when a fly stands clear of the others on screen; another moment is tried if none
# does. (A failure while it is stopped lets it go on first, in stop_started.)
stopped_with_clear_fly() {
    local stopped
    kill -STOP "$quillop_pid"
    # The server may still be taking the last moves it was sent.
    stopped=$(fly_positions)
    sleep 0.1
    [ "$stopped" = "$(fly_positions)" ] && clear_fly 60 "$stopped" && return 0
    kill -CONT "$quillop_pid"
    sleep 0.2
    return 1
}
wait_until -t 30 "no fly stood clear of the others while the program was stopped" \
    stopped_with_clear_fly
shoot_still_fly stopped 60
start_testwindow cover.log "$left" "$top" 60 60 ff00ff above
import -window root "$work/covered.png"
kill "$testwindow_pid"
wait "$testwindow_pid" 2>/dev/null || true
[ "$(crop covered | grep -c "#FF00FF")" -eq 3600 ] || fail "the test window did not cover the fly"
painted_again() {
    import -window root "$work/uncovered.png"
    [ "$(crop uncovered)" = "$(crop stopped)" ]
}
wait_until "an uncovered fly was not painted again" painted_again
kill -CONT "$quillop_pid"
echo "uncovered while the program was stopped: painted again by the server"

xcompmgr >"$work/xcompmgr.log" 2>&1 &
started+=($!)
# Once the program sees the compositor, it cuts no fly to its solid pixels any more.
uncut() {
    local id
    while read -r id _; do
        xwininfo -id "$id" -shape | grep -q 'No window shape defined' || return 1
    done < <(fly_positions)
}
wait_until "the flies are still cut to their solid pixels under xcompmgr" uncut
shoot_still_fly composited 60
read -r corners blends dark < <(analyse composited)
echo "with xcompmgr: $corners of 4 corners show the backdrop, $blends blended," \
    "$dark dark pixels"
[ "$corners" -eq 4 ] || fail "with xcompmgr the fly's corners are not the backdrop (black square?)"
[ "$dark" -ge 20 ] || fail "with xcompmgr the fly's body is not drawn"
[ "$blends" -ge 40 ] || fail "with xcompmgr the soft shadow is not blended over the backdrop"
keep composited linux.png
kill -0 "$quillop_pid" || fail "quillop ended by itself"
echo "PASS"
