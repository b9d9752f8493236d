#!/usr/bin/env bash
# The game as a player installs it: installed into a temporary DESTDIR, its desktop entry,
# metainfo and icons checked, then started by the installed launcher under Xvfb with a fresh
# XDG_DATA_HOME and played with xdotool: New, the guide opened beside the game, a deal with
# the guide open, Changes set to 3 in the bet dialog, quit. The player's drawer and icon are
# checked, and a second start keeps the settings. A second installed version then brings the
# guide and card sheet up to date, except where the player changed them. The Debian package
# passes lintian.
# Exits 77 (skipped) without Xvfb, xdotool, ImageMagick or the validators.
# Usage: install_gui.sh BUILD_DIR
set -u
build=${1:?usage: install_gui.sh BUILD_DIR}

source "$(dirname "$0")/xvfb.bash"
require_gui_tools
for tool in desktop-file-validate appstreamcli cpack lintian; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIPPED: $tool is not installed"; exit 77; }
done

root=$work/root
DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 || fail "install: $(cat "$work/install.log")"
share=$root/usr/share
desktop-file-validate "$share/applications/tarnwell-poker.desktop" || fail "the desktop entry is not valid"
appstreamcli validate --no-net "$share/metainfo/tarnwell-poker.metainfo.xml" >"$work/as.log" 2>&1 ||
    fail "the metainfo is not valid: $(cat "$work/as.log")"
for size in 32 64 128; do
    got=$(identify -format %wx%h "$share/icons/hicolor/${size}x$size/apps/tarnwell-poker.png" 2>/dev/null)
    [ "$got" = "${size}x$size" ] || fail "the ${size}px icon is '$got'"
done
grep -rl -- "$build/SYS" "$root" && fail "installed files name the build tree's SYS"
# The package is checked once, from the plain build: the sanitized one packs the same rules.
if grep -q '^POKER_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    echo "the package is checked by the plain build"
else
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1 ||
        fail "no package: $(cat "$work/cpack.log")"
    lintian --fail-on error "$work"/package/tarnwell-poker_*.deb >"$work/lintian.log" 2>&1 ||
        fail "lintian: $(cat "$work/lintian.log")"
fi

launcher=$root/usr/bin/tarnwell-poker
"$launcher" --version | grep -qx 'tarnwell-poker [0-9][0-9.]*' || fail "--version: $("$launcher" --version)"
"$launcher" --help | grep -q -- '--version' || fail "--help does not list the options"
touch "$work/file"
XDG_DATA_HOME=$work/file "$launcher" 2>"$work/err"
[ $? = 20 ] && grep -q 'cannot make your drawer' "$work/err" || fail "an impossible drawer does not fail with 20"

start_xvfb "$work/xvfb.log" 2048x800x24
data=$work/data
drawer=$data/tarnwell-poker/Poker
start_game() {
    WB_SCALE=1 XDG_DATA_HOME=$data "$launcher" >"$work/out" 2>"$work/err" &
    game_pid=$!
    find_host '^Tarnwell Poker$'
}
# A point of the main window, which sits at (20, 119) of the screen.
at() { echo $((X + 20 + $1)) $((Y + 119 + $2)); }
# until X Y [!]COLOUR WHAT: waits until the main window's point shows (or no longer shows) COLOUR.
until_shown() {
    local x y got
    read -r x y < <(at "$1" "$2")
    for _ in $(seq 40); do
        got=$(pixel "$x" "$y")
        if [ "${3#!}" = "$3" ]; then [ "$got" = "$3" ] && return 0; else [ "$got" != "${3#!}" ] && return 0; fi
        sleep 0.1
    done
    fail "$4 (pixel $got)"
}
grey='#AAAAAA'
quit_game() {
    xdotool windowfocus --sync "$host" 2>/dev/null
    read -r gx gy < <(at 5 5)
    xdotool mousemove "$gx" "$gy" click 1   # the close gadget
    until_shown 300 100 "$grey" "no Quit requester"
    xdotool key Return                      # Quit
    ends game_pid "the game, after Quit,"
}

