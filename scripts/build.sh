#!/usr/bin/env bash
# Configures and builds one build directory: build.sh DIR [cmake options...]
set -euo pipefail
dir=$1; shift
jobs=${KZD_JOBS:-$(nproc)}
cmake -S "$(dirname "$0")/.." -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j"$jobs"
