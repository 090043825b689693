#!/usr/bin/env bash
# Installs what is missing, builds Tavrel and starts it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh" build -DTAVREL_BENCH=OFF -DBUILD_TESTING=OFF
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "Tavrel: no display here; start it under Xvfb: xvfb-run -s \"-screen 0 1024x768x24\" $here/build/tavrel" >&2
  exit 1
fi
exec "$here/build/tavrel"
