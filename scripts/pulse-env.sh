# Sourced by test.sh: starts the private sound server (start-pulse.sh) and
# points the sound tests at it. The caller stops it with stop-pulse.sh.
# Without a server those tests skip, or fail under CI.
tavrel_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export TAVREL_PULSE_DIR=${TAVREL_PULSE_DIR:-/tmp/tavrel-pulse-$(cd "$tavrel_scripts/.." && pwd | cksum | cut -d' ' -f1)}
if bash "$tavrel_scripts/start-pulse.sh"; then
    export PULSE_SERVER="unix:$TAVREL_PULSE_DIR/pulse/native"
    export PULSE_COOKIE="$TAVREL_PULSE_DIR/.config/pulse/cookie"
else
    echo "no sound server: the tests that play sound will be skipped" >&2
fi
