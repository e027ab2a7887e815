#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quillop need, if any are
# missing (with clang-format and clang-tidy, which CI runs). Uses sudo when not run as root.
# With --desktops, then also KDE Plasma and GNOME Shell (some hundreds of MB), for the tests
# on those desktops, which skip without them.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config git clang-format clang-tidy
    libpng-dev zlib1g-dev googletest libbenchmark-dev
    qt6-base-dev libxcb1-dev libxcb-shape0-dev libxcb-xfixes0-dev
    # The native Wayland flies, and Qt's Wayland platform for the shell's windows beside them.
    libwayland-dev wayland-protocols qt6-wayland
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
    wine64 wine xvfb xdotool xcompmgr openbox trayer x11-utils x11-xserver-utils imagemagick
    fonts-wine sway xwayland waybar foot grim swaybg strace
    dpkg-dev fakeroot desktop-file-utils appstream lintian devscripts nsis debootstrap
    # A compositor without the layer shell, and Python for the screenshots' sums.
    weston python3
    # A session bus as desktops have one: the tests must pass beside it.
    dbus-daemon dbus-bin dbus-x11
)
desktops=(
    kwin-wayland plasma-workspace plasma-desktop
    gnome-shell gnome-shell-extension-appindicator libglib2.0-bin
    # Qt 5's Wayland platform, for plasmashell, and a plain native window over the flies.
    qtwayland5 qmlscene qml-module-qtquick2
)
with_desktops=false
case ${1:-} in
"") ;;
--desktops) with_desktops=true ;;
*)
    echo "usage: $0 [--desktops]" >&2
    exit 2
    ;;
esac
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
updated=false

# install_missing WHAT PACKAGES...: installs those of the packages that are missing.
install_missing() {
    local what=$1 package missing=()
    shift
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing $what: ${missing[*]}"
    $updated || "${sudo[@]}" apt-get update -qq
    updated=true
    # NOTE: wine without its recommended packages: wine32 cannot run on a kernel without 32-bit
    # support, and the rest is not needed to run the tests.
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

install_missing "what the build and the tests need" "${packages[@]}"
! $with_desktops || install_missing "the desktops for the end-to-end tests" "${desktops[@]}"
