#!/usr/bin/env bash
# Installs what is missing, builds Tavrel once with every check on (warnings
# as errors, AddressSanitizer, UndefinedBehaviorSanitizer, libstdc++
# assertions; the benchmarks compiled so they cannot rot) and runs every test
# against real services, then fuzzes the readers of recordings.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

source "$here/scripts/services.sh"
trap stop_services EXIT
start_services

echo "== build: warnings as errors, sanitizers, libstdc++ assertions =="
bash "$here/scripts/build.sh" build-test -DTAVREL_SANITIZE=ON -DTAVREL_WERROR=ON -DTAVREL_BENCH=ON
echo "== tests =="
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$here/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$here/build-test" && ctest --output-on-failure -j "$jobs")

echo "== fuzzing the readers of recordings for 70 s =="
bash "$here/scripts/fuzz.sh" 70

echo "== the Debian package: build, install, check, remove =="
TAVREL_JOBS=$jobs bash "$here/scripts/package-check.sh"
