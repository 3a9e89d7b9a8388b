#!/usr/bin/env bash
# Runs `make test` as a new user would on a fresh Debian: a minimal root made with debootstrap, a
# clean clone of this checkout's HEAD in it, nothing installed but `make`. `make deps` installs the
# rest from the mirror; `make test` then runs without network (a private network namespace with only
# its loopback up), as a Debian build does. Prints how long each step took, then removes the root.
#
#   scripts/check-debian13.sh [SUITE]     SUITE: trixie (the default), bookworm, ...
#
# Needs root (it asks for sudo otherwise), installs debootstrap when missing, and is not part of
# `make test`: the whole run takes about as long as `make test` itself plus a few minutes.
# Settings from the environment:
#   MIRROR     the Debian mirror (default: the first one this machine's apt uses, else deb.debian.org)
#   ROOTS_DIR  where the root is made (default: /var/tmp); it needs some 5 GB free
#   JOBS       parallel build jobs for `make test` (default: all cores)
#   KEEP_ROOT  set to 1 to leave the root in place for a look afterwards
set -euo pipefail

suite=${1:-trixie}
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=MIRROR,ROOTS_DIR,JOBS,KEEP_ROOT "$0" "$@"
fi

if ! command -v debootstrap >/dev/null; then
    apt-get install -y -qq debootstrap
fi

if [ -z "${MIRROR:-}" ]; then
    MIRROR=$(grep -hsoE '(URIs:|^deb)[[:space:]]+https?://[^[:space:]]+/debian/?([[:space:]]|$)' \
        /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources |
        grep -oE 'https?://[^[:space:]]+' | head -n 1 || true)
    MIRROR=${MIRROR:-http://deb.debian.org/debian}
fi
roots_dir=${ROOTS_DIR:-/var/tmp}
jobs=${JOBS:-$(nproc)}
commit=$(git -C "$source_dir" rev-parse HEAD)

mkdir -p "$roots_dir"
root=$(mktemp -d "$roots_dir/brimlark-$suite.XXXXXX")

# The root holds /proc, /sys and /dev of this machine: they are detached before anything is
# removed, and the removal stays on the root's own file system.
cleanup() {
    local status=$?
    for dir in dev sys proc; do
        if mountpoint -q "$root/$dir"; then
            umount -R -l "$root/$dir"
        fi
    done
    if [ "${KEEP_ROOT:-0}" = 1 ]; then
        echo "check-debian13: the root stays in $root"
    else
        rm -rf --one-file-system "$root"
    fi
    exit "$status"
}
trap cleanup EXIT

step_start=0
step() {
    step_start=$(date +%s)
    echo "check-debian13: $*"
}
took() {
    local seconds=$(($(date +%s) - step_start))
    printf 'check-debian13: %s took %dm%02ds\n' "$1" $((seconds / 60)) $((seconds % 60))
}

run_start=$(date +%s)
step "debootstrap --variant=minbase $suite from $MIRROR into $root"
debootstrap --variant=minbase "$suite" "$root" "$MIRROR" >"$root.debootstrap.log" 2>&1 || {
    tail -n 30 "$root.debootstrap.log" >&2
    exit 1
}
rm -f "$root.debootstrap.log"
took debootstrap

for dir in proc sys dev; do
    mount --rbind "/$dir" "$root/$dir"
    mount --make-rslave "$root/$dir"
done

# A clean clone of the commit, with its history: the about page counts the commits.
git clone -q --no-hardlinks "$source_dir" "$root/root/brimlark"
git -C "$root/root/brimlark" checkout -q --detach "$commit"

# The environment of a login on a fresh install: no variables from this shell, a UTF-8 locale
# (C.UTF-8 is part of libc; a minimal root has no other).
in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

# apt's own output goes to a log in the root, shown when a step fails.
quietly() {
    if ! "$@" >>"$root/root/apt.log" 2>&1; then
        tail -n 40 "$root/root/apt.log" >&2
        return 1
    fi
}

step "apt-get install make"
quietly in_root apt-get update
quietly in_root apt-get install -y --no-install-recommends make
took "installing make"

step "make deps"
quietly in_root make -C /root/brimlark deps
took "make deps"

step "make test JOBS=$jobs, without network"
unshare -n -- bash -c 'ip link set lo up && exec "$@"' bash \
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    make -C /root/brimlark test JOBS="$jobs"
took "make test"

seconds=$(($(date +%s) - run_start))
printf 'check-debian13: make test passed on Debian %s (%s, commit %s) in %dm%02ds in all\n' \
    "$(cat "$root/etc/debian_version")" "$suite" "${commit:0:12}" $((seconds / 60)) $((seconds % 60))
