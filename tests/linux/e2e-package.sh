#!/usr/bin/env bash
# The Debian package: built by cpack, checked by lintian, hardening-check, desktop-file-validate
# and appstreamcli, then installed with dpkg into a fresh root whose package database holds only
# the host's packages that it depends on (the libraries themselves are the host's). The
# installed program shows its flies, survives an upgrade and its removal while it runs, and
# leaves nothing behind but the user's settings. Arguments: quillop, the test window, the build
# folder.
source "$(dirname "$0")/e2e-lib.sh"
build=$3

cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(tail -n 5 "$work/cpack.log")"
deb=$(echo "$work"/pkg/quillop_*_amd64.deb)
[ -f "$deb" ] || fail "cpack made no package: $(ls "$work/pkg")"
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 ||
    fail "lintian: $(cat "$work/lintian.log")"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes," \
    "lintian: no error in $(grep -c . "$work/lintian.log") lines"
# NOTE: Debian 12's C start files carry no control-flow marks, so no program linked there shows
# control-flow integrity (the system's own /usr/bin/ls neither); that check is left out.
dpkg-deb -x "$deb" "$work/contents"
hardening-check --nocfprotection "$work/contents/usr/bin/quillop" >"$work/hardening.log" 2>&1 ||
    fail "hardening-check: $(cat "$work/hardening.log")"
echo "hardening-check: $(grep -c ': yes' "$work/hardening.log") checks passed"

# The same package as version 1.0-1, to upgrade from.
dpkg-deb -R "$deb" "$work/old"
sed -i 's/^Version: .*/Version: 1.0-1/' "$work/old/DEBIAN/control"
dpkg-deb -b "$work/old" "$work/old.deb" >/dev/null

root=$work/root
admin=$root/var/lib/dpkg
mkdir -p "$admin/info" "$admin/updates"
touch "$admin/available"
for dependency in $(dpkg-deb -f "$deb" Depends | sed -E 's/\([^)]*\)//g; s/[,|]/ /g'); do
    dpkg-query -s "$dependency" >>"$admin/status" 2>/dev/null && echo >>"$admin/status"
    touch "$admin/info/$dependency.list"
done
# NOTE: dpkg looks for ldconfig and start-stop-daemon, which a user's PATH may lack, and logs to
# the host's /var/log/dpkg.log even with --root.
dpkg=(env "PATH=$PATH:/usr/sbin:/sbin" dpkg --root="$root" --log="$work/dpkg-history.log")
[ "$(id -u)" -eq 0 ] || dpkg=(fakeroot "${dpkg[@]}")
"${dpkg[@]}" --install "$work/old.deb" >"$work/dpkg.log" 2>&1 ||
    fail "dpkg -i: $(cat "$work/dpkg.log")"

share=$root/usr/share
desktop-file-validate "$share/applications/quillop.desktop" || fail "the desktop entry is invalid"
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml >"$work/appstream.log" ||
    fail "appstreamcli: $(cat "$work/appstream.log")"
for size in 16 24 32 48 64 128 256; do
    [ "$(identify -format %wx%h "$share/icons/hicolor/${size}x$size/apps/quillop.png")" = \
        "${size}x$size" ] || fail "no $size pixel icon"
done
echo "installed 1.0-1: desktop entry and metainfo valid, icons at 16..256 pixels"

start_display 58 640 480
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
autostart=$XDG_CONFIG_HOME/autostart/QuillopPro.desktop
mkdir -p "$HOME"
installed=$root/usr/bin/quillop
QUILLOP=$installed

# Upgraded while it runs: the flies go on, and "Load on startup" (on by default) names the
# installed program at Exit.
start_quillop
wait_for_flies 3
"${dpkg[@]}" --install "$deb" >"$work/dpkg.log" 2>&1 || fail "the upgrade: $(cat "$work/dpkg.log")"
[ "$(dpkg-query --admindir="$admin" -W -f '${Version}' quillop)" = 1.1-1 ] || fail "not upgraded"
wait_for_moves 2
[ "$(fly_positions | wc -l)" -eq 3 ] || fail "the upgrade left $(fly_positions | wc -l) flies"
kill -TERM "$quillop_pid"
wait_for_exit "SIGTERM after the upgrade"
grep -qx "Exec=$installed" "$autostart" || fail "the autostart entry: $(cat "$autostart")"
echo "upgraded to 1.1-1 while running: 3 flies, then $(grep '^Exec' "$autostart")"

# Removed while it runs: it ends as usual, and the entry still names the installed program,
# which the desktop skips while it is missing.
start_quillop
wait_for_flies 3
"${dpkg[@]}" --purge quillop >"$work/dpkg.log" 2>&1 || fail "dpkg --purge: $(cat "$work/dpkg.log")"
kill -TERM "$quillop_pid"
wait_for_exit "SIGTERM after the removal"
grep -qx "TryExec=$installed" "$autostart" || fail "after the removal: $(cat "$autostart")"
left=$(find "$root" -mindepth 1 -not -path "$root/var" -not -path "$root/var/lib" \
    -not -path "$admin" -not -path "$admin/*")
[ -z "$left" ] || fail "the removal left: $left"
[ -z "$(find "$admin/info" -name 'quillop.*')" ] || fail "dpkg still lists quillop's files"
# What Quillop writes (other programs, a session bus for one, may leave files of their own).
kept=$(cd "$XDG_CONFIG_HOME" && find QuillopPro autostart -type f | sort | tr '\n' ' ')
[ "$kept" = "QuillopPro/QuillopPro.conf autostart/QuillopPro.desktop " ] ||
    fail "Quillop's folders hold: $kept"
echo "removed while running: exit code 0, nothing left but $kept"

# The program run from a build folder takes the entry back at its Exit.
QUILLOP=$1
start_quillop
wait_for_flies 3
kill -TERM "$quillop_pid"
wait_for_exit
grep -qx "TryExec=$QUILLOP" "$autostart" || fail "the build's Exit left: $(cat "$autostart")"
echo "the build's own program: $(grep '^Exec' "$autostart")"
echo "PASS"
