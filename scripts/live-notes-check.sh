#!/usr/bin/env bash
# The notes editor on a private X server (openbox, a throw-away HOME, its own network namespace):
# a stored note is opened on the notes page, `!` typed at its end (or the whole note copied and
# pasted at its end, or keys typed and undone), the program quit, and the saved body compared byte
# for byte with the stored one plus the edit. Screenshots of each note on screen go to the output folder.
#   scripts/live-notes-check.sh [brimlark binary] [output dir]
set -uo pipefail
app=$(realpath "${1:-build/brimlark}")
out_dir=$(realpath -m "${2:-build/live-notes}")
self=$(realpath "$0")
if [[ -z "${NOTES_LIVE_INSIDE:-}" ]]; then
    export NOTES_LIVE_INSIDE=1
    exec unshare -n sh -c 'ip link set lo up && exec "$@"' sh \
        xvfb-run -a -s "-screen 0 1920x1080x24" dbus-run-session -- "$self" "$app" "$out_dir"
fi
mkdir -p "$out_dir"
home=$(mktemp -d)
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache
export XDG_STATE_HOME=$home/state XDG_RUNTIME_DIR=$home/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
store=$XDG_DATA_HOME/com.brimlark.app
mkdir -p "$store" "$XDG_CONFIG_HOME/com.brimlark.app"
printf '{"brimlark.onboarded": true, "brimlark.defaultOpenMode": "advanced", "brimlark.lastAdvancedPage": 0}\n' \
    >"$XDG_CONFIG_HOME/com.brimlark.app/defaults.json"
openbox >"$out_dir/openbox.log" 2>&1 &
wm=$!
sleep 1
status=0

# run <name> <python expression of the stored body> <python expression of the expected body> <keys...>
run() {
    local name=$1 stored=$2 expected=$3
    shift 3
    python3 - "$store/notes.json" "$stored" <<'PY'
import json, sys
body = eval(sys.argv[2])
with open(sys.argv[1], "w", encoding="utf-8") as f:
    json.dump([{"body": body, "id": "7d4c1d8e-9f6a-4c47-9a53-1c2f4e9b0a11", "updatedAt": "2026-12-01T10:00:00Z"}], f, ensure_ascii=False)
PY
    cp "$store/notes.json" "$out_dir/$name-stored.json"
    : >"$out_dir/$name.log"
    QT_LOGGING_RULES="com.brimlark.app.*.debug=true" "$app" >>"$out_dir/$name.log" 2>&1 &
    local pid=$!
    for _ in $(seq 200); do grep -q "Brimlark bootstrapped" "$out_dir/$name.log" && break; sleep 0.1; done
    sleep 1
    xdotool key super+shift+n
    sleep 1.5
    xdotool mousemove 960 250 click 1
    sleep 0.5
    for key in "$@"; do
        case $key in
        type:*) xdotool type --delay 50 "${key#type:}" ;;
        click:*)
            at=${key#click:}
            xdotool mousemove "${at%x*}" "${at#*x}" click 1
            ;;
        *) xdotool key "$key" ;;
        esac
        sleep 0.4
    done
    sleep 1.5
    import -window root "$out_dir/$name.png"
    kill -TERM "$pid"
    wait "$pid"
    echo "$name: exit status $?"
    cp "$store/notes.json" "$out_dir/$name-saved.json"
    python3 - "$store/notes.json" "$stored" "$expected" <<'PY' || status=1
import json, sys
stored = eval(sys.argv[2])
expected = eval(sys.argv[3])
raw = open(sys.argv[1], "rb").read()
saved = json.loads(raw)[0]["body"]
# byte for byte: the saved JSON string, and the body's UTF-8
same = saved.encode("utf-8") == expected.encode("utf-8")
print("  stored %d chars, saved %d chars, expected %d chars: %s" % (len(stored), len(saved), len(expected), "IDENTICAL" if same else "DIFFERENT"))
if not same:
    at = next((i for i, (a, b) in enumerate(zip(saved, expected)) if a != b), min(len(saved), len(expected)))
    print("  first difference at %d: saved %r, expected %r" % (at, saved[max(0, at - 10):at + 10], expected[max(0, at - 10):at + 10]))
    sys.exit(1)
PY
}

long='"".join(("{\"ok\":true,\"item-37\":\"x\U0001F600\"} " if i % 2 else "abc def, ghi; ") for i in range(300))[:3000]'
crlf="\"from a windows log\\r\\nline two\\r\\n\" + $long + \"\\r\\nlast line\""
run crlf-long-line "$crlf" "$crlf + '!'" ctrl+End type:!
run nbsp-ls '"prix\u00a0: 10\u00a0\u20ac\ttab\u2028after LS"' '"prix\u00a0: 10\u00a0\u20ac\ttab\u2028after LS!"' ctrl+End type:!
run copy-paste "$crlf" "$crlf + $crlf" ctrl+a ctrl+c ctrl+End ctrl+v
run long-line-top "$long" "$long + '!'" ctrl+End type:! ctrl+Home
# BackSpace at the start of the long line's second piece (on screen, the start of the 13th row of
# the editor) takes the space that ends the first piece.
first_cut="max(i for i in range(901, 1001) if u[2 * i - 2:2 * i] == b' \\x00')"
without_space="(lambda u: (lambda c: (u[:2 * c - 2] + u[2 * c:]).decode('utf-16-le'))($first_cut))(($long).encode('utf-16-le'))"
run backspace-at-piece "$long" "$without_space" click:640x317 Home BackSpace
run typed-and-undone "$crlf" "$crlf" ctrl+End type:ok BackSpace Return ctrl+z ctrl+z ctrl+z
kill "$wm"
rm -rf "$home"
exit $status
