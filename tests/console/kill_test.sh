#!/usr/bin/env bash
# Kills the program at moments spread over a save that replaces an older
# game, then loads the slot: it must load as the old game or the new one,
# or be refused - never a blend of the two. Each trial records whether the
# kill landed inside the save (the slot folder holds anything but exactly
# the old or exactly the new game's files: a temporary file, a kept old
# file, a half-renamed set); the test fails unless at least
# KILL_MIN_INSIDE percent of the trials did.
#   DELVE_BIN        folder of the delve program (required)
#   DELVE_TEST_DATA  data folder to pass with --data-dir (optional)
#   KILL_TRIALS      number of kills (default 100)
#   KILL_MIN_INSIDE  percentage of kills that must land inside a save (default 30)
set -euo pipefail
shopt -s nullglob dotglob

bin="${DELVE_BIN:?DELVE_BIN names the folder of the delve program}/delve"
trials="${KILL_TRIALS:-100}"
min_inside="${KILL_MIN_INSIDE:-30}"
data_args=()
if [[ -n "${DELVE_TEST_DATA:-}" ]]; then data_args=(--data-dir "$DELVE_TEST_DATA"); fi
# Slots in memory: a save then costs what the program does, not the disk.
base="${TMPDIR:-/tmp}"
if [[ -d /dev/shm && -w /dev/shm ]]; then base=/dev/shm; fi
work="$(mktemp -d "$base/delve-kill.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Writes an input script to $1 that switches to the map view, opens the
# console and types each further argument as a command followed by Enter,
# then one Backspace per character to clear the line; prints the number of
# frames the script needs. A key is down for one frame; a tap that goes
# down and up within one frame is one press.
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
            for ((i = 0; i < ${#line}; i++)); do
                echo "$frame down 8"; echo "$frame up 8"; frame=$((frame + 1))
            done
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

# Starts the saving program on folder $1 in the background; sets pid.
start_save() {
    "$bin" --headless --fast-clock --seed 5 --frames "$new_frames" --input "$work/new.txt" \
        --save-dir "$1" "${data_args[@]}" > /dev/null 2>&1 &
    pid=$!
}

# The world and unit digests of a dump, as one word.
state_of() {
    grep -o '"\(world\|units\)Fnv1a64": "[0-9a-f]*"' "$1" | tr -d ' "' | paste -sd,
}

# Sets `names` to the file names of folder $1 (no subshell: this runs in
# tight polling loops).
list_names() {
    local f
    names=""
    for f in "$1"/*; do names+="${f##*/} "; done
}

# True when folders $1 and $2 hold the same files with the same bytes.
same_folder() {
    local a b f
    list_names "$1"; a=$names
    list_names "$2"; b=$names
    [[ "$a" == "$b" ]] || return 1
    for f in "$1"/*; do cmp -s "$f" "$2/${f##*/}" || return 1; done
}

now_us() { local t=${EPOCHREALTIME/./}; echo "$t"; }

# Sleeps without starting a process: a read that times out on a pipe no one
# writes to.
exec {never}<> <(:)
pause() { read -r -t "$1" -u "$never" || true; }

# Waits until the folder's names differ from `start_names` (the save has
# created its first file) or the program has ended.
wait_for_save_start() { # PID DIR
    while kill -0 "$1" 2> /dev/null; do
        list_names "$2"
        [[ "$names" != "$start_names" ]] && return 0
        pause 0.001
    done
    return 1
}

old_frames=$(make_script "$work/old.txt" "env4block" "save game 3")
new_frames=$(make_script "$work/new.txt" "env4dirt" "save game 3")
load_frames=$(make_script "$work/load.txt" "load game 3")

# The old game in its slot (and the same slot as written before check
# files existed), and what loading it, the new game, or nothing gives.
run "$work/old" "$work/old.txt" "$old_frames" "$work/dump.json"
cp -a "$work/old" "$work/old-nocheck"
rm -f "$work/old-nocheck/SAVEGAME3.check"
run "$work/new" "$work/new.txt" "$new_frames" "$work/dump.json"
run "$work/old" "$work/load.txt" "$load_frames" "$work/dump.json"; old_state=$(state_of "$work/dump.json")
run "$work/new" "$work/load.txt" "$load_frames" "$work/dump.json"; new_state=$(state_of "$work/dump.json")
run "$work/none" "$work/load.txt" "$load_frames" "$work/dump.json"; refused_state=$(state_of "$work/dump.json")
if [[ "$old_state" == "$new_state" || "$old_state" == "$refused_state" || "$new_state" == "$refused_state" ]]; then
    echo "kill test: the old, new and refused games are not told apart" >&2
    exit 1
fi
run "$work/old-nocheck" "$work/load.txt" "$load_frames" "$work/dump.json"
if [[ "$(state_of "$work/dump.json")" != "$old_state" ]]; then
    echo "kill test: a slot without its check file does not load the old game" >&2
    exit 1
fi

# How long a save takes, from its first new file in the folder until the
# folder holds only the new game's files (the middle of four saves, two over
# each kind of old slot); and what the folder holds when a save over each
# kind runs to its end.
spans=()
for start in old old-nocheck old old-nocheck; do
    rm -rf "$work/t"; cp -a "$work/$start" "$work/t"
    list_names "$work/t"; start_names=$names
    list_names "$work/new"; final_names=$names
    start_save "$work/t"
    if ! wait_for_save_start "$pid" "$work/t"; then
        echo "kill test: the program ended without starting its save" >&2
        exit 1
    fi
    t0=$(now_us)
    while kill -0 "$pid" 2> /dev/null; do
        list_names "$work/t"
        [[ "$names" == "$final_names" ]] && break
        pause 0.0005
    done
    spans+=($(( $(now_us) - t0 )))
    wait "$pid"
    rm -rf "$work/done-$start"; cp -a "$work/t" "$work/done-$start"
done
read -r -a spans <<< "$(printf '%s\n' "${spans[@]}" | sort -n | tr '\n' ' ')"
span_us=$(( (spans[1] + spans[2]) / 2 ))
# Kills fall uniformly from the first new file to beyond the end of a
# typical save, so every moment of the save is covered.
window_us=$(( span_us * 12 / 10 + 1000 ))
echo "kill test: a save takes about $((span_us / 1000)) ms; kills fall within $((window_us / 1000)) ms of its start"

# One trial in folder $2: prints "<trial> <inside 0/1> <delay ms> <state>".
trial() {
    local n=$1 dir=$2 start=old delay_us state in=1 pid names
    # Every other trial starts from a slot written before check files existed.
    if (( n % 2 == 0 )); then start=old-nocheck; fi
    RANDOM=$((seed + n))
    rm -rf "$dir"
    cp -a "$work/$start" "$dir"
    list_names "$dir"; start_names=$names
    delay_us=$(( (RANDOM * 32768 + RANDOM) % window_us ))
    start_save "$dir"
    if wait_for_save_start "$pid" "$dir"; then
        pause "$(printf '%d.%06d' $((delay_us / 1000000)) $((delay_us % 1000000)))"
    fi
    kill -9 "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true

    # A folder identical to the old or the finished new one needs no load:
    # the same files loaded above gave the old or the new game.
    if same_folder "$dir" "$work/$start"; then
        state=$old_state in=0
    elif same_folder "$dir" "$work/done-$start"; then
        state=$new_state in=0
    else
        run "$dir" "$work/load.txt" "$load_frames" "$dir.json"
        state=$(state_of "$dir.json")
    fi
    echo "$n $in $((delay_us / 1000)) $state"
    if [[ "$state" != "$old_state" && "$state" != "$new_state" && "$state" != "$refused_state" ]]; then
        echo "kill test: trial $n (killed $((delay_us / 1000)) ms into the save) loaded a blend: $state" >&2
        ls -l "$dir" >&2
    fi
}

# Trials run side by side, one worker per core; the moment of each kill is
# measured from the save's own first file, so the workers do not disturb
# where the kills land, only how long a save takes.
seed=${KILL_SEED:-$$}
jobs=${KILL_JOBS:-$(nproc)}
echo "kill test: $trials trials in $jobs workers, seed $seed (KILL_SEED repeats them)"
t_begin=$(now_us)
for ((w = 0; w < jobs; w++)); do
    (for ((n = w + 1; n <= trials; n += jobs)); do trial "$n" "$work/slots-$w"; done) \
        > "$work/results-$w" &
done
wait
elapsed_us=$(( $(now_us) - t_begin ))

old=0 new=0 refused=0 inside=0 blends=0
while read -r n in delay state; do
    inside=$((inside + in))
    if [[ "$state" == "$old_state" ]]; then old=$((old + 1))
    elif [[ "$state" == "$new_state" ]]; then new=$((new + 1))
    elif [[ "$state" == "$refused_state" ]]; then refused=$((refused + 1))
    else blends=$((blends + 1))
    fi
    [[ -n "${KILL_VERBOSE:-}" ]] && echo "kill test: trial $n killed $delay ms in, inside $in: $state"
done < <(cat "$work"/results-*)
done_trials=$((old + new + refused + blends))
echo "kill test: $done_trials kills, $inside inside the save ($((inside * 100 / trials)) %):" \
     "$old loaded the old game, $new the new one, $refused refused, $blends a blend;" \
     "$((elapsed_us / trials / 1000)) ms a trial"
if (( done_trials != trials )); then
    echo "kill test: only $done_trials of $trials trials finished" >&2
    exit 1
fi
if (( blends > 0 )); then
    echo "kill test: $blends kills left a slot that loads as a blend of two games" >&2
    exit 1
fi
if (( inside * 100 < min_inside * trials )); then
    echo "kill test: fewer than $min_inside % of the kills landed inside a save" >&2
    exit 1
fi
