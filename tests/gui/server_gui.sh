#!/usr/bin/env bash
# The window server on the real (SDL) display: starts Xvfb, runs gui_probe at scale 1,
# clicks and types with xdotool, and checks the messages the probe prints and a pixel of
# a screenshot. Exits 77 (skipped) without Xvfb, xdotool or ImageMagick.
# Usage: server_gui.sh BUILD_DIR
set -u
build=${1:?usage: server_gui.sh BUILD_DIR}
probe=$build/tests/gui_probe

source "$(dirname "$0")/xvfb.bash"
require_gui_tools
[ -x "$probe" ] || { echo "FAIL: $probe is missing"; exit 1; }

start_xvfb "$work/xvfb.log"

WB_SCALE=1 "$probe" >"$work/out" 2>"$work/err" &
probe_pid=$!

# Waits until the probe has printed a line matching $1.
await() {
    for _ in $(seq 100); do
        grep -q -- "$1" "$work/out" 2>/dev/null && return 0
        kill -0 "$probe_pid" 2>/dev/null || break
        sleep 0.1
    done
    fail "no line matching '$1'"
}

await '^ready'
read -r _ wl wt ww wh < <(grep '^ready' "$work/out")
find_host '^Probe$'  # titled after its first window
[ "$WIDTH" = 640 ] && [ "$HEIGHT" = 480 ] || fail "host window is ${WIDTH}x$HEIGHT, not 640x480 at scale 1"

# A click inside the window: both transitions, in the window's frame.
xdotool mousemove $((X + wl + 50)) $((Y + wt + 40)) click 1
await '^MOUSEBUTTONS 232'
grep -qx 'MOUSEBUTTONS 104 50 40' "$work/out" || fail "select down not at 50,40"
grep -qx 'MOUSEBUTTONS 232 50 40' "$work/out" || fail "select up not at 50,40"

# Keys reach the active window as their ISO-8859-1 codes.
xdotool windowfocus --sync "$host" 2>/dev/null
xdotool key a Return Escape
await '^VANILLAKEY 27'
for code in 97 13 27; do grep -q "^VANILLAKEY $code " "$work/out" || fail "key $code missing"; done

# The screen shows the probe's blue block (pen 3, 66 88 BB) where it drew it.
colour=$(pixel $((X + wl + 70)) $((Y + wt + 55)))
[ "$colour" = "#6688BB" ] || fail "block pixel is $colour, not #6688BB"
outside=$(pixel $((X + wl + 200)) $((Y + wt + 55)))
[ "$outside" = "#AAAAAA" ] || fail "window background is $outside, not #AAAAAA"

# Resized to 1300 x 980, the screen shows at scale 2, 10 pixels in from the top left, and
# clicks still land where they are aimed.
xdotool windowsize --sync "$host" 1300 980 2>/dev/null; sleep 0.3
xdotool mousemove $((X + 10 + (wl + 60) * 2 + 1)) $((Y + 10 + (wt + 30) * 2 + 1)) click 1
await '^MOUSEBUTTONS 232 60 30'
grep -qx 'MOUSEBUTTONS 104 60 30' "$work/out" || fail "after the resize, select down not at 60,30"

# The close gadget ends the program cleanly.
xdotool mousemove $((X + 10 + (wl + 5) * 2)) $((Y + 10 + (wt + 5) * 2)) click 1
await '^CLOSEWINDOW'
ends probe_pid "the probe, after the close gadget,"
echo "PASS: clicks, keys, screen colours and the close gadget on the sdl display (window ${ww}x$wh)"
exit 0
