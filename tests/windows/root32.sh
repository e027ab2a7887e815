#!/usr/bin/env bash
# The 32-bit Windows programs run under a 32-bit Wine in a Debian root of their own: wine32
# cannot be installed beside the 64-bit Wine when the two architectures' packages are out of
# step. The root is made once per machine and kept (QUILLOP_ROOT32, by default
# /var/cache/quillop/root-i386); each run mounts /proc, /dev, /tmp (shared with the host's X
# servers and their locks), the source tree and the working folder into it, and unmounts them
# when it ends.
# Usage: root32.sh check         exit 0 when this kernel runs 32-bit programs; else says so
#                                in one line and exits 77 (ctest's skip)
#        root32.sh make          makes the root if it is missing or outdated
#        root32.sh run COMMAND…  runs COMMAND in the root, from the current folder
set -uo pipefail
root=${QUILLOP_ROOT32:-/var/cache/quillop/root-i386}
source_dir=$(realpath "$(dirname "$0")/../..")
packages=wine,wine32,xvfb,x11-utils,xdotool,xcompmgr,imagemagick,fonts-wine,procps
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo --preserve-env)

# Whether this kernel runs a tiny static 32-bit program (some boot with ia32 emulation off).
check() {
    local dir status
    dir=$(mktemp -d)
    printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' |
        as --32 -o "$dir/probe.o" - 2>/dev/null &&
        ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" 2>/dev/null &&
        "$dir/probe" 2>/dev/null
    status=$?
    rm -rf "$dir"
    if [ $status -ne 0 ]; then
        echo "This kernel does not run 32-bit programs: the 32-bit Windows tests are skipped"
        return 77
    fi
}

# The Debian mirror that the system's apt sources name for its own release.
mirror() {
    local codename
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    local sources=(/etc/apt/sources.list.d/*.sources)
    {
        # deb822 files: stanzas separated by blank lines.
        [ ! -f "${sources[0]}" ] || awk -v suite="$codename" '
            function stanza_end() {
                if (deb && match_ && uri && !done) { print uri; done = 1; exit }
                deb = match_ = 0; uri = ""
            }
            FNR == 1 || /^[[:space:]]*$/ { stanza_end() }
            tolower($1) == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
            tolower($1) == "uris:" { uri = $2 }
            tolower($1) == "suites:" { for (i = 2; i <= NF; i++) if ($i == suite) match_ = 1 }
            END { stanza_end() }' "${sources[@]}"
        # One-line files: deb [options] uri suite components...
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            sed -E 's/\[[^]]*\]//' |
            awk -v suite="$codename" '$1 == "deb" && $3 == suite { print $2 }'
    } | head -n 1
}

# Takes the root for this process alone: one run at a time mounts into it or remakes it.
lock_root() {
    local lock=/tmp/quillop-root32.lock
    [ -e "$lock" ] || : >"$lock"
    exec 9<"$lock"
    flock 9
}

# The mount points inside the root, the innermost first.
mounts_in_root() {
    awk '{ print $5 }' /proc/self/mountinfo | grep "^$root/" | sort -r
}

# Unmounts what a run that was killed (a test's time-out) left mounted in the root.
unmount_stale() {
    local point
    for point in $(mounts_in_root); do
        "${sudo[@]}" umount -l "$point" 2>/dev/null
    done
    [ -z "$(mounts_in_root)" ]
}

make_root() {
    local stamp="$root/.quillop-root" url codename
    lock_root
    [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$packages" ] && return 0
    # NOTE: the host's own folders are bound into the root during a run; removing the root
    # with them still mounted would remove the host's files.
    if ! unmount_stale; then
        echo "Something stays mounted in $root: not remaking it" >&2
        return 1
    fi
    url=$(mirror)
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    if [ -z "$url" ]; then
        echo "No Debian mirror for $codename in the apt sources" >&2
        return 1
    fi
    echo "Making the 32-bit root $root ($codename from $url)"
    "${sudo[@]}" rm -rf --one-file-system "$root"
    "${sudo[@]}" mkdir -p "$root"
    local log start=$SECONDS
    log=$(mktemp)
    if ! "${sudo[@]}" debootstrap --arch=i386 --variant=minbase --include="$packages" \
        "$codename" "$root" "$url" >"$log" 2>&1; then
        tail -n 20 "$log" >&2
        rm -f "$log"
        unmount_stale && "${sudo[@]}" rm -rf --one-file-system "$root"
        return 1
    fi
    rm -f "$log"
    echo "$packages" | "${sudo[@]}" tee "$stamp" >/dev/null
    echo "Made the 32-bit root in $((SECONDS - start)) s"
}

mounted=()
unmount_all() {
    local index
    for ((index = ${#mounted[@]} - 1; index >= 0; index--)); do
        "${sudo[@]}" umount -R "${mounted[index]}" 2>/dev/null ||
            "${sudo[@]}" umount -R -l "${mounted[index]}"
    done
    mounted=()
}

# Mounts what from the host at the same path in the root (a bind unless a type is given).
mount_in_root() {
    local what=$1 type=${2:-}
    "${sudo[@]}" mkdir -p "$root$what"
    if [ -n "$type" ]; then
        "${sudo[@]}" mount -t "$type" "$type" "$root$what" || return 1
    else
        "${sudo[@]}" mount --rbind "$what" "$root$what" || return 1
        "${sudo[@]}" mount --make-rslave "$root$what"
    fi
    mounted+=("$root$what")
}

run() {
    local here=$PWD status
    [ -f "$root/.quillop-root" ] || { echo "No 32-bit root in $root" >&2; return 1; }
    lock_root
    unmount_stale
    trap unmount_all EXIT
    trap 'exit 130' INT TERM
    mount_in_root /proc proc && mount_in_root /dev && mount_in_root /tmp &&
        mount_in_root "$source_dir" || return 1
    case $here/ in
    "$source_dir"/*) ;;
    *) mount_in_root "$here" || return 1 ;;
    esac
    local user=()
    [ "$(id -u)" -eq 0 ] || user=(--userspec="$(id -u):$(id -g)")
    "${sudo[@]}" chroot "${user[@]}" "$root" /usr/bin/env \
        PATH=/usr/local/bin:/usr/bin:/bin HOME="${HOME:-/tmp}" WINEARCH=win32 \
        bash -c 'cd "$1" && shift && exec "$@"' bash "$here" "$@"
    status=$?
    unmount_all
    return $status
}

case ${1:-} in
check) check ;;
make) check && make_root ;;
run)
    shift
    check && run "$@"
    ;;
*)
    echo "Usage: $0 check | make | run COMMAND..." >&2
    exit 2
    ;;
esac
