#!/usr/bin/env bash
# Runs every fuzz target for a while each: `make test` runs them briefly; by hand,
# tools/fuzz.sh BUILD SECONDS runs them longer. Corpora grow in BUILD/corpus-NAME.
set -uo pipefail
build=$1; seconds=${2:-15}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
status=0
for f in "$build"/tests/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    corpus="$build/corpus-$name"; mkdir -p "$corpus"
    seeds="$root/tests/fuzz/seeds/$name"
    args=("$corpus"); [ -d "$seeds" ] && args+=("$seeds")
    log="$build/$name.log"
    WB_DISPLAY=virtual "$f" -max_total_time="$seconds" -print_final_stats=1 "${args[@]}" >"$log" 2>&1
    rc=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    if [ $rc -eq 0 ]; then
        echo "fuzz $name: ${runs:-?} runs in ${seconds}s, no findings"
    else
        echo "fuzz $name: FAILED (exit $rc); the end of its log:"
        tail -n 40 "$log"
        status=1
    fi
done
exit $status
