#!/usr/bin/env bash
# Kills the program at moments spread over a save that replaces an older game,
# then loads the slot: it must load as the old game or the new one, or be
# refused - never a blend. A kill lands inside the save when the folder holds
# neither exactly the old nor exactly the new game's files; at least
# KILL_MIN_INSIDE percent (default 30) of KILL_TRIALS (default 100) must.
# DELVE_BIN names the program's folder; DELVE_TEST_DATA, if set, its data.
set -euo pipefail
shopt -s nullglob dotglob inherit_errexit

bin="${DELVE_BIN:?DELVE_BIN names the folder of the delve program}/delve"
trials="${KILL_TRIALS:-100}" min_inside="${KILL_MIN_INSIDE:-30}"
data_args=(${DELVE_TEST_DATA:+--data-dir "$DELVE_TEST_DATA"})
# Slots in memory: a save then costs what the program does, not the disk.
base=/dev/shm
[[ -d $base && -w $base ]] || base="${TMPDIR:-/tmp}"
work="$(mktemp -d "$base/delve-kill.XXXXXX")"
trap 'rm -rf "$work"' EXIT
fail() { echo "kill test: $*" >&2; exit 1; }

# Writes an input script to $1 that switches to the map view, opens the console
# and types each further argument (small letters, digits, spaces) as a command,
# Enter, then one Backspace per character; prints the frames it needs. A key is
# down for one frame; the same key twice needs a frame up in between.
make_script() {
    local out=$1 f=3 line code i last=0
    shift
    {
        printf '1 down 117\n2 up 117\n2 down 9\n3 up 9\n'
        for line in "$@"; do
            for ((i = 0; i < ${#line}; i++)); do
                printf -v code '%d' "'${line:i:1}"
                if [[ ${line:i:1} == [a-z] ]]; then code=$((code - 32)); fi
                if (( code == last )); then f=$((f + 1)); fi
                echo "$f down $code"; f=$((f + 1)); echo "$f up $code"; last=$code
            done
            echo "$f down 13"; f=$((f + 1)); echo "$f up 13"
            for ((i = 0; i < ${#line}; i++)); do echo "$f down 8"; echo "$f up 8"; f=$((f + 1)); done
            last=8
        done
    } > "$out"
    echo $((f + 2))
}

delve_args=(--headless --fast-clock --seed 5 "${data_args[@]}")
delve() { "$bin" "${delve_args[@]}" "$@" > /dev/null 2>&1; }
# Starts the saving program on folder $1 in the background; sets pid to the
# program's own (not a subshell's, which a kill would leave the program running).
start_save() {
    "$bin" "${delve_args[@]}" --frames "$new_frames" --input "$work/new.txt" --save-dir "$1" > /dev/null 2>&1 &
    pid=$!
}
# Loads slot folder $1 (dump to $2) and prints what each of the slot's files
# gives - the view origin, the world and unit digests - as one word.
load_state() {
    delve --frames "$load_frames" --input "$work/load.txt" --save-dir "$1" --dump-state "$2"
    grep -o '"S[XYZ]": -\?[0-9]*\|"\(world\|units\)Fnv1a64": "[0-9a-f]*"' "$2" | tr -d ' "' | paste -sd,
}

# Sets `names` to the file names of folder $1 (no subshell: it runs in polling loops).
list_names() { local f; names=""; for f in "$1"/*; do names+="${f##*/} "; done; }

same_folder() { # true when folders $1 and $2 hold the same files with the same bytes
    local a f
    list_names "$1"; a=$names; list_names "$2"; [[ "$a" == "$names" ]] || return 1
    for f in "$1"/*; do cmp -s "$f" "$2/${f##*/}" || return 1; done
}

# Sleeps without starting a process: a read that times out on a pipe no one writes to.
exec {never}<> <(:)
pause() { read -r -t "$1" -u "$never" || true; }

# Waits until the folder's names differ from `start_names` (the save has
# created its first file); fails if the program ends first.
wait_for_save_start() { # PID DIR
    while kill -0 "$1" 2> /dev/null; do list_names "$2"; [[ "$names" != "$start_names" ]] && return 0; pause 0.001; done
    return 1
}

old_frames=$(make_script "$work/old.txt" "env4block" "save game 3")
# The new game differs from the old one in every file of the slot.
new_frames=$(make_script "$work/new.txt" "env4teleport 100 60 4" "env4dirt" "save game 3")
load_frames=$(make_script "$work/load.txt" "load game 3")

# The old game in its slot (and the same slot as written before check files
# existed), the new one, and what loading the old, the new or nothing gives.
delve --frames "$old_frames" --input "$work/old.txt" --save-dir "$work/old"
cp -a "$work/old" "$work/old-nocheck"; rm -f "$work/old-nocheck/SAVEGAME3.check"
delve --frames "$new_frames" --input "$work/new.txt" --save-dir "$work/new"
old_state=$(load_state "$work/old" "$work/dump.json")
new_state=$(load_state "$work/new" "$work/dump.json")
refused_state=$(load_state "$work/none" "$work/dump.json")
[[ "$old_state" != "$new_state" && "$old_state" != "$refused_state" && "$new_state" != "$refused_state" ]] ||
    fail "the old, new and refused games are not told apart"
[[ "$(load_state "$work/old-nocheck" "$work/dump.json")" == "$old_state" ]] ||
    fail "a slot without its check file does not load the old game"

# How long a save takes, from its first new file until the folder holds only
# the new game's files (the middle two of four saves, two over each kind of
# old slot); and what the folder holds when a save over each kind has ended.
spans=()
list_names "$work/new"; final_names=$names
for start in old old-nocheck old old-nocheck; do
    rm -rf "$work/t"; cp -a "$work/$start" "$work/t"
    list_names "$work/t"; start_names=$names
    start_save "$work/t"
    wait_for_save_start "$pid" "$work/t" || fail "the program ended without starting its save"
    t0=${EPOCHREALTIME/./}
    while kill -0 "$pid" 2> /dev/null; do
        list_names "$work/t"
        [[ "$names" == "$final_names" ]] && break
        pause 0.0005
    done
    spans+=($(( ${EPOCHREALTIME/./} - t0 )))
    wait "$pid"
    rm -rf "$work/done-$start"; cp -a "$work/t" "$work/done-$start"
done
read -r -a spans <<< "$(printf '%s\n' "${spans[@]}" | sort -n | tr '\n' ' ')"
span_us=$(( (spans[1] + spans[2]) / 2 ))
# Kills fall uniformly from the first new file to beyond the end of a typical save.
window_us=$(( span_us * 12 / 10 + 1000 ))
echo "kill test: a save takes about $((span_us / 1000)) ms; kills fall within $((window_us / 1000)) ms of its start"

# One trial in folder $2, every other one over a slot without a check file:
# prints "<inside 0/1> <state>".
trial() {
    local n=$1 dir=$2 start=old delay_us state in=1 pid names
    if (( n % 2 == 0 )); then start=old-nocheck; fi
    RANDOM=$((seed + n))
    rm -rf "$dir"; cp -a "$work/$start" "$dir"
    list_names "$dir"; start_names=$names
    delay_us=$(( (RANDOM * 32768 + RANDOM) % window_us ))
    start_save "$dir"
    wait_for_save_start "$pid" "$dir" && pause "$(printf '%d.%06d' $((delay_us / 1000000)) $((delay_us % 1000000)))"
    kill -9 "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
    # A folder identical to the old or the finished new one loads as shown above.
    if same_folder "$dir" "$work/$start"; then state=$old_state in=0
    elif same_folder "$dir" "$work/done-$start"; then state=$new_state in=0
    else state=$(load_state "$dir" "$dir.json")
    fi
    echo "$in $state"
    if [[ "$state" != "$old_state" && "$state" != "$new_state" && "$state" != "$refused_state" ]]; then
        echo "kill test: trial $n (killed $((delay_us / 1000)) ms into the save) loaded a blend: $state" >&2
        ls -l "$dir" >&2
    fi
}

# One worker per core; each kill is timed from its save's own first file, so
# the workers change how long a save takes, not where the kills land.
seed=${KILL_SEED:-$$} jobs=${KILL_JOBS:-$(nproc)}
echo "kill test: $trials trials in $jobs workers, seed $seed (KILL_SEED repeats them)"
for ((w = 0; w < jobs; w++)); do
    (for ((n = w + 1; n <= trials; n += jobs)); do trial "$n" "$work/slots-$w"; done) > "$work/results-$w" &
done
wait

old=0 new=0 refused=0 inside=0 blends=0
while read -r in state; do
    inside=$((inside + in))
    case $state in
        "$old_state") old=$((old + 1)) ;;
        "$new_state") new=$((new + 1)) ;;
        "$refused_state") refused=$((refused + 1)) ;;
        *) blends=$((blends + 1)) ;;
    esac
done < <(cat "$work"/results-*)
done_trials=$((old + new + refused + blends))
echo "kill test: $done_trials kills, $inside inside the save ($((inside * 100 / trials)) %):" \
     "$old loaded the old game, $new the new one, $refused refused, $blends a blend"
(( done_trials == trials )) || fail "only $done_trials of $trials trials finished"
(( blends == 0 )) || fail "$blends kills left a slot that loads as a blend of two games"
(( inside * 100 >= min_inside * trials )) || fail "fewer than $min_inside % of the kills landed inside a save"
