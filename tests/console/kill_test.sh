#!/usr/bin/env bash
# Kills the program at random moments while it saves a game over an older
# one, then loads the slot: it must load as the old game or the new one, or
# be refused - never a blend of the two.
#   DELVE_BIN        folder of the delve program (required)
#   DELVE_TEST_DATA  data folder to pass with --data-dir (optional)
#   KILL_TRIALS      number of kills (default 100)
set -euo pipefail

bin="${DELVE_BIN:?DELVE_BIN names the folder of the delve program}/delve"
trials="${KILL_TRIALS:-100}"
data_args=()
if [[ -n "${DELVE_TEST_DATA:-}" ]]; then data_args=(--data-dir "$DELVE_TEST_DATA"); fi
work="$(mktemp -d "${TMPDIR:-/tmp}/delve-kill.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Writes an input script to $1 that switches to the map view, opens the
# console and types each further argument as a command followed by Enter,
# holding Backspace afterwards to clear the line; prints the number of
# frames the script needs. A key is down for one frame.
make_script() {
    local out=$1 frame=1 line c code i last=0
    shift
    {
        echo "1 down 117"; echo "2 up 117"; echo "2 down 9"; echo "3 up 9"; frame=3
        for line in "$@"; do
            for ((i = 0; i < ${#line}; i++)); do
                c=${line:i:1}
                case $c in
                    [a-z]) code=$(( $(printf '%d' "'$c") - 32 )) ;;
                    [0-9]) code=$(printf '%d' "'$c") ;;
                    *) code=32 ;;
                esac
                # The same key twice needs a frame up in between.
                if (( code == last )); then frame=$((frame + 1)); fi
                echo "$frame down $code"; frame=$((frame + 1)); echo "$frame up $code"
                last=$code
            done
            echo "$frame down 13"; frame=$((frame + 1)); echo "$frame up 13"
            echo "$frame down 8"; frame=$((frame + ${#line})); echo "$frame up 8"
            last=8
        done
    } > "$out"
    echo $((frame + 2))
}

# run SLOTS SCRIPT FRAMES DUMP
run() {
    "$bin" --headless --fast-clock --seed 5 --frames "$3" --input "$2" --save-dir "$1" \
        --dump-state "$4" "${data_args[@]}" > /dev/null 2>&1
}

# The world and unit digests of a dump, as one word.
state_of() {
    grep -o '"\(world\|units\)Fnv1a64": "[0-9a-f]*"' "$1" | tr -d ' "' | paste -sd,
}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

old_frames=$(make_script "$work/old.txt" "env4block" "save game 3")
new_frames=$(make_script "$work/new.txt" "env4dirt" "save game 3")
load_frames=$(make_script "$work/load.txt" "load game 3")

# The old game in its slot, and what loading it, the new game, or nothing gives.
run "$work/old" "$work/old.txt" "$old_frames" "$work/dump.json"
run "$work/new" "$work/new.txt" "$new_frames" "$work/dump.json"
run "$work/old" "$work/load.txt" "$load_frames" "$work/dump.json"; old_state=$(state_of "$work/dump.json")
run "$work/new" "$work/load.txt" "$load_frames" "$work/dump.json"; new_state=$(state_of "$work/dump.json")
run "$work/none" "$work/load.txt" "$load_frames" "$work/dump.json"; refused_state=$(state_of "$work/dump.json")
if [[ "$old_state" == "$new_state" || "$old_state" == "$refused_state" || "$new_state" == "$refused_state" ]]; then
    echo "kill test: the old, new and refused games are not told apart" >&2
    exit 1
fi

# How long the save itself takes: from its first temporary file until the
# last one has replaced its slot file.
wait_for_save() { # PID FILE: waits until FILE exists or the program has ended
    while [[ ! -e "$2" ]] && kill -0 "$1" 2> /dev/null; do sleep 0.002; done
}
rm -rf "$work/t"; cp -a "$work/old" "$work/t"
"$bin" --headless --fast-clock --seed 5 --frames "$new_frames" --input "$work/new.txt" \
    --save-dir "$work/t" "${data_args[@]}" > /dev/null 2>&1 &
pid=$!
wait_for_save "$pid" "$work/t/SAVEGAME3.mainmap.tmp"
t=$(now_ms)
while compgen -G "$work/t/*.tmp" > /dev/null && kill -0 "$pid" 2> /dev/null; do sleep 0.002; done
save_ms=$(( $(now_ms) - t ))
wait "$pid"
span=$(( save_ms * 13 / 10 + 10 ))
echo "kill test: a save takes about ${save_ms} ms; kills fall within ${span} ms of its start"

old=0 new=0 refused=0
for ((trial = 1; trial <= trials; trial++)); do
    rm -rf "$work/slots"
    cp -a "$work/old" "$work/slots"
    # Every other trial starts from a slot written before check files existed.
    if (( trial % 2 == 0 )); then rm -f "$work/slots/SAVEGAME3.check"; fi
    delay=$(( (RANDOM * 32768 + RANDOM) % span ))
    "$bin" --headless --fast-clock --seed 5 --frames "$new_frames" --input "$work/new.txt" \
        --save-dir "$work/slots" "${data_args[@]}" > /dev/null 2>&1 &
    pid=$!
    wait_for_save "$pid" "$work/slots/SAVEGAME3.mainmap.tmp"
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    kill -9 "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true

    run "$work/slots" "$work/load.txt" "$load_frames" "$work/dump.json"
    state=$(state_of "$work/dump.json")
    if [[ "$state" == "$old_state" ]]; then old=$((old + 1))
    elif [[ "$state" == "$new_state" ]]; then new=$((new + 1))
    elif [[ "$state" == "$refused_state" ]]; then refused=$((refused + 1))
    else
        echo "kill test: trial $trial (killed ${delay} ms into the save) loaded a blend: $state" >&2
        ls -l "$work/slots" >&2
        exit 1
    fi
done
echo "kill test: $trials kills: $old loaded the old game, $new the new one, $refused refused"
