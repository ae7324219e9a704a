#!/usr/bin/env bash
# Installs whatever Wordmoor needs to build, test and show its windows, if missing.
set -euo pipefail

# Qt 6.4's TextToSpeech headers need the QML ones; the speech-dispatcher plugin is what the
# program speaks through (the end-to-end tests give it a speech service of their own).
packages=(g++ cmake ninja-build qt6-base-dev qt6-base-dev-tools libgl-dev
          qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin
          pkg-config libzip-dev libzstd-dev libqt6sql6-sqlite
          fonts-liberation fonts-wqy-microhei xvfb xauth)
if [ "${1:-}" = "--screenshots" ]; then
    packages+=(x11-apps imagemagick xdotool)
fi

"$(dirname "$0")/install-missing.sh" "${packages[@]}"
