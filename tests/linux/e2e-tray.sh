#!/usr/bin/env bash
# The tray icon in trayer and its menu, and the settings window, driven as a person would:
# right clicks and access keys in the menu, a double click on the icon, typing in the window.
source "$(dirname "$0")/e2e-lib.sh"

start_display 57 1024 768
start_backdrop 3a6ea5
start_tray
export XDG_CONFIG_HOME=$work/config
conf=$XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf
shots=${QUILLOP_SCREENSHOTS:-}

# icon_at: waits until the icon has docked and sets $icon_x and $icon_y to its middle.
icon_at() {
    wait_until "the tray icon did not dock in trayer" icon_docked
}
icon_docked() { read -r icon_x icon_y < <(tray_icon); }

# menu_shown: the open menu, if any.
menu_shown() {
    local id props
    for id in $(xdotool search --onlyvisible --classname '^quillop$' 2>/dev/null); do
        props=$(xprop -id "$id" WM_CLASS WM_NAME 2>/dev/null)
        [[ $props == *'"quillop", "Quillop"'* && $props != *'"frmPngFly'* ]] || continue
        if xwininfo -id "$id" | awk '/Width:/ {w = $2} END {exit !(w > 40)}'; then
            echo "$id"
            return 0
        fi
    done
}

# open_menu [CLICK]: a right click on the icon (or xdotool's click arguments CLICK); waits for
# the menu to show and prints it: the program's visible window that is neither the icon nor a
# fly nor the settings window. Sets $menu_clicks to the clicks it took.
open_menu() {
    # NOTE: a click that reaches the icon while trayer is still embedding it is lost, so the
    # click is repeated when no menu follows within 5 s.
    for ((menu_clicks = 1; menu_clicks <= 4; menu_clicks++)); do
        # shellcheck disable=SC2086
        xdotool mousemove "$icon_x" "$icon_y" click ${1:-3}
        poll 5 menu_shown && return 0
    done
    fail "no menu opened on a right click on the icon"
}

# wait_gone FUNCTION WHAT: waits until FUNCTION prints nothing; fails saying WHAT.
wait_gone() {
    wait_until "$2" prints_nothing "$1"
}
prints_nothing() { [ -z "$($1)" ]; }

# menu_key KEY [CLICK]: opens the menu and chooses an entry by its access key.
menu_key() {
    local try
    open_menu "${2:-}" >/dev/null
    # NOTE: a key that comes before the menu has taken the keyboard is lost, so it is pressed
    # again while the menu stays open. On a busy machine a menu may come only after a repeated
    # click, which then opens it anew: the key may fall between the two, while it is closed.
    for ((try = 0; try < 4; try++)); do
        xdotool key "$1"
        poll 2 prints_nothing menu_shown || continue
        ((menu_clicks == 1)) || ! poll 2 menu_shown || continue
        return 0
    done
    fail "the menu stayed open after its access key $1"
}

# placed WINDOW: true once the window manager has framed WINDOW.
placed() {
    xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q =
}

# client_geometry ID: sets X, Y (the client area's place on the screen), WIDTH and HEIGHT.
client_geometry() {
    read -r X Y WIDTH HEIGHT < <(xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x = $4}
        /Absolute upper-left Y:/ {y = $4} /Width:/ {w = $2} /Height:/ {print x, y, w, $2}')
}

# show_by_double_click: a double click on the icon shows the window; sets $window, $X and $Y.
show_by_double_click() {
    xdotool mousemove "$icon_x" "$icon_y" click --repeat 2 --delay 80 1
    window=$(wait_for_window --classname TfrmMain)
    wait_until "openbox did not frame the settings window" placed "$window"
    client_geometry "$window"
}

# click_count_field: a click into the count field of the window at $X, $Y.
click_count_field() {
    read -r group_left group_top _ < <(layout_place kGroupBoxPlace)
    read -r count_left count_top _ < <(layout_place kCountPlace)
    xdotool mousemove $((X + group_left + count_left + 12)) $((Y + group_top + count_top + 11)) \
        click 1
    # Keys sent next reach the field once the program has taken the click and focused it.
    wait_for_moves
}

# hide_a_fly: double-clicks flies until one is hidden.
hide_a_fly() {
    local attempt id left top
    for ((attempt = 0; attempt < 20; attempt++)); do
        read -r id left top _ < <(fly_positions | head -n 1)
        xdotool mousemove $((left + 30)) $((top + 30)) click --repeat 2 --delay 80 1
        poll 1 a_fly_hidden && return 0
    done
    fail "no fly could be hidden by a double click"
}

a_fly_hidden() {
    [[ $(fly_positions | while read -r id _; do map_state "$id"; done) == *IsUnMapped* ]]
}

start_quillop
wait_for_flies 3
icon_at
[ -z "$(settings_window)" ] || fail "the settings window opened at start-up although a tray exists"
echo "the icon docked at $icon_x, $icon_y"

