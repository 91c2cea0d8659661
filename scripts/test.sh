#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test twice: in the normal
# build and in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
# Both builds treat compiler warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build/release -DRIBBELO_WERROR=ON
bash scripts/build.sh build/asan -DRIBBELO_SANITIZE=ON -DRIBBELO_BENCH=OFF -DRIBBELO_WERROR=ON

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
# One virtual X server for the window tests of both runs.
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  set -u
  rc=0
  echo "== normal build"
  ctest --test-dir build/release -j"$(nproc)" --output-on-failure || rc=1
  echo "== sanitizer build"
  ctest --test-dir build/asan -j"$(nproc)" --output-on-failure || rc=1
  exit $rc' || status=1
if [ $status -ne 0 ]; then echo "TESTS FAILED"; else echo "all tests passed"; fi
exit $status
