#!/usr/bin/env bash
# CPU used by a program that waits for input: runs gui_probe on the sdl display under Xvfb,
# lets it wait SECONDS (default 5) and reads its CPU time from /proc/PID/stat.
# Usage: tools/measure-idle.sh BUILD_DIR [SECONDS]
set -u
build=${1:?usage: measure-idle.sh BUILD_DIR [SECONDS]}
seconds=${2:-5}
probe=$build/tests/gui_probe
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed"; exit 77; }
[ -x "$probe" ] || { echo "$probe is missing (build the gui_probe target)"; exit 1; }

display=""
for n in $(seq 141 199); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display number"; exit 1; }
out=$(mktemp)
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$probe_pid" "$xvfb_pid" 2>/dev/null; rm -f "$out"' EXIT
sleep 1
DISPLAY=$display WB_SCALE=1 "$probe" >"$out" 2>&1 &
probe_pid=$!
for _ in $(seq 100); do grep -q '^ready' "$out" && break; sleep 0.1; done
grep -q '^ready' "$out" || { echo "the probe did not start:"; cat "$out"; exit 1; }

# utime and stime are fields 14 and 15, after the parenthesised command name.
cpu_ticks() { sed 's/^.*) //' "/proc/$probe_pid/stat" | awk '{print $12 + $13}'; }
hz=$(getconf CLK_TCK)
before=$(cpu_ticks)
sleep "$seconds"
after=$(cpu_ticks)
ticks=$((after - before))
awk -v t="$ticks" -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "waiting %d s: %d ticks = %.3f s of CPU (%.2f%%)\n", s, t, t / hz, 100 * t / hz / s }'
