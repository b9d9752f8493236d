#!/usr/bin/env bash
# Installs the Debian packages the build, the program and its tests need, when missing.
set -euo pipefail
packages=(cmake make g++ pkg-config libsdl2-dev libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
          clang libclang-rt-14-dev xvfb xdotool x11-utils imagemagick
          dpkg-dev file desktop-file-utils appstream lintian emscripten node-acorn chromium)
# The browser tests run on node and npm; a node from elsewhere brings its own npm.
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
