# Shared by the GUI tests (sourced): the tools they need, a private Xvfb display and the
# program's drawer as shipped.

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
    local fifo number=""
    fifo=$(mktemp -u) && mkfifo "$fifo" || { echo "SKIPPED: no fifo for Xvfb"; exit 77; }
    Xvfb -displayfd 3 -screen 0 "${2:-1024x768x24}" -nolisten tcp 3>"$fifo" >"$1" 2>&1 &
    xvfb_pid=$!
    read -r -t 10 number <"$fifo"
    rm -f "$fifo"
    [ -n "$number" ] || { echo "SKIPPED: Xvfb did not start"; exit 77; }
    export DISPLAY=:$number
    for _ in $(seq 50); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "SKIPPED: Xvfb did not answer on $DISPLAY"
    exit 77
}
