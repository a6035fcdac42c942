#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless:
# the full build with the GUI tests, then the core libraries under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen
jobs=${KZD_JOBS:-$(nproc)}

"$root/scripts/build.sh" "$root/build" -DKZD_BUILD_BENCH=ON
ctest --test-dir "$root/build" --output-on-failure -j"$jobs"

"$root/scripts/build.sh" "$root/build-asan" -DKZD_SANITIZE=ON -DKZD_BUILD_GUI=OFF -DKZD_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j"$jobs"
