# Sourced: starts a virtual X display for this shell when none is set (or
# when TARNVEL_XVFB=1 asks for one) and stops it when the shell exits.
_tarnvel_start_xvfb() {
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        TARNVEL_XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && return 0
            sleep 0.1
        done
    done
    echo "xvfb: could not start a virtual display" >&2
    return 1
}
if [ -z "${DISPLAY:-}" ] || [ "${TARNVEL_XVFB:-0}" = 1 ]; then
    _tarnvel_start_xvfb
    trap 'kill "$TARNVEL_XVFB_PID" 2>/dev/null || true' EXIT
fi
