# Sourced: starts a virtual X display for this shell when none is set (or
# when TARNVEL_XVFB=1 asks for one) and stops it when the shell exits.
# Xvfb picks the first free display number itself and says which, so two
# runs starting at the same moment never share one.
_tarnvel_start_xvfb() {
    local said n
    said=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$said" >/dev/null 2>&1 &
    TARNVEL_XVFB_PID=$!
    for _ in $(seq 100); do
        n=$(head -n 1 "$said")
        if [ -n "$n" ]; then
            rm -f "$said"
            export DISPLAY=":$n"
            return 0
        fi
        kill -0 "$TARNVEL_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$said"
    echo "xvfb: could not start a virtual display (is the package xvfb installed?)" >&2
    return 1
}
if [ -z "${DISPLAY:-}" ] || [ "${TARNVEL_XVFB:-0}" = 1 ]; then
    _tarnvel_start_xvfb
    trap 'kill "$TARNVEL_XVFB_PID" 2>/dev/null || true' EXIT
fi
