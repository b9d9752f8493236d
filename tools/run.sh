#!/usr/bin/env bash
# Starts Tarnwell Poker from its icon, as Workbench would.
set -euo pipefail
build=${1:-build}
missing=()
[ -x "$build/Poker/poker" ] || missing+=("the program's drawer ($build/Poker/poker)")
[ -x "$build/tools/wbrun" ] || missing+=("wbrun ($build/tools/wbrun)")
[ -x "$build/SYS/Utilities/MultiView" ] || missing+=("the guide viewer ($build/SYS/Utilities/MultiView)")
if [ ${#missing[@]} -gt 0 ]; then
    echo "Cannot start Tarnwell Poker: not built yet:" >&2
    printf '  %s\n' "${missing[@]}" >&2
    echo "Build it with 'make build' (or start it with 'make run', which builds first)." >&2
    exit 1
fi
exec "$build/tools/wbrun" "$build/Poker/poker"
