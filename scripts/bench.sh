#!/usr/bin/env bash
# Prints the benchmark's figures for an optimised build, on the xcb platform under Xvfb with
# openbox, as a learner's desktop runs it: load, start-up, Start, a click, and peak memory
# with the bundled groups beside that of a bare Qt window; then, with no display,
# wordmoor-groups importing a 30,000-entry CSV and checking a 30,000-word group beside the
# drill's own load of the same words.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/install-missing.sh openbox x11-utils
scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release
export DISPLAY=:93 QT_QPA_PLATFORM=xcb
Xvfb "$DISPLAY" -screen 0 1280x800x24 -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $wm $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
wm=$!
sleep 0.5
build-bench/wordmoor_bench
build-bench/wordmoor_bench --memory "$PWD/data/"
build-bench/wordmoor_bench --memory-bare
build-bench/groups/wordmoor_groups_bench
