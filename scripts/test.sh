#!/usr/bin/env bash
# Installs what is missing, builds Tavrel twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test in both.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

# A real print queue that writes PDFs, for the printing test.
if queue=$(bash "$here/scripts/start-cups-pdf.sh"); then
  export TAVREL_CUPS_PDF_PRINTER="$queue"
  export TAVREL_CUPS_PDF_DIR="$HOME/PDF"
else
  echo "no PDF print queue: the test against a real queue will be skipped" >&2
fi

# A private sound server with a null sink, for the tests that play sound;
# stopped however the run ends.
trap 'bash "$here/scripts/stop-pulse.sh"' EXIT
source "$here/scripts/pulse-env.sh"

echo "== build (warnings are errors) =="
bash "$here/scripts/build.sh" build-test -DTAVREL_WERROR=ON -DTAVREL_BENCH=ON
echo "== tests =="
(cd "$here/build-test" && ctest --output-on-failure -j "$jobs")

echo "== build with AddressSanitizer and UndefinedBehaviorSanitizer =="
bash "$here/scripts/build.sh" build-asan -DTAVREL_SANITIZE=ON -DTAVREL_WERROR=ON -DTAVREL_BENCH=OFF
echo "== tests under the sanitizers =="
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$here/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$here/build-asan" && ctest --output-on-failure -j "$jobs")
