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

# The drawer as shipped, never the build's, whose icon holds the settings of whoever played.
drawer=$(fresh_drawer "$build" "$work")

start_xvfb "$work/xvfb.log" 1600x1000x24

"$build/tools/wbrun" "$drawer/poker" >"$work/out" 2>"$work/err" &
game_pid=$!
find_host 'Tarnwell Poker'  # X Y WIDTH HEIGHT of the screen
scale=$((WIDTH / 640))

# The main window sits at (20, 119) of the 640 x 480 screen; a point in its frame:
at() { echo $((X + scale * (20 + $1))) $((Y + scale * (119 + $2))); }
patch() {  # a checksum of the 40 x 40 pixels around a point
    import -window root "$work/shot.png" || fail "no screenshot"
    convert "$work/shot.png" -crop "40x40+$(($1 - 20))+$(($2 - 20))" -depth 8 rgb:- | md5sum
}
settle() { sleep "${1:-0.4}"; }

# Hand slot 0's left margin, on the felt until a card lands there.
read -r sx sy < <(at 104 148)
felt=$(pixel "$sx" "$sy")

xdotool key alt+n; settle  # New: 40
xdotool key d; settle      # the deal
card=$(pixel "$sx" "$sy")
[ "$card" != "$felt" ] || fail "no card in the hand after the deal (pixel $card)"

open_guide
eval "$(xdotool getwindowgeometry --shell --prefix GUIDE_ "$guide")"
[ "$GUIDE_X,$GUIDE_Y" = "960,0" ] || fail "the guide opens at $GUIDE_X,$GUIDE_Y, not in the far corner"
for slot in 100 262; do    # cards in view beside the guide turn over when clicked
    read -r cx cy < <(at $((slot + 35)) $((100 + 30)))
    face=$(patch "$cx" "$cy")
    xdotool mousemove "$cx" "$cy" click 1; settle
    [ "$(patch "$cx" "$cy")" != "$face" ] || fail "the card at $slot does not turn over with the guide open"
done
close_guide
xdotool windowfocus --sync "$host" 2>/dev/null
xdotool key Return         # exchange and end: "Your Hand:" comes up beside the window
settle 0.6
read -r rx ry < <(at $((350 + 100)) 60)
requester=$(pixel "$rx" "$ry")
[ "$requester" = "#AAAAAA" ] || fail "no \"Your Hand:\" requester (pixel $requester)"
xdotool key Return; settle # dismiss it

xdotool key alt+s; settle  # Save
xdotool type --delay 50 g1
xdotool key Return
within 50 [ -e "$drawer/save/g1" ] || fail "no saved game"
[ "$(stat -c %s "$drawer/save/g1")" = 32 ] || fail "the saved game is not 32 bytes"

xdotool key alt+o; settle  # Continue Old
xdotool type --delay 50 g1
xdotool key Return
within 50 [ ! -e "$drawer/save/g1" ] || fail "the saved game was not taken back"

read -r gx gy < <(at 5 5)
xdotool mousemove "$gx" "$gy" click 1; settle  # the close gadget
xdotool key Return                      # "Quit" is the first button
ends game_pid "the program, after Quit,"
expected=$'PREFSJOKER=FALSE\nPREFS5KIND=FALSE\nPREFSDOUBLE=FALSE\nCHANGES=1\nJOKERS=3\nCARDS=gfx/defaultcards.lbm'
[ "$(cat "$drawer/poker.info")" = "$expected" ] || fail "icon not rewritten: $(cat "$drawer/poker.info")"
echo "PASS: the game played from its icon on the sdl display: deal, exchange, hand shown, save, continue, quit"
exit 0
