#!/usr/bin/env bash
# Live check of hostile calendar files: on a private X server, starts Brimlark with a calendar folder
# that holds a zone changing every second, a never-ending event every second and twelve 20 MB
# files (more than are read in the seconds before the signal). While the files are being read, hovering the notch must open the panel (the main thread
# answers), and SIGTERM must end the program with status 0 within 2 s.
#   scripts/live-calendar-check.sh [build dir] [output dir]
# Needs xvfb-run, xwd and python3 (XTest through ctypes, PNGs through zlib).
set -euo pipefail
build_dir=$(realpath "${1:-build}")
out_dir=$(realpath -m "${2:-$build_dir/live-calendar-check}")

if [[ -z "${BRIMLARK_LIVE_INSIDE:-}" ]]; then
    export BRIMLARK_LIVE_INSIDE=1
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$build_dir" "$out_dir"
fi

mkdir -p "$out_dir"
home=$(mktemp -d)
app_pid=
trap '[[ -n $app_pid ]] && kill -9 $app_pid 2>/dev/null; rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache
export XDG_RUNTIME_DIR=$home/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

calendars=$XDG_DATA_HOME/com.brimlark.app/calendars
mkdir -p "$calendars/hostile" "$calendars/normal"
today=$(date -u +%Y%m%d)
wrap() { printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Brimlark live check//EN\r\n%sEND:VCALENDAR\r\n' "$1"; }
wrap "BEGIN:VEVENT
UID:normal
SUMMARY:Normal meeting
DTSTART:${today}T230000Z
DTEND:${today}T233000Z
END:VEVENT
" >"$calendars/normal/meeting.ics"
wrap "BEGIN:VTIMEZONE
TZID:Every/Second
BEGIN:STANDARD
DTSTART:16010101T000000
RRULE:FREQ=SECONDLY
TZOFFSETFROM:+0100
TZOFFSETTO:+0100
END:STANDARD
END:VTIMEZONE
BEGIN:VEVENT
UID:zoned
SUMMARY:Zoned daily
DTSTART;TZID=Every/Second:20260105T090000
RRULE:FREQ=DAILY
END:VEVENT
" >"$calendars/hostile/a-zone.ics"
wrap "BEGIN:VEVENT
UID:seconds
SUMMARY:Every second
DTSTART:20200101T000000Z
RRULE:FREQ=SECONDLY
END:VEVENT
" >"$calendars/hostile/b-every-second.ics"
large=12
python3 - "$calendars/hostile" "$large" <<'EOF'
import sys
events = "".join(
    f"BEGIN:VEVENT\r\nUID:bulk-{n}\r\nDTSTAMP:20200101T000000Z\r\nDTSTART:20200101T090000Z\r\n"
    f"DTEND:20200101T093000Z\r\nSUMMARY:Archived {n}\r\nDESCRIPTION:{'x' * 240}\r\nEND:VEVENT\r\n"
    for n in range(50000))
text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Brimlark live check//EN\r\n" + events + "END:VCALENDAR\r\n"
for n in range(int(sys.argv[2])):
    with open(f"{sys.argv[1]}/c-large-{n}.ics", "w") as f:
        f.write(text)
EOF
ls -l "$calendars/hostile" | sed 1d

helper=$(dirname "$(realpath "$0")")/live-media-x11.py
x11() { python3 "$helper" "$@"; }
shot() {
    xwd -root -silent >"$home/screen.xwd"
    x11 crop "$home/screen.xwd" 360 0 1200 320 "$out_dir/$1.png"
}

QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="com.brimlark.app.platform.debug=true" \
    "$build_dir/brimlark" >"$out_dir/brimlark.log" 2>&1 &
app_pid=$!
for _ in $(seq 200); do grep -q "Brimlark bootstrapped" "$out_dir/brimlark.log" && break; sleep 0.05; done
x11 move 960 700
sleep 0.3
shot closed
# Over the notch, the panel opens: the main thread is answering.
x11 move 960 12
sleep 1.2
shot open
read_before=$(grep -c "c-large-.* read in" "$out_dir/brimlark.log" || true)

status=0
if cmp -s "$out_dir/closed.png" "$out_dir/open.png"; then
    echo "the panel did not open on hover"
    status=1
fi
start=$(date +%s%N)
kill -TERM $app_pid
exit_status=0
wait $app_pid || exit_status=$?
took_ms=$(( ($(date +%s%N) - start) / 1000000 ))
app_pid=
echo "large files read when SIGTERM was sent: $read_before of $large"
echo "SIGTERM: exit status $exit_status after $took_ms ms"
[[ $read_before -lt $large ]] || { echo "the files were read before the signal: nothing was being read"; status=1; }
[[ $exit_status == 0 ]] || status=1
[[ $took_ms -le 2000 ]] || status=1
grep -E "calendar file|SIGTERM" "$out_dir/brimlark.log" | sed 's/^/  log: /' | head -30
echo "screenshots in $out_dir"
[[ $status == 0 ]] && echo "live calendar check passed" || echo "live calendar check FAILED"
exit $status
