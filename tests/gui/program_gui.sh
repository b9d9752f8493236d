#!/usr/bin/env bash
# The real program on the sdl display under Xvfb, started from its icon with wbrun and played
# with xdotool on a 1600 x 1000 desktop, where the game opens centred: New, Draw,
# the guide opened (no room beside the game: it goes to the far corner, and the cards it leaves
# in view still take clicks), two cards turned, the guide closed, Draw, the hand's name
# dismissed, Save, Continue Old, quit by the close gadget. Checks the screen, the saved game,
# the icon and the status.
# Exits 77 (skipped) without Xvfb, xdotool or ImageMagick.
# Usage: program_gui.sh BUILD_DIR
set -u
build=${1:?usage: program_gui.sh BUILD_DIR}

source "$(dirname "$0")/xvfb.bash"
require_gui_tools
[ -x "$build/poker" ] && [ -x "$build/tools/wbrun" ] || { echo "FAIL: the program or wbrun is missing"; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
guide_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    [ -n "$guide_pid" ] && kill "$guide_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- program errors:"; cat "$work/err" 2>/dev/null
    exit 1
}

# The drawer as shipped, never the build's, whose icon holds the settings of whoever played.
drawer=$(fresh_drawer "$build" "$work")

start_xvfb "$work/xvfb.log" 1600x1000x24

"$build/tools/wbrun" "$drawer/poker" >"$work/out" 2>"$work/err" &
game_pid=$!
host_window=$(timeout 20 xdotool search --sync --name 'Tarnwell Poker' | head -1)
[ -n "$host_window" ] || fail "no host window"
eval "$(xdotool getwindowgeometry --shell "$host_window")"  # X Y WIDTH HEIGHT of the screen
xdotool windowfocus --sync "$host_window" 2>/dev/null
sleep 0.5
scale=$((WIDTH / 640))

# The main window sits at (20, 119) of the 640 x 480 screen; a point in its frame:
at() { echo $((X + scale * (20 + $1))) $((Y + scale * (119 + $2))); }
pixel() {
    import -window root "$work/shot.png" || fail "no screenshot"
    convert "$work/shot.png" -crop "1x1+$1+$2" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1
}
patch() {  # a checksum of the 40 x 40 pixels around a point
    import -window root "$work/shot.png" || fail "no screenshot"
    convert "$work/shot.png" -crop "40x40+$(($1 - 20))+$(($2 - 20))" -depth 8 rgb:- | md5sum
}
settle() { sleep "${1:-0.4}"; }

# Hand slot 0's left margin, on the felt until a card lands there.
read -r sx sy < <(at 104 148)
felt=$(pixel "$sx" "$sy")

xdotool key alt+n          # New: 40
settle
xdotool key d              # the deal
settle
card=$(pixel "$sx" "$sy")
[ "$card" != "$felt" ] || fail "no card in the hand after the deal (pixel $card)"

xdotool key alt+h          # the guide, in a host window of its own
guide=$(timeout 20 xdotool search --sync --name '^poker.guide$' | head -1)
[ -n "$guide" ] || fail "no guide window"
guide_pid=$(xdotool getwindowpid "$guide" 2>/dev/null)
sleep 0.5
eval "$(xdotool getwindowgeometry --shell --prefix GUIDE_ "$guide")"
[ "$GUIDE_X,$GUIDE_Y" = "960,0" ] || fail "the guide opens at $GUIDE_X,$GUIDE_Y, not in the far corner"
for slot in 100 262; do    # cards in view beside the guide turn over when clicked
    read -r cx cy < <(at $((slot + 35)) $((100 + 30)))
    face=$(patch "$cx" "$cy")
    xdotool mousemove "$cx" "$cy" click 1
    settle
    [ "$(patch "$cx" "$cy")" != "$face" ] || fail "the card at $slot does not turn over with the guide open"
done
xdotool windowfocus --sync "$guide" 2>/dev/null
xdotool key Escape         # the guide closes
for _ in $(seq 50); do kill -0 "$guide_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$guide_pid" 2>/dev/null && fail "the guide does not close with Escape"
guide_pid=""
xdotool windowfocus --sync "$host_window" 2>/dev/null
xdotool key Return         # exchange and end: "Your Hand:" comes up beside the window
settle 0.6
read -r rx ry < <(at $((350 + 100)) 60)
requester=$(pixel "$rx" "$ry")
[ "$requester" = "#AAAAAA" ] || fail "no \"Your Hand:\" requester (pixel $requester)"
xdotool key Return         # dismiss it
settle

xdotool key alt+s          # Save
settle
xdotool type --delay 50 g1
xdotool key Return
for _ in $(seq 50); do [ -e "$drawer/save/g1" ] && break; sleep 0.1; done
[ -e "$drawer/save/g1" ] || fail "no saved game"
[ "$(stat -c %s "$drawer/save/g1")" = 32 ] || fail "the saved game is not 32 bytes"

xdotool key alt+o          # Continue Old
settle
xdotool type --delay 50 g1
xdotool key Return
for _ in $(seq 50); do [ -e "$drawer/save/g1" ] || break; sleep 0.1; done
[ -e "$drawer/save/g1" ] && fail "the saved game was not taken back"

read -r gx gy < <(at 5 5)
xdotool mousemove "$gx" "$gy" click 1   # the close gadget
settle
xdotool key Return                      # "Quit" is the first button
for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2>/dev/null && fail "the program is still running after Quit"
wait "$game_pid"
status=$?
game_pid=""
[ "$status" = 0 ] || fail "exit status $status"
expected=$'PREFSJOKER=FALSE\nPREFS5KIND=FALSE\nPREFSDOUBLE=FALSE\nCHANGES=1\nJOKERS=3\nCARDS=gfx/defaultcards.lbm'
[ "$(cat "$drawer/poker.info")" = "$expected" ] || fail "icon not rewritten: $(cat "$drawer/poker.info")"
echo "PASS: the game played from its icon on the sdl display: deal, exchange, hand shown, save, continue, quit"
exit 0
