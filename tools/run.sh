#!/usr/bin/env bash
# Starts Tarnwell Poker from its icon, as Workbench would.
set -euo pipefail
build=${1:-build}
if [ ! -x "$build/Poker/poker" ] || [ ! -x "$build/tools/wbrun" ]; then
    echo "Everything is built; there is no program to start yet."
    exit 0
fi
exec "$build/tools/wbrun" "$build/Poker/poker"
