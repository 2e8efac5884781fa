#!/usr/bin/env bash
# Settings that persist, in a real window (run through xvfb-run on a
# 1280 x 1024 screen). Run 1 starts as always (640 x 480, scale 2), takes
# scale 3 with F3 and full screen with F11, and quits with Escape. Run 2
# starts at scale 3 in full screen, and F11 there gives back the 960 x 720
# window. A --no-settings run starts as always and leaves the file alone;
# a damaged file is named on one line, kept as settings.ini.bad, and the
# game starts with the defaults.
set -euo pipefail
NAME="settings window test"
. "$(dirname "$0")/x_helpers.sh"
SETTINGS=$XDG_CONFIG_HOME/delve/settings.ini

start() { # ARGS... -> the game runs as $PID
    "$BIN" --seed 5 "$@" >"$LOG" 2>&1 &
    PID=$!
}
press() { # KEY POSITION SIZE
    focus
    xdotool key "$1"
    wait_for_geometry "$2" "$3"
}
quit() {
    focus
    xdotool key Escape
    wait_for_exit "$PID"
    PID=
    [ "$STATUS" -eq 0 ] || fail "exit status $STATUS"
}
holds() { # TEXT: the settings file has that line
    grep -qx "$1" "$SETTINGS" || fail "$SETTINGS lacks '$1':$(printf '\n'; cat "$SETTINGS" 2>&1)"
}

# 1. A first run: no file until the player changes something.
start
wait_for_geometry "0,0" "640x480"
[ ! -e "$SETTINGS" ] || fail "a run that changed nothing wrote $SETTINGS"
press F3 "0,0" "960x720"
press F11 "0,0" "1280x1024"
quit
holds "scale = 3"
holds "fullscreen = on"
holds "fps = 60"

# 2. The next run comes up as the last one left off.
start
wait_for_geometry "0,0" "1280x1024"
press F11 "0,0" "960x720"
quit
holds "scale = 3"
holds "fullscreen = off"
! grep -q settings "$LOG" || fail "a good file was complained about"

# 3. --no-settings: the window as always, and the file as it was.
cp "$SETTINGS" "$T/before"
start --no-settings
wait_for_geometry "0,0" "640x480"
press F1 "0,0" "320x240"
quit
cmp -s "$SETTINGS" "$T/before" || fail "--no-settings changed $SETTINGS"

# 4. A flag wins for its run and is not written back: --fps 30 with F2.
start --fps 30
wait_for_geometry "0,0" "960x720"
press F2 "0,0" "640x480"
quit
holds "scale = 2"
holds "fps = 60"

# 5. A damaged file: one line naming it, the defaults, the file kept aside.
printf 'scale = 3\nscale = 9\n' >"$SETTINGS"
start
wait_for_geometry "0,0" "640x480"
quit
[ "$(grep -c settings "$LOG")" -eq 1 ] || fail "expected one line about the settings"
grep -qF "$SETTINGS:2: scale is set twice (first on line 1); using the defaults" "$LOG" ||
    fail "the damaged file was not named with its line"
[ "$(cat "$SETTINGS.bad")" = "$(printf 'scale = 3\nscale = 9')" ] || fail "settings.ini.bad lost the bytes"
holds "scale = 2"
echo "settings window test: passed"
