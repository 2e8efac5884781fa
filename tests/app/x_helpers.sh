# Sourced by the tests run under an X server (through xvfb-run), which set
# NAME first. Each gets a folder $T (gone at the end, with the game $PID if
# it still runs), the game's log $LOG, its --dump-state file $DUMP and its
# settings folder $XDG_CONFIG_HOME.
BIN=${DELVE_BIN:?DELVE_BIN must name the folder of the delve binary}/delve
T=$(mktemp -d)
LOG=$T/log
DUMP=$T/state.json
PID=
trap '[ -z "$PID" ] || kill -9 "$PID" 2>/dev/null || true; rm -rf "$T"' EXIT
# A settings folder of the test's own: the player's remembered window never
# changes what a test sees, and a test never changes it.
export XDG_CONFIG_HOME=$T/config
fail() { echo "$NAME: $*" >&2; cat "$LOG" >&2 || true; exit 1; }
# The top-level window titled $1 (message boxes carry no class xdotool can
# search by, so the window tree is read instead).
window_named() { xwininfo -root -tree 2>/dev/null | awk -v t="\"$1\":" '$2 == t {print $1}' | tail -n 1; }
wait_for_window() { # TITLE -> prints its id
    local id
    for _ in $(seq 1 150); do
        id=$(window_named "$1")
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}
wait_for_exit() { # PID -> sets STATUS; fails if it runs on for 20 s
    for _ in $(seq 1 100); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.2
    done
    kill -0 "$1" 2>/dev/null && { kill -9 "$1"; fail "the program did not end"; }
    STATUS=0
    wait "$1" || STATUS=$?
}
game_window() { xdotool search --onlyvisible --name '^GAME$' 2>/dev/null | tail -n 1; }
focus() { game_window | xargs -r xdotool windowfocus --sync 2>/dev/null || true; }
geometry() { local id; id=$(game_window); [ -n "$id" ] && xdotool getwindowgeometry "$id" 2>/dev/null | tr '\n' ' '; }
wait_for_geometry() { # POSITION SIZE
    local got
    for _ in $(seq 1 100); do
        got=$(geometry) && [[ $got == *"Position: $1"* && $got == *"Geometry: $2"* ]] &&
            { echo "$NAME: $2 at $1"; return 0; }
        sleep 0.2
    done
    fail "expected $2 at $1, got: $(geometry)"
}
# Asks the game ($PID) for a state dump with SIGUSR1, which writes $DUMP
# between two frames, and waits for the new file; `asked` is when, in ns.
dump() {
    rm -f "$DUMP"
    asked=$(date +%s%N)
    kill -USR1 "$PID"
    for _ in $(seq 1 200); do
        [ -s "$DUMP" ] && python3 -c 'import json,sys; json.load(open(sys.argv[1]))' "$DUMP" 2>/dev/null &&
            return 0
        sleep 0.05
    done
    fail "no state dump after SIGUSR1"
}
field() { # KEY, dotted for nested objects -> its value in the last dump
    python3 -c 'import json,sys; d=json.load(open(sys.argv[1]))
for k in sys.argv[2].split("."): d=d[k]
print(str(d).lower() if isinstance(d,bool) else d)' "$DUMP" "$1"
}