menu=$(open_menu)
read -r width height < <(xwininfo -id "$menu" | awk '/Width:/ {w = $2} /Height:/ {print w, $2}')
((width > 60 && height > 80)) || fail "the menu is only ${width}x$height"
if [ -n "$shots" ]; then
    wait_for_moves 1
    import -window root -crop 300x200+724+0 "$shots/linux-menu.png"
fi
xdotool key d
wait_for_flies 8 -eq
wait_gone menu_shown "the menu stayed open after its access key d"
echo "right click: a menu of ${width}x$height; \"Add 5 flies\" (d): 8 flies"

hide_a_fly
menu_key c
wait_for_flies 0 -eq
echo "\"Close all flies\" (c): no fly left, the hidden one too"

# A right double click is two right clicks: it opens the menu, never the settings window,
# however soon the second click follows the first, also when it comes too late for a double
# click and meets the menu that the first one opened under the pointer.
for delay in 0 50 100 200 300 600; do
    menu_key a "--repeat 2 --delay $delay 3"
done
wait_for_flies 6 -eq
[ -z "$(settings_window)" ] || fail "a right double click opened the settings window"
echo "right double clicks 0 to 600 ms apart, \"Add fly\" (a) in each menu: 6 flies"
menu_key s
window=$(wait_for_window --classname TfrmMain)
wait_until "openbox did not frame the settings window" placed "$window"
client_geometry "$window"
read -r left top _ < <(xprop -id "$window" _NET_FRAME_EXTENTS | awk -F'[=,]' '{print $2, $4}')
[ "$WIDTH x $HEIGHT" = "280 x 169" ] || fail "the settings window is $WIDTH x $HEIGHT"
frame_x=$((X - left))
frame_y=$((Y - top))
[ "$frame_x,$frame_y" = "527,339" ] || fail "the settings window stands at $frame_x,$frame_y"
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR ||
    fail "the settings window asks for a taskbar entry"
# Functions and decorations given; move only; a border and a title without buttons.
hints=$(xprop -id "$window" _MOTIF_WM_HINTS)
[[ $hints == *'= 0x3, 0x4, 0xa, 0x0, 0x0' ]] || fail "the settings window asks for $hints"
echo "\"Settings\" (s): the window at 527,339 with a client area of 280x169, no taskbar entry"

# The first Enter after the first show presses the unseen Button1: one more fly.
xdotool key Return
wait_for_flies 7 -eq
[ -n "$(settings_window)" ] || fail "Enter on Button1 closed the window"
xdotool key Escape
wait_for_moves 2
[ -n "$(settings_window)" ] || fail "Escape closed the window"
echo "first Enter: a fly added, the window stays; Escape does nothing"
if [ -n "$shots" ]; then
    import -window root -crop 320x230+505+300 "$shots/linux-settings.png"
fi

# Clearing "Always on top", typing 0 and a click on OK: every fly below, the window hidden.
above=$(fly_positions | while read -r id _; do xprop -id "$id" _NET_WM_STATE; done)
[[ $above == *_NET_WM_STATE_ABOVE* ]] || fail "the flies added from the menu are not above"
xdotool mousemove $((X + 8 + 16 + 8)) $((Y + 4 + 32 + 8)) click 1
click_count_field
xdotool key ctrl+a type 0
xdotool mousemove $((X + 198 + 30)) $((Y + 136 + 12)) click 1
wait_gone settings_window "OK did not hide the settings window"
above=$(fly_positions | while read -r id _; do xprop -id "$id" _NET_WM_STATE; done)
[[ $above != *_NET_WM_STATE_ABOVE* ]] || fail "a fly is still above the others"
echo "\"Always on top\" cleared, 0 typed and OK: the window hidden, no fly above"

# A double click on the icon shows the window again. The window manager's close ends the
# program, which writes the 1 that OK made of 0.
show_by_double_click
xdotool key alt+F4
wait_for_exit "openbox's close of the settings window"
grep -qix 'Flies=1' "$conf" || fail "0 typed and OK, then a close wrote: $(cat "$conf")"
grep -qix 'OnTop=0' "$conf" || fail "the cleared \"Always on top\" was not written"
[ -z "$(tray_icon)" ] || fail "the tray icon stayed after the close"
echo "double click: the window; openbox's close: Flies=1 OnTop=0 written, icon gone"

# Enter in the field presses OK and leaves a typed 150 as it is. Shown again, the window
# loses the activation to another one; "Exit" still writes 150.
start_quillop
wait_for_flies 1 -eq
icon_at
show_by_double_click
click_count_field
xdotool key ctrl+a type 150
xdotool type x
xdotool key Return
wait_gone settings_window "Enter in the field did not hide the settings window"
show_by_double_click
backdrop=$(xdotool search --name '^quillop test backdrop$' | head -n 1)
xdotool windowfocus --sync "$backdrop"
focused() { [ "$(xdotool getwindowfocus)" = "$backdrop" ]; }
wait_until "the backdrop did not take the focus" focused
menu_key e
wait_for_exit
grep -qix 'Flies=150' "$conf" || fail "150, Enter, another window, \"Exit\" wrote: $(cat "$conf")"
echo "150 and Enter: the window hidden; shown, deactivated, \"Exit\": Flies=150 written"
echo "PASS"
