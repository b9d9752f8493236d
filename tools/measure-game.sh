#!/usr/bin/env bash
# The real game under Xvfb, started from its icon: time from the start to the first complete
# frame (the felt of the main window on the screen), CPU while it waits for the player, and
# its peak memory. Usage: tools/measure-game.sh BUILD_DIR [SECONDS]
set -u
build=${1:?usage: measure-game.sh BUILD_DIR [SECONDS]}
seconds=${2:-5}
for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done
work=$(mktemp -d)
cp -r "$build/Poker" "$work/"
display=""
for n in $(seq 211 260); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$game_pid" "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

start=$(date +%s.%N)
WB_SCALE=1 "$build/tools/wbrun" "$work/Poker/poker" >/dev/null 2>&1 &
game_pid=$!
host_window=$(timeout 20 xdotool search --sync --name 'Tarnwell Poker' | head -1)
eval "$(xdotool getwindowgeometry --shell "$host_window")"
# The felt inside the main window (at 20, 119 on the screen) once the first frame is shown.
for _ in $(seq 200); do
    colour=$(import -window root -crop "1x1+$((X + 300))+$((Y + 119 + 200))" -depth 8 txt:- 2>/dev/null |
             grep -o '#[0-9A-F]\{6\}' | head -1)
    [ -n "$colour" ] && [ "$colour" != "#AAAAAA" ] && [ "$colour" != "#000000" ] && break
    sleep 0.02
done
first=$(date +%s.%N)

cpu_ticks() { sed 's/^.*) //' "/proc/$game_pid/stat" | awk '{print $12 + $13}'; }
hz=$(getconf CLK_TCK)
sleep 1
before=$(cpu_ticks)
sleep "$seconds"
after=$(cpu_ticks)
peak=$(grep VmHWM "/proc/$game_pid/status" | awk '{print $2, $3}')
awk -v a="$start" -v b="$first" 'BEGIN { printf "start to first complete frame: %.0f ms (screenshot polling included)\n", (b - a) * 1000 }'
awk -v t="$((after - before))" -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "waiting for the player %d s: %d ticks = %.3f s of CPU\n", s, t, t / hz }'
echo "peak memory (VmHWM): $peak"
