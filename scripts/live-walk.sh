#!/usr/bin/env bash
# A new user's first session, end to end, on a private 1920x1080 X server under openbox with a
# private session bus and a throw-away HOME (settings, data, calendars, autostart and lock all
# inside it): onboarding, the basic panel (calculator, timer, now playing, next event), the global
# shortcuts and the six advanced pages (a note, a quick-added reminder, the app batch), a file
# dropped on the notch beside one whose name is not UTF-8 (refused, and told), a recorded
# shortcut, the settings window and launch at login, showing the desktop, a hook event asking for
# input, SIGTERM, the start after it and a second start beside it. Every step saves a root-window
# screenshot and writes "PASS", "FAIL" or "LOOK" (judged from the screenshot only) to results.txt.
#   scripts/live-walk.sh [build dir] [output dir]
# Needs xvfb-run, openbox, xdotool, ImageMagick (import, convert, compare), dbus-run-session, curl
# and python3. The coordinates are those of a 1920x1080 screen. When it can, the walk runs in a
# network namespace of its own, so that another Brimlark on this machine holding port 43434 does
# not take the hook endpoint from it.
set -uo pipefail
build_dir=$(realpath "${1:-build}")
out_dir=$(realpath -m "${2:-$build_dir/live-walk}")
self=$(realpath "$0")

if [[ -z "${BRIMLARK_WALK_INSIDE:-}" ]]; then
    export BRIMLARK_WALK_INSIDE=1
    inner=(xvfb-run -a -s "-screen 0 1920x1080x24" dbus-run-session -- "$self" "$build_dir" "$out_dir")
    if unshare -n true 2>/dev/null; then
        exec unshare -n sh -c 'ip link set lo up && exec "$@"' sh "${inner[@]}"
    elif unshare -rn true 2>/dev/null; then
        exec unshare -rn sh -c 'ip link set lo up && exec "$@"' sh "${inner[@]}"
    fi
    exec "${inner[@]}"
fi

rm -rf "$out_dir"
mkdir -p "$out_dir"
home=$(mktemp -d)
pids=()
app_pid=
cleanup() {
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$home"
}
trap cleanup EXIT
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache
export XDG_STATE_HOME=$home/state XDG_RUNTIME_DIR=$home/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
store=$XDG_DATA_HOME/com.brimlark.app
defaults=$XDG_CONFIG_HOME/com.brimlark.app/defaults.json
results=$out_dir/results.txt
: >"$results"

shot() { import -window root "$out_dir/$1.png"; }
# record PASS|FAIL|LOOK <step> <what was seen>
record() { printf '%-4s %-22s %s\n' "$1" "$2" "$3" | tee -a "$results"; }
check() { # check <step> <what> <condition result: true|false>
    if [[ $3 == true ]]; then record PASS "$1" "$2"; else record FAIL "$1" "$2"; fi
}
is() { "$@" && echo true || echo false; }
wait_for() { # wait_for <tenths of a second> <command...>
    local tries=$1
    shift
    for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
    return 1
}
click() { xdotool mousemove "$1" "$2" && sleep 0.2 && xdotool click "${3:-1}"; }
# Moves the pointer away and clicks the empty desktop: the open panel closes.
close_panel() { click 960 900 && sleep 1; }
both_commands() { grep -q "command Next" "$out_dir/player.log" && grep -q "command Previous" "$out_dir/player.log"; }
mode_log() { grep -c "mode .* → $1" "$out_dir/brimlark.log"; }
setting() { python3 -c 'import json, sys; print(json.load(open(sys.argv[1])).get(sys.argv[2], ""))' "$defaults" "$1"; }
start_app() {
    QT_LOGGING_RULES="com.brimlark.app.*.debug=true" "$build_dir/brimlark" >>"$out_dir/brimlark.log" 2>&1 &
    app_pid=$!
    wait_for 100 grep -q "Brimlark bootstrapped" "$out_dir/brimlark.log"
    sleep 1.5
}
# The notch: the visible window named Brimlark other than the onboarding window.
notch_shown() {
    local window
    for window in $(xdotool search --onlyvisible --name '^Brimlark$' 2>/dev/null); do
        xdotool getwindowgeometry "$window" | grep -q "Geometry: 640x640" || return 0
    done
    return 1
}
# The onboarding window: a visible window of 640 by 640 named Brimlark.
onboarding_shown() {
    local window
    for window in $(xdotool search --onlyvisible --name '^Brimlark$' 2>/dev/null); do
        xdotool getwindowgeometry "$window" | grep -q "Geometry: 640x640" && return 0
    done
    return 1
}

