#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the program.
# Does nothing when everything is already there.
set -euo pipefail
packages=(build-essential cmake pkg-config git qt6-base-dev libhidapi-dev googletest libgtest-dev
          libbenchmark-dev xvfb xauth clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
