#!/usr/bin/env bash
# Under an X server (run through xvfb-run): a live session in the real
# window, played with the mouse and keyboard and ended by SIGTERM, is
# recorded with --record and replays headless to the same state dump.
# Every wait is on the game's state: SIGUSR1 writes the --dump-state file
# between two frames, so the test waits for frames to pass, not for time.
set -euo pipefail
NAME="live record test"
. "$(dirname "$0")/x_helpers.sh"

# Waits until the game has run N more frames (so it has seen what was done).
wait_frames() {
    dump
    local want=$(($(field framesRun) + $1))
    for _ in $(seq 1 400); do
        dump
        [ "$(field framesRun)" -ge "$want" ] && return 0
    done
    fail "the game stopped running frames"
}

# At 30 frames a second, which the replay takes from the recording (the
# program test holds a key in it until it repeats).
"$BIN" --seed 9 --fps 30 --record "$T/rec.txt" --dump-state "$DUMP" --save-dir "$T/a" >"$LOG" 2>&1 &
PID=$!
id=$(wait_for_window GAME) || fail "no game window"
wait_frames 1 # start-up builds the world after the window appears
xdotool windowfocus --sync "$id" 2>/dev/null || true
# Walk forward, switch to the map, scroll, send the hero, type a command.
xdotool mousemove 300 200 mousedown 1; wait_frames 20; xdotool mouseup 1
xdotool key F6; wait_frames 5
xdotool keydown Left; wait_frames 5; xdotool keyup Left
xdotool mousemove 400 300 mousedown 3; wait_frames 5; xdotool mouseup 3; wait_frames 30
xdotool key Tab; wait_frames 5
xdotool type --delay 50 env4block
xdotool key Return; wait_frames 10
kill -TERM "$PID"
wait_for_exit "$PID"
PID=
[ "$STATUS" -eq 0 ] || fail "the live session ended with status $STATUS"
head -n 1 "$T/rec.txt" | grep -qx '# seed 9' || fail "the recording does not start with its seed"
grep -qx '0 fps 30' "$T/rec.txt" || fail "the recording does not hold its pace"
events=$(grep -c -v -e '^#' -e '^0 fps ' "$T/rec.txt")
[ "$events" -ge 10 ] || fail "the recording holds only $events events"

"$BIN" --headless --fast-clock --seed 9 --input "$T/rec.txt" --dump-state "$T/replay.json" \
    --save-dir "$T/b" >>"$LOG" 2>&1 || fail "the replay failed"
diff "$DUMP" "$T/replay.json" >&2 || fail "the replay ended in another state"
echo "live record test: passed ($events events, $(grep -o '"framesRun": [0-9]*' "$DUMP"))"