openbox >"$out_dir/openbox.log" 2>&1 &
pids+=($!)
sleep 1
xdotool mousemove 960 900

# The app under test, a music player and an application for the batch.
python3 "$(dirname "$self")/live-media-x11.py" cover "$home/cover.png"
mkdir -p "$home/bin" "$XDG_DATA_HOME/applications" "$home/Documents"
cat >"$home/bin/walk-marker" <<EOF
#!/bin/sh
date +%s >>"$home/launched.txt"
EOF
chmod +x "$home/bin/walk-marker"
printf '[Desktop Entry]\nType=Application\nName=Walk Marker\nExec=%s\nTerminal=false\n' "$home/bin/walk-marker" \
    >"$XDG_DATA_HOME/applications/walk-marker.desktop"
shelf_file="$home/Documents/quarterly report (final).pdf"
echo "%PDF-1.4 stand-in" >"$shelf_file"
# A Latin-1 name, as an old archive unpacks it: the shelf refuses it and says so.
latin1_file="$home/Documents/$(printf 'r\xe9sum\xe9.txt')"
echo "stand-in" >"$latin1_file"

# --- 1. onboarding --------------------------------------------------------------------------
start_app
wait_for 50 onboarding_shown
shot 01-onboarding-welcome
check onboarding "the onboarding window appears on the first start" "$(is onboarding_shown)"
click 1071 485 # "advanced — full dashboard"
sleep 0.5
shot 02-onboarding-full-dashboard
click 1216 831 # continue
sleep 0.8
click 758 335 # "allow all permissions"
sleep 1
shot 03-onboarding-permissions
click 1216 831 # continue
sleep 0.8
shot 04-onboarding-step3
click 1216 831 # continue
sleep 0.8
shot 05-onboarding-last-step
click 1204 831 # get started
sleep 1
shot 06-onboarding-closed
check onboarding "\"get started\" closes it (onboarded: $(setting brimlark.onboarded), default mode: $(setting brimlark.defaultOpenMode))" \
    "$(is test "$(onboarding_shown && echo open)$(setting brimlark.onboarded)$(setting brimlark.defaultOpenMode)" = Trueadvanced)"

# --- 2. basic mode by hover: timer, calculator ----------------------------------------------
xdotool mousemove 960 12
sleep 1.5
shot 07-hover-basic
check hover "hover opens basic mode" "$(is test "$(mode_log basic)" -ge 1)"
click 774 318 # timer quick action
sleep 0.8
# The timer's picker (a right click) opens as a small card over the panel beside the timer; the
# row stays where it is. The calculator's click below closes it.
xdotool mousemove 1100 200
sleep 0.5
import -window root -crop 760x58+580+289 "$out_dir/07b-row.png"
click 774 318 3
sleep 0.3
xdotool mousemove 1100 200
sleep 0.8
shot 07c-timer-picker
import -window root -crop 760x58+580+289 "$out_dir/07d-row-picker-open.png"
check timer "the timer's picker leaves the row where it is" \
    "$(is test "$(compare -metric AE "$out_dir/07b-row.png" "$out_dir/07d-row-picker-open.png" null: 2>&1)" = 0)"
