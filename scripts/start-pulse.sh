#!/usr/bin/env bash
# Starts a private PulseAudio server with one null sink ("null"), so that the
# sound tests play into something real and record what was played from its
# monitor ("null.monitor"). Everything the server keeps lives in one folder
# (one per work tree under /tmp, or $TAVREL_PULSE_DIR); nothing goes into $HOME.
# Running it again while the server answers does nothing. Stop it with
# stop-pulse.sh. Exit status 1 when the server is not installed or does not
# come up.
set -euo pipefail
# One server per work tree, so that two trees testing at once keep apart.
dir=${TAVREL_PULSE_DIR:-/tmp/tavrel-pulse-$(cd "$(dirname "$0")/.." && pwd | cksum | cut -d' ' -f1)}
command -v pulseaudio >/dev/null && command -v pactl >/dev/null || {
    echo "pulseaudio or pulseaudio-utils missing" >&2
    exit 1
}

answers() {
    PULSE_SERVER="unix:$dir/pulse/native" PULSE_COOKIE="$dir/.config/pulse/cookie" \
        timeout 5 pactl info >/dev/null 2>&1
}

answers && exit 0
mkdir -p "$dir"
chmod 700 "$dir"

# Its own session and process group, so stop-pulse.sh can end it and
# anything it started by the one id kept here. As root the server warns that
# it should not run so and carries on. No pid file of its own: a killed
# server that nobody reaped yet would pass for a running one, and the sound
# tests start a server again on the same socket after killing it.
HOME="$dir" XDG_RUNTIME_DIR="$dir" XDG_CONFIG_HOME="$dir/.config" \
    setsid pulseaudio --daemonize=no --system=false --exit-idle-time=-1 --disallow-exit \
    --use-pid-file=false \
    -n --load="module-null-sink sink_name=null" --load=module-native-protocol-unix \
    --log-target=file:"$dir/server.log" </dev/null >/dev/null 2>&1 &
echo $! >"$dir/server.pid"

for _ in $(seq 100); do
    answers && exit 0
    sleep 0.1
done
echo "the sound server did not come up; see $dir/server.log" >&2
exit 1
