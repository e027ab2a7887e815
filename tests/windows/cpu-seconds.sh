#!/usr/bin/env bash
# Prints the CPU seconds (user and system) used so far by the X server of $QUILLOP_XVFB_PID and
# by the wineserver of $WINEPREFIX: "xvfb wineserver".
seconds() {
    local ticks
    ticks=$(awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0)
    awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.3f", t / hz}'
}
server=0
for pid in $(pgrep -x 'wineserver(64)?'); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
        server=$pid
    fi
done
echo "$(seconds "$QUILLOP_XVFB_PID") $(seconds "$server")"