record LOOK timer "the timer's picker: 15m, 30m and 60m on a small card just above the timer, see 07c"
click 818 318 # calculator quick action
sleep 0.8
xdotool type --delay 60 "2+2"
xdotool key Return
sleep 0.8
shot 08-calculator-2plus2
record LOOK calculator "2+2 typed into the calculator field and Return: see 08 for the answer"
close_panel
sleep 1
shot 09-closed-notch-timer
record LOOK timer "the closed notch after the timer quick action: see 09 for the countdown"

# --- 3. now playing and the next event ------------------------------------------------------
calendars=$store/calendars
mkdir -p "$calendars/work"
start=$(date -u -d '+20 min' +%Y%m%dT%H%M00Z)
end=$(date -u -d '+50 min' +%Y%m%dT%H%M00Z)
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Brimlark walk//EN\r\nBEGIN:VEVENT\r\nUID:walk-standup\r\nDTSTAMP:%s\r\nDTSTART:%s\r\nDTEND:%s\r\nSUMMARY:Walk standup\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
    "$start" "$start" "$end" >"$calendars/work/standup.ics"
"$build_dir/tests/fake_mpris_player" brimlarkfake "Midnight City" "M83" "file://$home/cover.png" \
    >"$out_dir/player.log" 2>&1 &
player_pid=$!
pids+=($player_pid)
wait_for 50 grep -q ready "$out_dir/player.log"
sleep 2.5
xdotool mousemove 960 12
sleep 1.5
shot 10-basic-media-and-next-event
record LOOK media "the fake player's track (Midnight City, M83) in the media pane: see 10"
record LOOK calendar "an .ics event 20 minutes from now (Walk standup) as the next event: see 10"
xdotool mousemove 960 80
sleep 0.3
xdotool click --repeat 4 --delay 50 7
sleep 1.2
xdotool click --repeat 4 --delay 50 6
sleep 1.2
shot 11-after-sideways-scroll
check media "a sideways scroll reaches the player ($(grep command "$out_dir/player.log" | tr '\n' ' '))" \
    "$(is both_commands)"
close_panel

# --- 4. global shortcuts and the six pages --------------------------------------------------
before=$(mode_log basic)
xdotool key super+alt+n
sleep 1.2
shot 12-super-alt-n
check shortcuts "Super+Alt+N opens basic mode" "$(is test "$(mode_log basic)" -gt "$before")"
close_panel
xdotool key super+shift+n
sleep 1.2
shot 13-super-shift-n
check shortcuts "Super+Shift+N opens advanced mode" \
    "$(is grep -q "hidden → advanced(page: 0)\|basic → advanced(page: 0)" "$out_dir/brimlark.log")"
for page in 1 2 3 4 5; do
    xdotool key ctrl+Right
    sleep 0.8
    shot "14-ctrl-right-page-$page"
done
check paging "Ctrl+Right pages through the six pages" \
    "$(is grep -q "advanced(page: 4) → advanced(page: 5)" "$out_dir/brimlark.log")"
for _ in 1 2 3 4 5; do
    xdotool key ctrl+Left
    sleep 0.4
done
before=$(grep -c "→ advanced(page: 5)" "$out_dir/brimlark.log")
for page in 1 2 3 4 5; do
    xdotool key super+Right
    sleep 0.8
    shot "15-super-right-page-$page"
done
check paging "the global Super+Right pages through the six pages" \
    "$(is test "$(grep -c "→ advanced(page: 5)" "$out_dir/brimlark.log")" -gt "$before")"
for _ in 1 2 3 4 5; do
    xdotool key super+Left
    sleep 0.4
done
sleep 0.5

# Notes (page 0).
click 960 250
sleep 0.3
xdotool type --delay 30 "buy oat milk"
sleep 2.5
shot 16-note-typed
check notes "the typed note is saved" "$(is grep -q "buy oat milk" "$store/notes.json")"

# Reminders (page 2): the first quick add in a fresh store makes its reminders list.
xdotool key ctrl+Right
sleep 0.4
xdotool key ctrl+Right
sleep 1.2
shot 17-reminders-page
click 959 153
sleep 0.3
xdotool type --delay 30 "call the plumber"
xdotool key Return
sleep 1.5
shot 18-reminder-added
saved=$(grep -rl "call the plumber" "$calendars" 2>/dev/null | head -1)
check reminders "a quick-added reminder is in the folder (${saved#"$store/"})" "$(is test -n "$saved")"

