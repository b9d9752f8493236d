# Shared by the GUI tests (sourced): the tools they need and a private Xvfb display.

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

# start_xvfb FIRST LAST LOG [SCREEN]: starts Xvfb (SCREEN: WxHxD, 1024x768x24 unless given) on
# a free display number from FIRST to LAST, exports DISPLAY and sets xvfb_pid; exits 77 when
# no display can be had.
start_xvfb() {
    local n display=""
    for n in $(seq "$1" "$2"); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
    done
    [ -n "$display" ] || { echo "SKIPPED: no free X display number"; exit 77; }
    Xvfb "$display" -screen 0 "${4:-1024x768x24}" -nolisten tcp >"$3" 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$display
    for _ in $(seq 50); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "SKIPPED: Xvfb did not start"
    exit 77
}
