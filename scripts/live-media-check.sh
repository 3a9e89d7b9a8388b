#!/usr/bin/env bash
# Live check of now playing: on a private X server and session bus, starts the tests' fake music
# player and Brimlark, saves the closed panel with its media pill and the open panel as PNGs, then
# scrolls sideways over the open panel and checks that the player received Next and Previous.
#   scripts/live-media-check.sh [build dir] [output dir]
# Needs xvfb-run, dbus-run-session, xwd and python3 (XTest through ctypes, PNGs through zlib).
set -euo pipefail
build_dir=$(realpath "${1:-build}")
out_dir=$(realpath -m "${2:-$build_dir/live-media-check}")

if [[ -z "${BRIMLARK_LIVE_INSIDE:-}" ]]; then
    export BRIMLARK_LIVE_INSIDE=1
    exec xvfb-run -a -s "-screen 0 1920x1080x24" dbus-run-session -- "$0" "$build_dir" "$out_dir"
fi

mkdir -p "$out_dir"
home=$(mktemp -d)
trap 'kill $app_pid $player_pid 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache
export XDG_RUNTIME_DIR=$home/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

helper=$(dirname "$(realpath "$0")")/live-media-x11.py
python3 "$helper" cover "$home/cover.png"
art="file://$home/cover.png"

"$build_dir/tests/fake_mpris_player" brimlarkfake "Midnight City" "M83" "$art" >"$out_dir/player.log" 2>&1 &
player_pid=$!
for _ in $(seq 50); do grep -q ready "$out_dir/player.log" && break; sleep 0.1; done

QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="com.brimlark.app.media.debug=true" \
    "$build_dir/brimlark" >"$out_dir/brimlark.log" 2>&1 &
app_pid=$!
for _ in $(seq 100); do grep -q "Brimlark bootstrapped" "$out_dir/brimlark.log" && break; sleep 0.1; done
# The pill shows from the first refresh at start; its burst lasts a few seconds.
sleep 1.5

x11() { python3 "$helper" "$@"; }
shot() {
    xwd -root -silent >"$home/screen.xwd"
    python3 "$helper" crop "$home/screen.xwd" 360 0 1200 320 "$out_dir/$1.png"
}

x11 move 960 700
shot closed-panel-media-pill
# Over the notch, the panel opens to basic mode (hover), then a sideways scroll each way.
x11 move 960 12
sleep 1.5
shot open-basic-panel
x11 move 960 80
sleep 0.3
x11 click 7 4
sleep 1.2
x11 click 6 4
sleep 1.2
shot open-basic-after-scroll

status=0
grep -q "command Next" "$out_dir/player.log" || { echo "the player received no Next"; status=1; }
grep -q "command Previous" "$out_dir/player.log" || { echo "the player received no Previous"; status=1; }
echo "player: $(grep -c command "$out_dir/player.log" || true) commands: $(grep command "$out_dir/player.log" | tr '\n' ' ')"
echo "screenshots in $out_dir"
[[ $status == 0 ]] && echo "live media check passed" || echo "live media check FAILED"
exit $status
