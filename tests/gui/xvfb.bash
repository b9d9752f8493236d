# Shared by the GUI tests (sourced): the tools they need, a private Xvfb display, the
# program's drawer as shipped, and the screen reading and waiting they all do.

# fresh_drawer BUILD WORK: lays out WORK/Poker from the sources' drawer/ and the built card
# sheet, with a link to the built program, and prints its path.
fresh_drawer() {
    local src
    src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    mkdir -p "$2/Poker/gfx" "$2/Poker/save"
    cp "$src/drawer/poker.info" "$src/drawer/poker.guide" "$2/Poker/"
    cp "$1/gfx/defaultcards.lbm" "$2/Poker/gfx/"
    ln -s "$(cd "$1" && pwd)/poker" "$2/Poker/poker"
    echo "$2/Poker"
}

# Exits 77 (skipped, and says so) when a tool the GUI tests use is missing.
require_gui_tools() {
    local tool
    for tool in Xvfb xdotool import convert; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIPPED: $tool is not installed"
            exit 77
        fi
    done
}

# start_xvfb LOG [SCREEN]: starts Xvfb (SCREEN: WxHxD, 1024x768x24 unless given) on a display
# number the server picks itself, so that tests run at the same time never share one; exports
# DISPLAY and sets xvfb_pid; exits 77 when no server can be had.
start_xvfb() {
    local fifo fd number=""
    fifo=$(mktemp -u) && mkfifo "$fifo" || { echo "SKIPPED: no fifo for Xvfb"; exit 77; }
    # Opened for reading and writing, the fifo never blocks its opener, so the read's bound holds
    # even when the server never opens its end.
    exec {fd}<>"$fifo"
    Xvfb -displayfd 3 -screen 0 "${2:-1024x768x24}" -nolisten tcp 3>"$fifo" >"$1" 2>&1 &
    xvfb_pid=$!
    read -r -t 10 number <&"$fd"
    exec {fd}<&-
    rm -f "$fifo"
    [ -n "$number" ] || { echo "SKIPPED: Xvfb did not start"; exit 77; }
    export DISPLAY=:$number
    within 50 xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    echo "SKIPPED: Xvfb did not answer on $DISPLAY"
    exit 77
}

# within TENTHS COMMAND...: whether COMMAND succeeds within TENTHS tenths of a second (tried
# every tenth); gone PID: whether that process has ended.
within() {
    local tries=$1
    shift
    for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
    return 1
}
gone() { ! kill -0 "$1" 2>/dev/null; }

# The test's scratch folder and the processes it starts, all gone when it exits.
work=$(mktemp -d)
xvfb_pid="" game_pid="" guide_pid="" probe_pid=""
cleanup() {
    local pid
    for pid in $game_pid $guide_pid $probe_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

# fail WHAT: says what failed and what the program under test printed (to $work/out and
# $work/err), and exits 1.
fail() {
    echo "FAIL: $*"
    local f
    for f in out err; do [ -s "$work/$f" ] && { echo "--- program's std$f:"; cat "$work/$f"; }; done
    exit 1
}

# pixel X Y: the colour (#RRGGBB) of a point of the screen.
pixel() {
    import -window root "$work/shot.png" || fail "no screenshot"
    convert "$work/shot.png" -crop "1x1+$1+$2" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1
}

# find_host TITLE: waits for the host window whose title matches TITLE, sets host to it and
# X Y WIDTH HEIGHT to its geometry, and gives it the focus.
find_host() {
    host=$(timeout 20 xdotool search --sync --name "$1" | head -1)
    [ -n "$host" ] || fail "no host window titled $1"
    eval "$(xdotool getwindowgeometry --shell "$host")"
    xdotool windowfocus --sync "$host" 2>/dev/null
    sleep 0.5
}

# ends PIDVAR WHAT: waits up to 10 s for the process in PIDVAR to end and clears PIDVAR; fails
# when WHAT still runs, or ended with a status other than 0.
ends() {
    local -n pid=$1
    local status
    within 100 gone "$pid" || fail "$2 still runs"
    wait "$pid"
    status=$?
    pid=""
    [ "$status" = 0 ] || fail "$2: exit status $status"
}

# open_guide: Help in the game's window; the guide opens in a host window of its own, `guide`.
open_guide() {
    xdotool key alt+h
    guide=$(timeout 20 xdotool search --sync --name '^poker.guide$' | head -1)
    [ -n "$guide" ] || fail "no guide window"
    guide_pid=$(xdotool getwindowpid "$guide" 2>/dev/null)
    sleep 0.5
}

# close_guide: Escape in the guide's window ends its viewer.
close_guide() {
    xdotool windowfocus --sync "$guide" 2>/dev/null
    xdotool key Escape
    within 50 gone "$guide_pid" || fail "the guide does not close with Escape"
    guide_pid=""
}
