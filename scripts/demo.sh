#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program's main job on a
# simulated KZD unit: find the unit, show its device information and error
# log, and read its map.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DKZD_BUILD_TESTS=OFF -DKZD_BUILD_BENCH=OFF
kzdctl="$root/build/src/kzdctl/kzdctl"
run() { echo "\$ kzdctl $*"; "$kzdctl" "$@"; echo; }
run --device sim:fresh device list
run --device sim device info
run --device sim device errors
if "$kzdctl" --help | grep -q "map get"; then
  out=$(mktemp -d)/demo.kzm
  run --device sim map get "$out"
  run map show "$out"
fi
