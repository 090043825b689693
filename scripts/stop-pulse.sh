#!/usr/bin/env bash
# Stops the server start-pulse.sh started, with everything in its process
# group, and removes its folder. Harmless when it is not running.
set -uo pipefail
# One server per work tree, so that two trees testing at once keep apart.
dir=${TAVREL_PULSE_DIR:-/tmp/tavrel-pulse-$(cd "$(dirname "$0")/.." && pwd | cksum | cut -d' ' -f1)}
pidfile="$dir/server.pid"
if [ -f "$pidfile" ]; then
    pid=$(cat "$pidfile")
    if kill -0 "$pid" 2>/dev/null; then
        kill -TERM -- "-$pid" 2>/dev/null || kill -TERM "$pid" 2>/dev/null
        # It takes more than half a second to close down.
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL -- "-$pid" 2>/dev/null || true
    fi
fi
rm -rf "$dir"
exit 0
