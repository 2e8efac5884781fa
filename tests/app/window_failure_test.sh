#!/usr/bin/env bash
# Under an X server (run through xvfb-run): a window that cannot be made
# shows the error box, and once it is closed the program ends with status 1
# instead of running on with nothing to see or read. SIGINT ends a running
# game as the close message does, with status 0.
set -euo pipefail
NAME="window failure test"
. "$(dirname "$0")/x_helpers.sh"

# 1. No GL library: the window cannot be made.
SDL_OPENGL_LIBRARY=/nonexistent "$BIN" --seed 5 >"$LOG" 2>&1 &
PID=$!
BOX=$(wait_for_window ERROR) || fail "no error box appeared"
grep -q "Window Creation Error" "$LOG" || fail "the error was not named on stderr"
# The box stays until it is answered.
sleep 0.5
kill -0 "$PID" 2>/dev/null || fail "the program ended before the box was closed"
xdotool windowfocus --sync "$BOX" 2>/dev/null || true
xdotool key Return
wait_for_exit "$PID"
[ "$STATUS" -eq 1 ] || fail "exit status $STATUS after a failed window, expected 1"

# 2. SIGINT ends a running game through its normal end (SIGTERM ends the
# live record test's session, whose replay needs that end's dump).
"$BIN" --seed 5 --dump-state "$DUMP" >"$LOG" 2>&1 &
PID=$!
wait_for_window GAME >/dev/null || fail "no game window"
sleep 0.5
kill -s INT "$PID"
wait_for_exit "$PID"
[ "$STATUS" -eq 0 ] || fail "exit status $STATUS after SIGINT, expected 0"
# The normal end writes the state dump; a killed program would not.
grep -q '"framesRun"' "$DUMP" || fail "SIGINT skipped the normal end (no state dump)"
echo "window failure test: passed"
