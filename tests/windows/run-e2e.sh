#!/usr/bin/env bash
# Runs the end-to-end driver against Quillop.exe under Wine on a private Xvfb: first on the
# whole screen (and its version resource), then the settings (registry, tray menu, settings window), then on a screen
# of 192 dots per inch, then on a smaller work area with a compositing manager running.
# Usage: run-e2e.sh Quillop.exe RefusingQuillop.exe quillop_e2e_windows.exe work-folder
set -uo pipefail
quillop=$(realpath "$1")
refusing=$(realpath "$2")
driver=$(realpath "$3")
work=$(realpath -m "$4")
source "$(dirname "$0")/wine-session.sh"

start_wine_session "$work"
export QUILLOP_EXE="Z:${quillop//\//\\}" QUILLOP_REFUSING_EXE="Z:${refusing//\//\\}"
export QUILLOP_E2E_DIR="$work"

status=0
echo "--- the whole screen"
run_logged "$work/e2e-screen.log" wine "$driver" \
    --gtest_filter='QuillopRun.*:QuillopRefusedDraws.*:QuillopVersion.*' ||
    status=1
wineserver -k
wineserver -w

echo "--- the settings in the registry, the tray menu and the settings window"
run_logged "$work/e2e-settings.log" wine "$driver" \
    --gtest_filter='QuillopStore.*:QuillopTray.*:QuillopStoreReadOnly.*' || status=1
[ -f "$work/windows-settings.png" ] && echo "Screenshot: $work/windows-settings.png"
wineserver -k
wineserver -w

echo "--- a screen of 192 dots per inch"
# NOTE: Wine reads the screen's DPI from the user's LogPixels when a program starts.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
run_logged "$work/e2e-highdpi.log" wine "$driver" --gtest_filter='QuillopHighDpi.*' || status=1
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
wineserver -k
wineserver -w

echo "--- a smaller work area below a taskbar at the top, with xcompmgr"
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "0, 230, 1024, 200"
xcompmgr -n >/dev/null 2>&1 &
started_pids+=($!)
run_logged "$work/e2e-composited.log" wine "$driver" --gtest_filter='QuillopComposited.*' ||
    status=1
[ -f "$work/windows.png" ] && echo "Screenshot: $work/windows.png"
exit $status
