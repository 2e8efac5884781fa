#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for SECONDS each, one after the
# other, from its committed seeds (fuzz/corpus/<target>/). New inputs go to
# <build>/corpus/<target>/, findings to <build>/findings/. Committed crash
# inputs in fuzz/regressions/<target>/ are replayed first.
#   run_fuzz.sh BUILD_DIR SECONDS [TARGET...]
# Prints executions per second of each target; fails on any finding.
# Each target runs as FUZZ_WORKERS processes at once (default: one per
# core, at most four: each holds a whole game under the sanitizers, about
# half a gigabyte), sharing its corpus; the line counts all their inputs.
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
seconds=${2:?seconds}
shift 2
src="$(cd "$(dirname "$0")" && pwd)"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in "$src"/*_fuzz.cpp; do n=$(basename "$f" .cpp); targets+=("${n%_fuzz}"); done
fi
mkdir -p "$build/findings"
cores=$(nproc)
workers=${FUZZ_WORKERS:-$(( cores < 4 ? cores : 4 ))}
# Saves of the console targets go to a memory folder where there is one:
# 14 MB flushed to a disk for every "save game" would be most of the run.
if [[ -z "${TMPDIR:-}" && -d /dev/shm && -w /dev/shm ]]; then export TMPDIR=/dev/shm; fi
status=0
summary=""
for t in "${targets[@]}"; do
    exe="$build/fuzz/${t}_fuzz"
    [ -x "$exe" ] || { echo "fuzz: $exe is not built" >&2; exit 1; }
    case $t in
        overworld) opts=(-max_len=70000) ;;
        bmp) opts=(-max_len=20000) ;;
        *) opts=(-max_len=4096) ;;
    esac
    # Frames of the whole game allocate and free large tables on purpose;
    # leaks are the sanitizer test build's business, not a reason to run
    # every input twice here.
    opts+=(-detect_leaks=0 -timeout=120 -rss_limit_mb=4096 -print_final_stats=1
           "-artifact_prefix=$build/findings/$t-")
    if [ -d "$src/regressions/$t" ] && compgen -G "$src/regressions/$t/*" > /dev/null; then
        echo "fuzz: $t: replaying $(ls "$src/regressions/$t" | wc -l) committed crash inputs"
        "$exe" "${opts[@]}" "$src/regressions/$t"/* > "$build/findings/$t-replay.log" 2>&1 || {
            echo "fuzz: $t: a committed crash input fails again" >&2
            tail -40 "$build/findings/$t-replay.log" >&2
            exit 1
        }
    fi
    mkdir -p "$build/corpus/$t"
    # libFuzzer writes each worker's log as fuzz-<n>.log in the folder it runs in.
    logs="$build/findings/$t-logs"
    rm -rf "$logs"
    mkdir -p "$logs"
    start=$(date +%s.%N)
    # Mesa draws on the calling thread: the workers have the cores.
    if (cd "$logs" && LP_NUM_THREADS=0 nice -n "${FUZZ_NICE:-0}" "$exe" "${opts[@]}" \
            -max_total_time="$seconds" -jobs="$workers" -workers="$workers" \
            "$build/corpus/$t" "$src/corpus/$t" > "$logs/driver.log" 2>&1); then
        result="no finding"
    else
        result="FINDING (see $logs)"
        status=1
        grep -hE "ERROR|SUMMARY|Test unit written" "$logs"/*.log >&2 || tail -30 "$logs"/*.log >&2
    fi
    runs=$(cat "$logs"/fuzz-*.log 2>/dev/null | grep -o 'stat::number_of_executed_units: *[0-9]*' |
           awk '{ n += $2 } END { print n + 0 }')
    line=$(awk -v t="$t" -v n="$runs" -v s="$start" -v e="$(date +%s.%N)" -v r="$result" -v w="$workers" \
        'BEGIN { printf "%-16s %10d execs in %6.1f s = %8.1f execs/s (%d workers)  %s", t, n, e - s, n / (e - s), w, r }')
    echo "fuzz: $line"
    summary+="$line"$'\n'
done
printf '\nfuzz summary (%s s per target)\n%s' "$seconds" "$summary"
exit $status
