# Services the tests print and play through, started for one test run and
# stopped when it ends, whatever its outcome. Source this file, then:
#   start_services   starts what is not running yet and exports where it is
#   stop_services    stops only what start_services started (safe to call twice)
# Under CI (CI set) a service that cannot start fails the run: the tests
# that need it would fail anyway, and the reason is clearer here.

_tavrel_started_cupsd=

_tavrel_missing() {
  if [ -n "${CI:-}" ]; then
    echo "services: $1" >&2
    return 1
  fi
  echo "services: $1; the tests that need it will be skipped" >&2
}

start_cups_pdf() {
  local queue=CUPS-PDF ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
  if ! command -v cupsd >/dev/null || [ ! -f "$ppd" ]; then
    _tavrel_missing "cups or cups-pdf is not installed"
    return
  fi
  if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
    cupsd -f >/dev/null 2>&1 &
    _tavrel_started_cupsd=$!
    for _ in $(seq 100); do
      lpstat -r 2>/dev/null | grep -q 'is running' && break
      sleep 0.1
    done
  fi
  if ! lpstat -p "$queue" >/dev/null 2>&1; then
    lpadmin -p "$queue" -v cups-pdf:/ -E -P "$ppd" 2>/dev/null ||
      { _tavrel_missing "the PDF print queue could not be set up"; return; }
  fi
  export TAVREL_CUPS_PDF_PRINTER="$queue"
  export TAVREL_CUPS_PDF_DIR="$HOME/PDF"
}

stop_cups_pdf() {
  if [ -n "$_tavrel_started_cupsd" ]; then
    kill "$_tavrel_started_cupsd" 2>/dev/null || true
    wait "$_tavrel_started_cupsd" 2>/dev/null || true
    _tavrel_started_cupsd=
  fi
}

# A private PulseAudio server with a null sink (start-pulse.sh), for the
# tests that play sound and record what was heard from the sink's monitor.
_tavrel_started_pulse=

start_pulse() {
  local scripts
  scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  export TAVREL_PULSE_DIR=${TAVREL_PULSE_DIR:-/tmp/tavrel-pulse-$(cd "$scripts/.." && pwd | cksum | cut -d' ' -f1)}
  if bash "$scripts/start-pulse.sh"; then
    _tavrel_started_pulse=$scripts
    export PULSE_SERVER="unix:$TAVREL_PULSE_DIR/pulse/native"
    export PULSE_COOKIE="$TAVREL_PULSE_DIR/.config/pulse/cookie"
  else
    _tavrel_missing "no sound server could be started"
  fi
}

stop_pulse() {
  if [ -n "$_tavrel_started_pulse" ]; then
    bash "$_tavrel_started_pulse/stop-pulse.sh"
    _tavrel_started_pulse=
  fi
}

start_services() {
  start_cups_pdf
  start_pulse
}

stop_services() {
  stop_pulse
  stop_cups_pdf
}
