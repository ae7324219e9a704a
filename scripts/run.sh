#!/usr/bin/env bash
# Installs what is missing, builds, lays out a demo installation under build/demo (the
# bundled word groups and a Wordmoor.INI pointing at them, in a configuration folder of
# its own) and starts Wordmoor on it. Record files go into build/demo/install.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build

demo="$PWD/build/demo"
mkdir -p "$demo/install/ciku" "$demo/config"
# Only missing groups are copied, so a learner's edited groups and records stay.
cp -n data/ciku/ci*.txt "$demo/install/ciku/" || true
cp -n data/SOURCE.md "$demo/install/" || true
printf '[InstallSettings]\r\nInstallPath=%s\r\n' "$demo/install" > "$demo/config/Wordmoor.INI"

export XDG_CONFIG_HOME="$demo/config"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here: starting Wordmoor under Xvfb (screen :99 is not visible)."
    exec xvfb-run -a -s "-screen 0 1280x800x24" build/wordmoor
fi
exec build/wordmoor