start_game
xdotool key alt+n; sleep 0.4
open_guide
guide_x=$(xdotool getwindowgeometry --shell "$guide" | sed -n 's/^X=//p')
[ "$guide_x" -ge $((X + 640)) ] || fail "the guide opens at x $guide_x, over the game at $X"
xdotool windowfocus --sync "$host" 2>/dev/null
read -r sx sy < <(at 104 148)               # hand slot 0's margin: felt until a card lands
felt=$(pixel "$sx" "$sy")
xdotool key d; sleep 0.5
[ "$(pixel "$sx" "$sy")" != "$felt" ] || fail "no deal while the guide is open"
xdotool key Return                          # draw: the hand's name comes up
until_shown 450 60 "$grey" "no \"Your Hand:\" requester"
xdotool key Return                          # dismissed
until_shown 450 60 "!$grey" "the hand's requester stays"
xdotool key alt+b                           # Bet Prefs: C, then 3 in place of the 1
until_shown 150 75 "$grey" "no bet dialog"
xdotool key c 3 Return; sleep 0.3
xdotool key Return                          # OK
until_shown 150 75 "!$grey" "the bet dialog stays"
close_guide
quit_game

[ -L "$drawer/poker" ] && [ "$(readlink "$drawer/poker")" = "$root/usr/lib/tarnwell-poker/poker" ] ||
    fail "the drawer's program is not a link to the installed one"
for f in poker.guide gfx/defaultcards.lbm save; do [ -e "$drawer/$f" ] || fail "no $f in the player's drawer"; done
expected=$'PREFSJOKER=FALSE\nPREFS5KIND=FALSE\nPREFSDOUBLE=FALSE\nCHANGES=3\nJOKERS=3\nCARDS=gfx/defaultcards.lbm'
[ "$(cat "$drawer/poker.info")" = "$expected" ] || fail "the player's icon holds: $(cat "$drawer/poker.info")"

start_game                                  # the drawer is the player's now
quit_game
[ "$(cat "$drawer/poker.info")" = "$expected" ] || fail "the second start lost the settings: $(cat "$drawer/poker.info")"
# An upgrade: a second installed version ships a new guide and card sheet and lists the first
# version's. What the player did not change follows it; what the player changed stays theirs.
root2=$work/root2
cp -a "$root" "$root2"
share2=$root2/usr/share/tarnwell-poker
echo "@node NEW" >>"$share2/Poker/poker.guide"
printf 'NEW' >>"$share2/Poker/gfx/defaultcards.lbm"
(cd "$share/tarnwell-poker/Poker" && sha256sum poker.guide gfx/defaultcards.lbm) >>"$share2/released.sha256"
echo "a saved game" >"$drawer/save/g"
upgrade() {  # starts the second version with no display: its launcher has done its work by then
    env -u DISPLAY XDG_DATA_HOME=$data "$root2/usr/bin/tarnwell-poker" >/dev/null 2>&1
    [ "$(cat "$drawer/poker.info")" = "$expected" ] && [ "$(cat "$drawer/save/g")" = "a saved game" ] ||
        fail "the upgrade touched the icon or a saved game"
    ls -A "$drawer" "$drawer/gfx" | grep -q '\.new\.' && fail "the upgrade left a temporary file"
    cmp -s "$drawer/poker.guide" "$1" && cmp -s "$drawer/gfx/defaultcards.lbm" "$2" ||
        fail "after the upgrade the guide or the card sheet is not the one expected ($3)"
}
echo "my card sheet" >"$work/mine"
cp "$work/mine" "$drawer/gfx/defaultcards.lbm"
upgrade "$share2/Poker/poker.guide" "$work/mine" "card sheet replaced by the player"
echo "my notes" >"$work/notes"
cp "$work/notes" "$drawer/poker.guide"
cp "$share/tarnwell-poker/Poker/gfx/defaultcards.lbm" "$drawer/gfx/"
upgrade "$work/notes" "$share2/Poker/gfx/defaultcards.lbm" "guide changed by the player"
echo "PASS: installed, validated, played from the player's own drawer, settings kept on the second start, upgraded"
exit 0
