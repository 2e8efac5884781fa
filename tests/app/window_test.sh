#!/usr/bin/env bash
# The game in a real window under an X server (run through xvfb-run):
# a borderless 640 x 480 window at (0, 0); F3 scales it to 960 x 720; F6
# switches to the 640 x 480 map mode at scale 1; Escape exits with status 0.
set -euo pipefail
BIN=${DELVE_BIN:?DELVE_BIN must name the folder of the delve binary}/delve
LOG=$(mktemp)
trap 'rm -f "$LOG"' EXIT

fail() { echo "window test: $*" >&2; cat "$LOG" >&2; exit 1; }

geometry() {
    local id
    id=$(xdotool search --sync --onlyvisible --name '^GAME$' | tail -n 1)
    xdotool getwindowgeometry "$id" | tr '\n' ' '
}

expect_geometry() {
    local want_pos=$1 want_size=$2 got
    for _ in $(seq 1 50); do
        got=$(geometry)
        if [[ $got == *"Position: $want_pos"* && $got == *"Geometry: $want_size"* ]]; then
            echo "window test: $want_size at $want_pos"
            return 0
        fi
        sleep 0.2
    done
    for w in $(xdotool search --name "^GAME$"); do xdotool getwindowgeometry "$w" | tr "\n" " " >&2; echo >&2; done
    fail "expected $want_size at $want_pos, got: $got"
}

press() {
    # Give the (possibly re-created) window the keyboard focus first: there
    # is no window manager to do it.
    xdotool search --onlyvisible --name '^GAME$' | tail -n 1 | xargs -r xdotool windowfocus --sync
    xdotool keydown "$1"
    sleep 0.3
    xdotool keyup "$1"
    sleep 0.5
}

"$BIN" --seed 5 >"$LOG" 2>&1 &
PID=$!
expect_geometry "0,0" "640x480"
press F3
expect_geometry "0,0" "960x720"
press F6
expect_geometry "0,0" "640x480"
press Escape
for _ in $(seq 1 50); do
    kill -0 "$PID" 2>/dev/null || break
    sleep 0.2
done
kill -0 "$PID" 2>/dev/null && { kill "$PID"; fail "Escape did not end the program"; }
wait "$PID" || fail "exit status $?"
echo "window test: passed"
