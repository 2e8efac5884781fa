#!/usr/bin/env bash
# Under an X server (run through xvfb-run): the console in the real window,
# typed at a typist's speed (15 ms between keys). Ctrl+U empties the line; Escape, tapped or
# held, hides the open console and the game runs on; with the console
# hidden, Escape quits. The game's state is read with SIGUSR1, which writes
# the --dump-state file between two frames.
set -euo pipefail
NAME="console window test"
. "$(dirname "$0")/../app/x_helpers.sh"

running() { kill -0 "$PID" 2>/dev/null; }
expect() { # KEY VALUE
    dump
    [ "$(field "$1")" = "$2" ] || fail "$1 is '$(field "$1")', not '$2'"
}

"$BIN" --seed 5 --save-dir "$T/slots" --dump-state "$DUMP" >"$LOG" 2>&1 &
PID=$!
wait_for_window GAME >/dev/null || fail "no game window"
# Start-up builds the world after the window appears (slowly in a sanitizer
# build); the game answers a dump request only once it runs frames.
dump
focus

xdotool key Tab
sleep 0.6
xdotool type --delay 15 contest
sleep 1
expect commandLine contest
xdotool key ctrl+u
sleep 0.5
expect commandLine ""
expect consoleOpen 1
xdotool type --delay 15 env4dirt
sleep 1
expect commandLine env4dirt

# A tap of Escape hides the console; the game runs on.
xdotool key Escape
sleep 1
running || fail "Escape in the open console quit the game"
expect consoleOpen 0
expect commandLine env4dirt

# A held Escape hides it once and quits nothing while it stays down.
xdotool key Tab
sleep 0.6
expect consoleOpen 1
xdotool keydown Escape
sleep 1.5
xdotool keyup Escape
sleep 0.5
running || fail "a held Escape in the open console quit the game"
expect consoleOpen 0

# With the console hidden, Escape quits.
xdotool key Escape
wait_for_exit "$PID"
PID=
[ "$STATUS" -eq 0 ] || fail "exit status $STATUS"
echo "console window test: passed"
