#!/usr/bin/env bash
# Prints the CPU seconds (user and system) used so far by the X server of $QUILLOP_XVFB_PID and
# by the wineserver of $WINEPREFIX: "xvfb wineserver".
seconds() {
    local ticks
    ticks=$(awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0)
    awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.3f", t / hz}'
}
server=0
for dir in /proc/[0-9]*; do
    case $(cat "$dir/comm" 2>/dev/null) in
    wineserver | wineserver64)
        if tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            server=${dir#/proc/}
        fi
        ;;
    esac
done
echo "$(seconds "$QUILLOP_XVFB_PID") $(seconds "$server")"
