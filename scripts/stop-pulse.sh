#!/usr/bin/env bash
# Stops the server start-pulse.sh started, with everything in its process
# group, and removes its folder. Harmless when it is not running.
set -uo pipefail
# One server per work tree, so that two trees testing at once keep apart.
dir=${TAVREL_PULSE_DIR:-/tmp/tavrel-pulse-$(cd "$(dirname "$0")/.." && pwd | cksum | cut -d' ' -f1)}
pidfile="$dir/server.pid"
# Running, and not merely a process that ended and was not reaped yet.
alive() {
    kill -0 "$1" 2>/dev/null && ! grep -qs '^State:[[:space:]]*Z' "/proc/$1/status"
}
if [ -f "$pidfile" ]; then
    pid=$(cat "$pidfile")
    if alive "$pid"; then
        kill -TERM -- "-$pid" 2>/dev/null || kill -TERM "$pid" 2>/dev/null
        # It takes more than half a second to close down.
        for _ in $(seq 50); do
            alive "$pid" || break
            sleep 0.1
        done
        kill -KILL -- "-$pid" 2>/dev/null || true
    fi
fi
rm -rf "$dir"
exit 0
