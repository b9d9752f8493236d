#!/usr/bin/env bash
# Runs every fuzz target for a few seconds each (longer by hand: tools/fuzz.sh BUILD SECONDS).
set -euo pipefail
build=$1; seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
for f in "$build"/tests/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    corpus="$build/corpus-$name"; mkdir -p "$corpus"
    seeds="$root/tests/fuzz/seeds/$name"
    echo "fuzzing $name for ${seconds}s"
    args=("$corpus"); [ -d "$seeds" ] && args+=("$seeds")
    WB_DISPLAY=virtual "$f" -max_total_time="$seconds" -print_final_stats=1 "${args[@]}" 2>&1 | grep -E '^(stat::number_of_executed_units|==|SUMMARY|ERROR)' || true
    [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fuzz target $name failed"; exit 1; }
done
