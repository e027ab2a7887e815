#!/usr/bin/env bash
# Downloads the upstream libpng tarball of Debian's libpng1.6 source package into DIR, through
# a private deb-src list made from the system's own package sources. The system's apt
# configuration is only read, never changed.
set -euo pipefail
dir=$1
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
apt-get "${opts[@]}" source --download-only --tar-only libpng1.6
ls "$dir"/libpng1.6_*.orig.tar.*
