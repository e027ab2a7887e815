# Shared by the Windows end-to-end test and benchmark: a private Xvfb on one of the displays
# :40..:49 and a fresh Wine prefix, both cleaned up when the calling script exits.
started_pids=()
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Kills what the session started: the programs in the prefix, then the X server and helpers.
stop_wine_session() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
    fi
    local pid
    for pid in "${started_pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${started_pids[@]}"; do
        wait "$pid" 2>/dev/null
    done
    started_pids=()
}

# Starts Xvfb on a free display and makes a fresh prefix in folder/prefix.
start_wine_session() {
    local folder display
    mkdir -p "$1"
    folder=$(realpath "$1")
    trap stop_wine_session EXIT
    trap 'exit 130' INT TERM
    for display in 40 41 42 43 44 45 46 47 48 49; do
        [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ] && continue
        Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -noreset >"$folder/xvfb.log" 2>&1 &
        started_pids+=($!)
        export DISPLAY=":$display"
        local tries
        for tries in $(seq 50); do
            xdpyinfo >/dev/null 2>&1 && break
            sleep 0.1
        done
        if xdpyinfo >/dev/null 2>&1; then
            break
        fi
        stop_wine_session
        unset DISPLAY
    done
    if [ -z "${DISPLAY:-}" ]; then
        echo "No free X display among :40..:49" >&2
        exit 1
    fi
    export WINEPREFIX="$folder/prefix"
    rm -rf "$WINEPREFIX"
    wineboot -i >"$folder/wineboot.log" 2>&1
    # NOTE: without a window manager, hiding a managed window stalls about 2 s; unmanaged
    # windows do not. Wine reads the setting when wineserver starts, so it is stopped after.
    # A program that crashes ends at once instead of waiting behind Wine's crash dialog.
    # NOTE: Wine's own colour scheme draws hot-tracked text in pale grey; Windows' blue is set.
    printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' \
        '"Managed"="N"' '' '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' \
        '"ShowCrashDialog"=dword:00000000' '' '[HKEY_CURRENT_USER\Control Panel\Colors]' \
        '"HotTrackingColor"="0 102 204"' >"$folder/session.reg"
    wine regedit /S "Z:${folder//\//\\}\\session.reg" >/dev/null 2>&1
    # NOTE: this Wine does not look for its own fonts (fonts-wine) in its data folder; without
    # them "MS Sans Serif" and "Tahoma" fall back to a much wider font and labels are cut.
    if [ -d /usr/share/wine/fonts ]; then
        cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
    wineserver -k
    wineserver -w
}

# Runs a command with its output in a file, then shows the file. NOTE: Wine's background
# processes keep inherited pipes open, so output goes to a file rather than a pipe.
run_logged() {
    local log=$1 status
    shift
    "$@" >"$log" 2>&1
    status=$?
    cat "$log"
    return $status
}
