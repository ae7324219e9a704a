#!/usr/bin/env bash
# Installs whatever Wordmoor needs to build, test and show its windows, if missing.
set -euo pipefail

packages=(g++ cmake ninja-build qt6-base-dev qt6-base-dev-tools libgl-dev
          fonts-liberation fonts-wqy-microhei xvfb xauth
          pkg-config libzip-dev libzstd-dev libqt6sql6-sqlite)
if [ "${1:-}" = "--screenshots" ]; then
    packages+=(x11-apps imagemagick xdotool)
fi

"$(dirname "$0")/install-missing.sh" "${packages[@]}"
