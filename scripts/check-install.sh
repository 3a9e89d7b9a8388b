#!/usr/bin/env bash
# Installs a build folder into a scratch prefix, stripped as `make install` does, and checks what
# lands there: exactly the expected files, nothing outside the prefix, a desktop entry and AppStream
# metadata their validators pass, the entry naming the installed program by its full path, the
# modules where the installed program looks for them and no path of the build folder in the program
# or the modules; then that the uninstall removes exactly those files and leaves the rest alone.
#   check-install.sh <build folder>
set -euo pipefail
build_dir=$(cd "${1:?usage: check-install.sh <build folder>}" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)

for program in desktop-file-validate appstreamcli; do
    if ! command -v "$program" >/dev/null; then
        echo "check-install.sh: not found on PATH: $program (scripts/install-deps.sh installs it)" >&2
        exit 1
    fi
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
# Whatever the install might write to the home folder would land here, to be seen.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config XDG_DATA_HOME=$scratch/home/.local/share
mkdir -p "$HOME"
# A manifest of its own, so that a real install's manifest in the build folder stays as it was.
manifest=$build_dir/install_manifest.txt
saved=
if [ -e "$manifest" ]; then
    saved=$scratch/saved_manifest.txt
    cp "$manifest" "$saved"
fi
restore() { if [ -n "$saved" ]; then cp "$saved" "$manifest"; else rm -f "$manifest"; fi; }

fail() {
    echo "check-install.sh: $*" >&2
    exit 1
}

cmake --install "$build_dir" --prefix "$prefix" --strip >"$scratch/install.log" || {
    cat "$scratch/install.log" >&2
    fail "the install failed"
}
cp "$manifest" "$scratch/manifest.txt"
restore

expected="bin/brimlark
lib/brimlark/libbrimlark_artwork_download.so
lib/brimlark/libbrimlark_audio_tap.so
lib/brimlark/libbrimlark_camera.so
lib/brimlark/libbrimlark_gio.so
share/applications/com.brimlark.app.desktop
share/doc/brimlark/changelog.gz
share/doc/brimlark/copyright
share/icons/hicolor/128x128/apps/com.brimlark.app.png
share/icons/hicolor/48x48/apps/com.brimlark.app.png
share/icons/hicolor/scalable/apps/com.brimlark.app.svg
share/man/man1/brimlark.1.gz
share/metainfo/com.brimlark.app.metainfo.xml"
actual=$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
    diff <(echo "$expected") <(echo "$actual") >&2 || true
    fail "the installed files differ from the expected ones (< expected, > installed)"
fi
if [ -n "$(find "$HOME" -mindepth 1 -print -quit)" ]; then
    fail "the install wrote to the home folder: $(find "$HOME" -mindepth 1)"
fi
outside=$(grep -v "^$prefix/" "$scratch/manifest.txt" || true)
[ -z "$outside" ] || fail "the manifest lists files outside the prefix: $outside"
[ "$(grep -c "" "$scratch/manifest.txt")" -eq "$(echo "$expected" | wc -l)" ] ||
    fail "the manifest lists other files than were installed"

[ -x "$prefix/bin/brimlark" ] || fail "bin/brimlark is not executable"
for size in 48 128; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/com.brimlark.app.png
    # Width and height are the big-endian words at bytes 16 and 20 of a PNG's header.
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "$png is ${width}x${height}, not ${size}x${size}"
done

desktop-file-validate "$prefix/share/applications/com.brimlark.app.desktop" ||
    fail "desktop-file-validate rejects the desktop entry"
# The program has no web page: AppStream 1.0 (Debian 13) warns of the missing homepage, which
# 0.16 (Debian 12) does not check and whose tag it refuses to be told about.
metainfo=$prefix/share/metainfo/com.brimlark.app.metainfo.xml
appstreamcli validate --no-net --override=url-homepage-missing=info "$metainfo" >/dev/null 2>&1 ||
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metadata"
# The menu starts the program whether or not the prefix's bin/ is on the session's search path.
entry=$prefix/share/applications/com.brimlark.app.desktop
for key in Exec TryExec; do
    grep -qxF "$key=$prefix/bin/brimlark" "$entry" ||
        fail "the entry's $key is not $prefix/bin/brimlark: $(grep "^$key=" "$entry" || echo none)"
done
grep -qx 'Icon=com.brimlark.app' "$entry" || fail "the entry's Icon"

# The installed program loads its modules from its own folders only: no path of the build is left
# in it or in them, for a module to be loaded from or a message to name. Qt's string literals are
# UTF-16, hence the second look.
build_paths() { # build_paths <file>: the strings of the file that name the build folder
    { strings -a "$1" && strings -a -el "$1"; } | grep -F "$build_dir"
}
# A sanitizer build records the path of every file it compiled for its reports, generated ones in
# the build folder among them; such a build is never installed, so the look is for the others.
if grep -qx 'BRIMLARK_SANITIZE:BOOL=ON' "$build_dir/CMakeCache.txt" 2>/dev/null; then
    build_paths() { return 1; }
    echo "check-install.sh: a sanitizer build names its own files; not looking for build paths"
fi
for file in "$prefix/bin/brimlark" "$prefix"/lib/brimlark/*.so; do
    if build_paths "$file" >"$scratch/paths.txt"; then
        fail "${file#"$prefix"/} holds the build folder's path: $(head -3 "$scratch/paths.txt")"
    fi
done
# A shared (test) build's program links the project's libraries from the build folder, none of which
# is installed: their read-only data holds no path of the build either.
needed() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p'; }
mapfile -t queue < <(needed "$prefix/bin/brimlark")
seen=" "
while ((${#queue[@]})); do
    name=${queue[0]}
    queue=("${queue[@]:1}")
    [[ $seen == *" $name "* ]] && continue
    seen+="$name "
    library=$(find "$build_dir" -path "$build_dir/tests" -prune -o -name "$name" -type f -print -quit)
    [ -n "$library" ] || continue
    objcopy -O binary --only-section=.rodata "$library" "$scratch/rodata"
    if build_paths "$scratch/rodata" >"$scratch/paths.txt"; then
        fail "${library#"$build_dir"/}, which the program links, holds the build folder's path: $(head -3 "$scratch/paths.txt")"
    fi
    mapfile -t -O "${#queue[@]}" queue < <(needed "$library")
done

# The uninstall: every installed file goes, a file another install put beside them stays, and so
# does the prefix's own folder structure outside the program's folders.
echo '[Desktop Entry]' >"$prefix/share/applications/other.desktop"
cmake -DMANIFEST="$scratch/manifest.txt" -P "$source_dir/packaging/Uninstall.cmake" >"$scratch/uninstall.log" || {
    cat "$scratch/uninstall.log" >&2
    fail "the uninstall failed"
}
left=$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||')
[ "$left" = "share/applications/other.desktop" ] || fail "after the uninstall, left: $left"
[ ! -e "$prefix/lib/brimlark" ] && [ ! -e "$prefix/share/doc/brimlark" ] || fail "the program's own folders stay"
echo "check-install.sh: $(echo "$expected" | wc -l) files installed, validated and removed again"
