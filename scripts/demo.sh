#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program on a simulated KZD unit.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DKZD_BUILD_TESTS=OFF -DKZD_BUILD_BENCH=OFF
cd "$root/build"
./src/kzdctl/kzdctl --version