# The app batch (page 3).
xdotool key ctrl+Right
sleep 1
click 1160 93 # add app
wait_for 50 xdotool search --onlyvisible --name "Add app to Brimlark batch" >/dev/null
sleep 0.8
shot 19-add-app-dialog
xdotool type --delay 20 "$XDG_DATA_HOME/applications/walk-marker.desktop"
xdotool key Return
sleep 1.5
shot 20-app-batch
click 1254 92 # launch all
wait_for 50 test -s "$home/launched.txt"
sleep 0.5
shot 21-launch-all
check apps "an application added to the batch starts with \"launch all\"" "$(is test -s "$home/launched.txt")"
click 1291 45 # the close button
sleep 1

# --- 5. a file dragged onto the closed notch ------------------------------------------------
"$build_dir/tests/shelf/shelf_drag_source" "$shelf_file" "$latin1_file" >"$out_dir/drag-source.log" 2>&1 &
drag_pid=$!
wait_for 100 grep -q ready "$out_dir/drag-source.log"
source_window=$(xdotool search --sync --name "shelf drag source" | head -1)
xdotool windowmove --sync "$source_window" 840 560
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$source_window")"
from_x=$((X + WIDTH / 2))
from_y=$((Y + HEIGHT / 2))
xdotool mousemove "$from_x" "$from_y"
sleep 0.3
xdotool mousedown 1
for step in $(seq 1 24); do
    xdotool mousemove $((from_x + (960 - from_x) * step / 24)) $((from_y + (14 - from_y) * step / 24))
    sleep 0.04
done
sleep 1.2
shot 22-dragging-over-notch
xdotool mouseup 1
sleep 1
shot 23-dropped
kill "$drag_pid" 2>/dev/null
check shelf "the dropped file lands on the shelf" "$(is grep -q "quarterly report (final).pdf" "$defaults")"
check shelf "the file named in Latin-1 is refused" "$(is grep -q "file shelf refused .*r%E9sum%E9.txt" "$out_dir/brimlark.log")"
record LOOK shelf "the drop area reads \"1 file could not be added: its name is not UTF-8\" under \"1 on shelf\": see 23"
close_panel

# --- 6. settings: launch at login, the ten pages, a recorded shortcut -----------------------
xdotool mousemove 960 12
sleep 0.3
xdotool click 3
sleep 2
shot 24-settings-general
click 1248 415 # launch at login
sleep 1
autostart=$XDG_CONFIG_HOME/autostart/com.brimlark.app.desktop
check settings "launch at login writes the autostart entry ($(grep -s '^Exec=' "$autostart"))" \
    "$(is grep -q "^Exec=$build_dir/brimlark" "$autostart")"
page=0
for y in 299 335 371 407 443 479 514 551 587 622; do
    page=$((page + 1))
    click 640 "$y"
    sleep 0.8
    shot "25-settings-page-$page"
done
record LOOK settings "each of the ten settings pages: see 25-settings-page-1 to -10"
click 640 443 # shortcuts
sleep 0.8
click 1212 671 # "record shortcut" on the next-track row
sleep 0.6
xdotool key ctrl+alt+j
sleep 0.8
shot 26-shortcut-recorded
click 1212 719 # "record shortcut" on the previous-track row
sleep 0.6
xdotool key super+d # openbox's show-desktop: the recording row holds the keyboard
sleep 0.8
shot 26-shortcut-held-by-openbox
check shortcuts "Super+D, which openbox holds, is recorded and then refused" \
    "$(is grep -q "Error registering hotkey Super+D: -10" "$out_dir/brimlark.log")"
