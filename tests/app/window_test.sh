#!/usr/bin/env bash
# The game in a real window under an X server (run through xvfb-run):
# a borderless 640 x 480 window at (0, 0); F3 scales it to 960 x 720; F6
# switches to the 640 x 480 map mode at scale 1; Escape exits with status 0.
# Each key is one quick tap: a press between two frames is still seen.
set -euo pipefail
NAME="window test"
. "$(dirname "$0")/x_helpers.sh"

"$BIN" --seed 5 >"$LOG" 2>&1 &
PID=$!
wait_for_geometry "0,0" "640x480"
for step in "F3 960x720" "F6 640x480"; do
    set -- $step
    focus
    xdotool key "$1"
    wait_for_geometry "0,0" "$2"
done
focus
xdotool key Escape
wait_for_exit "$PID"
[ "$STATUS" -eq 0 ] || fail "exit status $STATUS"
echo "window test: passed"
