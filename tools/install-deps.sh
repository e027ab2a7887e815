#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quillop need, if any are
# missing (with clang-format and clang-tidy, which CI runs). Uses sudo when not run as root.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config git clang-format clang-tidy
    libpng-dev zlib1g-dev googletest libbenchmark-dev
    qt6-base-dev libxcb1-dev libxcb-shape0-dev libxcb-xfixes0-dev
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
    wine64 wine xvfb xdotool xcompmgr openbox trayer x11-utils x11-xserver-utils imagemagick
    fonts-wine sway xwayland waybar foot
    dpkg-dev fakeroot desktop-file-utils appstream lintian devscripts nsis debootstrap
    # A session bus as desktops have one: the tests must pass beside it.
    dbus-daemon dbus-bin dbus-x11
)
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
# NOTE: wine without its recommended packages: wine32 cannot run on a kernel without 32-bit
# support, and the rest is not needed to run the tests.
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
