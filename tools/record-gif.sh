#!/usr/bin/env bash
# Records docs/flies.gif: about 4 s of the real Linux program under Xvfb with xcompmgr, three
# flies over two plain windows, walking, resting and turning; the pointer comes to rest on one
# of them, which stands still under it. The script draws the pointer itself.
#
# Usage: tools/record-gif.sh [OUTPUT]   (QUILLOP_BUILD chooses the build folder; the display
# is :59, moved by QUILLOP_DISPLAY_OFFSET as in the end-to-end tests, whose steps it shares)
cd "$(dirname "$0")/.."
output=${1:-docs/flies.gif}
build=${QUILLOP_BUILD:-build/linux}
width=640
height=360
frames=75
tools/install-deps.sh
[ -f "$build/build.ninja" ] || cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" --target quillop quillop_testwindow >/dev/null
set -- "$build/quillop" "$build/tests/quillop_testwindow"
source tests/linux/e2e-lib.sh

# NOTE: the frames are copied from the server's framebuffer file: reading the root window
# through the X protocol takes a tenth of a second and more, and xwd shows the ARGB fly windows
# without the compositor's blending.
mkdir -p "$work/screen"
start_xvfb 59 -screen 0 "${width}x${height}x24" -fbdir "$work/screen" -nocursor
xcompmgr >/dev/null 2>&1 &
started+=($!)

# A window over part of a warm backdrop; each goes below what is there, so start the upper first.
start_testwindow window.log 340 60 260 270 dfe6ee
start_backdrop c9b48f
# A tray for the program's icon (without one the settings window would open at start-up).
start_tray
mkdir -p "$work/config/QuillopPro"
printf '[General]\nFlies=3\nOnTop=1\nStartup=0\n' >"$work/config/QuillopPro/QuillopPro.conf"
XDG_CONFIG_HOME=$work/config start_quillop
xdotool mousemove "$width" "$height"

# fly_centre ID: "X Y", the middle of that fly window.
fly_centre() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
        /Width:/ {w = $2} /Height:/ {h = $2} END {print x + int(w / 2), y + int(h / 2)}'
}
wait_for_flies 3
fly=$(fly_positions | awk '{print $1; exit}')
# Let the flies spread out a little first.
sleep 0.6

# One frame every 60 ms; from frame 12 the pointer chases a fly and, once on it, wiggles there
# (each move over it freezes the fly anew); after frame 30 it leaves, and the fly walks on two
# seconds later.
x=$width
y=$height
target=()
# microseconds: the time now in microseconds, without starting a process.
microseconds() {
    local now=${EPOCHREALTIME/[.,]/}
    echo $((10#$now))
}
begin=$(microseconds)
for ((frame = 0; frame < frames; frame++)); do
    due=$((begin + frame * 60000))
    if ((frame >= 12 && frame < 18)); then
        read -r -a target <<<"$(fly_centre "$fly")"
        x=$((x + (target[0] - x) / (18 - frame)))
        y=$((y + (target[1] - y) / (18 - frame)))
    elif ((frame >= 18 && frame <= 30)); then
        x=$((target[0] + frame % 2 * 2))
        y=$((target[1] + 4))
    elif ((frame > 30 && x < width)); then
        x=$((x + 30))
        y=$((y + 10))
    fi
    ((frame < 12 || x > width)) || xdotool mousemove "$x" "$y"
    name=$work/$(printf %03d "$frame")
    cp "$work/screen/Xvfb_screen0" "$name.xwd"
    echo "$x $y $(microseconds)" >"$name.pointer"
    wait=$((due + 60000 - $(microseconds)))
    ((wait <= 0)) || sleep "0.$(printf %06d "$wait")"
done
end=$(microseconds)

# The pointer: a white arrow with a dark rim, its tip at the pointer's position. Each frame
# lasts until the next one was taken, so a busy machine shows fewer frames, not faster flies.
pictures=()
previous=
for file in "$work"/*.xwd; do
    read -r px py taken <"${file%.xwd}.pointer"
    if [ -n "$previous" ]; then
        pictures+=(-delay "$(((taken - previous + 5000) / 10000))" "$picture")
    fi
    previous=$taken
    picture=${file%.xwd}.png
    arrow="$px,$py $px,$((py + 17)) $((px + 4)),$((py + 13)) $((px + 7)),$((py + 20))"
    arrow+=" $((px + 10)),$((py + 19)) $((px + 7)),$((py + 12)) $((px + 12)),$((py + 12))"
    convert "$file" -fill white -stroke '#202020' -strokewidth 1 -draw "polygon $arrow" "$picture"
done
pictures+=(-delay 6 "$picture")
convert -loop 0 "${pictures[@]}" -fuzz 2% -layers Optimize "$output"
echo "$output: $(stat -c %s "$output") bytes, $frames frames in $(((end - begin) / 1000)) ms"
