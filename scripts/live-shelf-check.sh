#!/usr/bin/env bash
# Live check of the file shelf, as a new user meets it: on a private X server under openbox,
# Brimlark starts with a throw-away HOME; a second Qt window (tests/shelf's drag source) drags a file
# whose name holds spaces onto the closed notch with xdotool. The panel must open with the drop
# highlight, the file must land on the shelf (defaults.json), the shelf page must list it, and its
# "airdrop" button must start the Bluetooth sender (a stand-in first on the search path) once,
# with the file's absolute path as one argument.
#   scripts/live-shelf-check.sh [build dir] [output dir]
# Needs xvfb-run, openbox, xdotool, ImageMagick (import, convert) and python3. Screenshots go to the output dir.
set -euo pipefail
build_dir=$(realpath "${1:-build}")
out_dir=$(realpath -m "${2:-$build_dir/live-shelf-check}")

if [[ -z "${BRIMLARK_LIVE_INSIDE:-}" ]]; then
    export BRIMLARK_LIVE_INSIDE=1
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$build_dir" "$out_dir"
fi

mkdir -p "$out_dir"
home=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache
export XDG_RUNTIME_DIR=$home/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The stand-in sender: each start appends one line per argument, then a separator.
mkdir -p "$home/bin"
cat >"$home/bin/bluetooth-sendto" <<EOF
#!/bin/sh
for argument in "\$@"; do printf '[%s]\n' "\$argument"; done >>"$home/sent.txt"
echo -- >>"$home/sent.txt"
EOF
chmod +x "$home/bin/bluetooth-sendto"
export PATH=$home/bin:$PATH

file="$home/Documents/quarterly report (final).pdf"
mkdir -p "$home/Documents"
echo "%PDF-1.4 stand-in" >"$file"

# Advanced mode opens on the shelf page (the last page shown); a hover, or a drag, opens basic mode.
mkdir -p "$XDG_CONFIG_HOME/com.brimlark.app"
printf '{"brimlark.defaultOpenMode": "advanced", "brimlark.lastAdvancedPage": 5}\n' \
    >"$XDG_CONFIG_HOME/com.brimlark.app/defaults.json"

# The whole screen, then its top as <name>.png.
shot() {
    import -window root "$home/screen.png"
    convert "$home/screen.png" -crop 1200x420+360+0 +repage "$out_dir/$1.png"
}
# Where pixels of the theme's warning colour lie in the last screenshot, within the top 420 rows:
# "<count> <centre x> <centre y>" of the screen.
warning_pixels() {
    convert "$home/screen.png" -crop 1920x420+0+0 +repage ppm:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
fields = data.split(b"\n", 3)
width, height = (int(v) for v in fields[1].split())
pixels = fields[3]
xs, ys = [], []
for y in range(height):
    for x in range(width):
        r, g, b = pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]
        if abs(r - 255) < 20 and abs(g - 138) < 30 and b < 40:
            xs.append(x)
            ys.append(y)
print(len(xs), sum(xs) // max(1, len(xs)), sum(ys) // max(1, len(ys)))'
}

openbox >"$out_dir/openbox.log" 2>&1 &
pids+=($!)
sleep 1

QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="com.brimlark.app.*.debug=true" \
    "$build_dir/brimlark" >"$out_dir/brimlark.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do grep -q "Brimlark bootstrapped" "$out_dir/brimlark.log" && break; sleep 0.05; done

QT_QPA_PLATFORM=xcb "$build_dir/tests/shelf/shelf_drag_source" "$file" >"$out_dir/drag-source.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do grep -q ready "$out_dir/drag-source.log" && break; sleep 0.05; done
source_window=$(xdotool search --sync --name "shelf drag source" | head -1)
xdotool windowmove --sync "$source_window" 840 560
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$source_window")"
from_x=$((X + WIDTH / 2))
from_y=$((Y + HEIGHT / 2))
xdotool mousemove "$from_x" "$from_y"
sleep 0.3
import -window root "$out_dir/1-desktop.png"

status=0
check() { # check <what> <true|false>
    if [[ $2 == true ]]; then echo "ok: $1"; else echo "FAILED: $1"; status=1; fi
}

# The drag: press on the source, move in steps up to the closed notch, wait there, look, drop.
xdotool mousedown 1
for step in $(seq 1 24); do
    xdotool mousemove $((from_x + (960 - from_x) * step / 24)) $((from_y + (14 - from_y) * step / 24))
    sleep 0.04
done
sleep 1.2
shot 2-dragging-over-notch
read -r count _ _ <<<"$(warning_pixels)"
check "the panel opens with the drop highlight while the file hovers ($count warning-coloured pixels)" \
    "$([[ $count -gt 200 ]] && echo true || echo false)"
xdotool mouseup 1
sleep 1
shot 3-dropped
stored=$(python3 -c '
import json, sys
shelf = json.load(open(sys.argv[1])).get("brimlark.fileShelf", [])
print("\n".join(entry.get("path", "") for entry in shelf))' "$XDG_CONFIG_HOME/com.brimlark.app/defaults.json")
check "the file landed on the shelf (stored: ${stored:-nothing})" "$([[ $stored == "$file" ]] && echo true || echo false)"
grep -q "drag ended: 1" "$out_dir/drag-source.log" && accepted=true || accepted=false
check "the drop was reported to the drag source as a copy" "$accepted"

# The basic panel's expand button (the chevron at its lower right) opens advanced mode on the last
# page shown, which the settings above make the shelf page.
xdotool mousemove 1248 327
sleep 0.3
xdotool click 1
sleep 1.2
shot 5-shelf-page
read -r count at_x at_y <<<"$(warning_pixels)"
grep -q "→ advanced(page: 5)" "$out_dir/brimlark.log" && on_page=true || on_page=false
check "the expand button opens the shelf page, with the file's airdrop button ($count warning-coloured pixels)" \
    "$([[ $on_page == true && $count -gt 200 ]] && echo true || echo false)"
if [[ $on_page == true && $count -gt 200 ]]; then
    xdotool mousemove "$at_x" "$at_y"
    sleep 0.3
    xdotool click 1
    sleep 1
    shot 6-after-airdrop
fi
sent=$(cat "$home/sent.txt" 2>/dev/null || true)
check "airdrop started the sender once with the absolute path as one argument" \
    "$([[ $sent == "[$file]"$'\n'"--" ]] && echo true || echo false)"
[[ -n $sent ]] && printf '  sender got: %s\n' "$sent"

grep -E "shelf|drag|drop" "$out_dir/brimlark.log" | sed 's/^/  log: /' | head -20
echo "screenshots in $out_dir"
[[ $status == 0 ]] && echo "live shelf check passed" || echo "live shelf check FAILED"
exit $status
