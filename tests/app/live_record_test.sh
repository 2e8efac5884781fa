#!/usr/bin/env bash
# Under an X server (run through xvfb-run): a live session in the real
# window, played with the mouse and keyboard and ended by SIGTERM, is
# recorded with --record and replays headless to the same state dump.
set -euo pipefail
BIN=${DELVE_BIN:?DELVE_BIN must name the folder of the delve binary}/delve
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "live record test: $*" >&2; cat "$T/log" >&2 || true; exit 1; }

"$BIN" --seed 9 --record "$T/rec.txt" --dump-state "$T/live.json" --save-dir "$T/a" >"$T/log" 2>&1 &
PID=$!
id=
for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name '^GAME$' 2>/dev/null | tail -n 1) || true
    [ -n "$id" ] && break
    sleep 0.2
done
[ -n "$id" ] || { kill -9 "$PID"; fail "no game window"; }
sleep 1.5 # start-up builds the world after the window appears
xdotool windowfocus --sync "$id" 2>/dev/null || true
# Walk forward, switch to the map, scroll, send the hero, type a command.
xdotool mousemove 300 200 mousedown 1; sleep 0.8; xdotool mouseup 1
xdotool key F6; sleep 0.3
xdotool keydown Left; sleep 0.3; xdotool keyup Left
xdotool mousemove 400 300 mousedown 3; sleep 0.2; xdotool mouseup 3; sleep 1
xdotool key Tab; sleep 0.3
xdotool type --delay 200 env4block
xdotool key Return; sleep 0.7
kill -TERM "$PID"
status=0
wait "$PID" || status=$?
[ "$status" -eq 0 ] || fail "the live session ended with status $status"
head -n 1 "$T/rec.txt" | grep -qx '# seed 9' || fail "the recording does not start with its seed"
events=$(grep -c -v '^#' "$T/rec.txt")
[ "$events" -ge 10 ] || fail "the recording holds only $events events"

"$BIN" --headless --fast-clock --seed 9 --input "$T/rec.txt" --dump-state "$T/replay.json" \
    --save-dir "$T/b" >>"$T/log" 2>&1 || fail "the replay failed"
diff "$T/live.json" "$T/replay.json" >&2 || fail "the replay ended in another state"
echo "live record test: passed ($events events, $(grep -o '"framesRun": [0-9]*' "$T/live.json"))"