record LOOK shortcuts "the settings stay open, previous track reads Super+D in danger: see 26-shortcut-held-by-openbox"
click 1284 313 # the settings' close button
sleep 0.8
close_panel
before=$(grep -c "command Next" "$out_dir/player.log")
xdotool key ctrl+alt+j
sleep 1.2
check shortcuts "a combination recorded for \"next track\" (Ctrl+Alt+J) fires it" \
    "$(is test "$(grep -c "command Next" "$out_dir/player.log")" -gt "$before")"

# --- 6b. showing the desktop: the user's windows go, the notch stays ------------------------
xdotool mousemove 960 12
sleep 0.3
xdotool click 3 # the settings, a window of the user's
sleep 1.5
xdotool mousemove 960 900
sleep 0.5
xdotool key super+d # openbox's show-desktop
sleep 1
shot 26-desktop-shown
check desktop "openbox's Super+D leaves the notch on screen" "$(is notch_shown)"
close_panel
before=$(mode_log basic)
xdotool mousemove 960 12
sleep 1.5
shot 26-desktop-shown-hover
check desktop "the notch still opens on hover while the desktop shows" "$(is test "$(mode_log basic)" -gt "$before")"
xdotool mousemove 960 900
sleep 0.5
xdotool key super+d
sleep 1
shot 26-desktop-back
record LOOK desktop "the settings go with Super+D and come back with it: see 26-desktop-shown and -back"
click 1284 313 # the settings' close button
sleep 0.8
close_panel

# --- 7. a hook event asking for input -------------------------------------------------------
kill "$player_pid" 2>/dev/null # the player: the closed notch has only the hook to show
sleep 1.5
shot 27-before-hook
reply=$(curl -s -m 5 -H 'Content-Type: application/json' \
    --data '{"source":"claude","event":"PermissionRequest","tool_name":"Bash","session_id":"walk","message":"Claude needs your permission to use Bash","cwd":"/home/dev/app"}' \
    http://127.0.0.1:43434/event)
sleep 0.6
shot 28-hook-asking
sleep 1.2
shot 29-hook-asking-later
check hooks "the endpoint takes a PermissionRequest (reply: $reply)" "$(is grep -q '"ok":true' <<<"$reply")"
record LOOK hooks "the closed notch grows to the asking pill and glows: see 28 and 29"

# --- 8. SIGTERM and the next start ---------------------------------------------------------
kill -TERM "$app_pid"
wait "$app_pid"
status=$?
app_pid=
check stop "SIGTERM ends the program with status $status and \"Brimlark stopped\" in its log" \
    "$(is test "$status" = 0 -a "$(grep -c "Brimlark stopped" "$out_dir/brimlark.log")" = 1)"
xdotool mousemove 960 900
start_app
sleep 1
shot 30-second-start
check restart "the next start shows no onboarding" "$(is test "$(onboarding_shown && echo shown)" = "")"
xdotool key super+shift+n
sleep 1
# Advanced mode opens on the page shown last; paging wraps around, so step back to the notes.
for _ in 1 2 3 4 5 6; do
    grep "mode " "$out_dir/brimlark.log" | tail -1 | grep -q "→ advanced(page: 0)$" && break
    xdotool key super+Left
    sleep 0.5
done
sleep 0.5
shot 31-second-start-notes
check notes "the note is there after the restart" \
    "$(is grep -q "buy oat milk" "$store/notes.json")"
record LOOK notes "the notes page after the restart: see 31"

# --- 8b. started again from the menu while it runs ------------------------------------------
close_panel
opened() { mode_log '\(basic\|advanced\)'; } # the open mode chosen in the onboarding
before=$(opened)
timeout 10 "$build_dir/brimlark" >"$out_dir/brimlark-again.log" 2>&1
status=$?
sleep 1
shot 32-started-again
check again "a second start exits with status $status and the running one opens its panel" \
    "$(is test "$status" = 0 -a "$(opened)" -gt "$before")"
xdotool key ctrl+comma
sleep 1
shot 33-settings-from-the-panel
record LOOK again "Ctrl+, in the open panel opens the settings: see 33"

echo "screenshots and results in $out_dir"
! grep -q '^FAIL' "$results"
