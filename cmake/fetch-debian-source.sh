#!/usr/bin/env bash
# fetch-debian-source.sh PACKAGE DIR: downloads the upstream tarball of Debian's source package
# PACKAGE into DIR (libpng1.6 for the Windows builds, wlroots for the layer shell's protocol),
# through a private deb-src list made from the system's own package sources. The system's apt
# configuration is only read, never changed.
set -euo pipefail
package=$1
dir=$2
mkdir -p "$dir/apt/lists/partial" "$dir/apt/cache/archives/partial" "$dir/apt/sources.list.d"
: >"$dir/apt/sources.list"
shopt -s nullglob
for f in /etc/apt/sources.list.d/*.sources; do
    sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$dir/apt/sources.list.d/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -nE 's/^deb[[:space:]]+/deb-src /p' "$f" >>"$dir/apt/sources.list"
done
opts=(-o "Dir::Etc::SourceList=$dir/apt/sources.list"
      -o "Dir::Etc::SourceParts=$dir/apt/sources.list.d"
      -o "Dir::State::Lists=$dir/apt/lists"
      -o "Dir::Cache=$dir/apt/cache"
      -o "Debug::NoLocking=1" -o "APT::Sandbox::User=root" -qq)
apt-get "${opts[@]}" update
cd "$dir"
apt-get "${opts[@]}" source --download-only --tar-only "$package"
ls "$dir/${package}"_*.orig.tar.*
