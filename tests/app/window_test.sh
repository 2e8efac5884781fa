#!/usr/bin/env bash
# The game in a real window under an X server (run through xvfb-run):
# a borderless 640 x 480 window at (0, 0); F3 scales it to 960 x 720; F6
# switches to the 640 x 480 map mode at scale 1; Escape exits with status 0.
# Keys are polled once per frame, so each is held until its effect is seen.
set -euo pipefail
NAME="window test"
LOG=$(mktemp)
trap 'rm -f "$LOG"' EXIT
. "$(dirname "$0")/x_helpers.sh"

# Holds KEY (with the game window focused: there is no window manager to
# do it) until the window has the given geometry, then releases it.
hold_until_geometry() { # KEY POSITION SIZE
    local key=$1
    for _ in $(seq 1 100); do
        focus
        xdotool keydown "$key"
        sleep 0.2
        if has_geometry "$2" "$3"; then
            xdotool keyup "$key"
            echo "window test: $key gave $3 at $2"
            return 0
        fi
    done
    xdotool keyup "$key"
    fail "$key did not give $3 at $2, got: $(geometry)"
}

"$BIN" --seed 5 >"$LOG" 2>&1 &
PID=$!
wait_for_geometry "0,0" "640x480"
hold_until_geometry F3 "0,0" "960x720"
hold_until_geometry F6 "0,0" "640x480"
sleep 0.5
focus
xdotool keydown Escape
wait_for_exit "$PID"
xdotool keyup Escape
[ "$STATUS" -eq 0 ] || fail "exit status $STATUS"
echo "window test: passed"
