#!/usr/bin/env bash
# Runs every test of a build folder: the x11-labelled ones under Xvfb, the dbus-labelled ones
# on a private session bus (tests/dbus-session.conf), then all the others headless. The headless
# run goes last so that its summary closes the output.
set -euo pipefail
build_dir=${1:-build}
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The servers are part of this run: without them the x11 and dbus tests would only skip, and a
# skip passes. Each program is looked for before anything runs, and a test that finds its X
# server, window manager, compositor or bus missing fails (tests/support/RequiredServers.h).
missing=()
for program in xvfb-run Xvfb dbus-run-session; do
    command -v "$program" >/dev/null || missing+=("$program")
done
if ((${#missing[@]})); then
    echo "run-tests.sh: not found on PATH: ${missing[*]} (scripts/install-deps.sh installs them)" >&2
    exit 1
fi
export BRIMLARK_REQUIRE_SERVERS=1

cd "$build_dir"

export QT_QPA_PLATFORM=offscreen
ctest_args=(--output-on-failure --no-tests=ignore -j "$(nproc)" --timeout 120)

# grep reads the whole list: `grep -q` would stop early, ctest would die of SIGPIPE, and
# pipefail would then skip the label's tests without a word (about one run in twenty).
has_tests() {
    ctest -N -L "$1" | grep 'Test *#' >/dev/null
}

# The x11 tests share one X server, its pointer, keyboard focus and global input: one test's
# synthetic clicks reach another's listeners. They run one after another (about half a minute).
if has_tests '^x11$'; then
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24" ctest "${ctest_args[@]}" -j 1 -L '^x11$'
fi
# The bus has no service folder: a notification server or player that the machine could start on
# demand (dunst, say) would answer in place of the tests' own fakes and change what they see.
if has_tests '^dbus$'; then
    dbus-run-session --config-file="$source_dir/tests/dbus-session.conf" -- ctest "${ctest_args[@]}" -L '^dbus$'
fi
ctest "${ctest_args[@]}" -LE '^(x11|dbus)$'
