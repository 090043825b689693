#!/usr/bin/env bash
# Starts the print server (if it is not running) with a PDF printer queue, so
# that printing can be tested against a real queue. Prints the queue's name.
set -euo pipefail
queue=CUPS-PDF
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
command -v cupsd >/dev/null && [ -f "$ppd" ] || { echo "cups or cups-pdf missing" >&2; exit 1; }
if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
  (cupsd -f >/dev/null 2>&1 &)
  for _ in $(seq 50); do
    lpstat -r 2>/dev/null | grep -q 'is running' && break
    sleep 0.1
  done
fi
if ! lpstat -p "$queue" >/dev/null 2>&1; then
  lpadmin -p "$queue" -v cups-pdf:/ -E -P "$ppd" 2>/dev/null
fi
echo "$queue"
