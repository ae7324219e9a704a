#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit tests headless through
# ctest, again built with AddressSanitizer and UndefinedBehaviorSanitizer, the fuzzers for a
# bounded time, then the Debian package is built and installed, and the end-to-end tests
# drive the built program and the installed one under Xvfb with openbox, and the installed
# one under sway and GNOME Shell on Wayland.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

echo "== Unit tests"
scripts/build.sh build
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")

echo "== Again with AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DWORDMOOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
    cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
)

if [ -f scripts/fuzz.sh ]; then
    echo "== Fuzzing the readers of outside files"
    bash scripts/fuzz.sh
fi

echo "== Debian package"
bash scripts/package.sh

echo "== End to end: the built program"
bash scripts/e2e.sh build/wordmoor
echo "== End to end: the installed package"
WORDMOOR_E2E_PREFIX=/usr bash scripts/e2e.sh /usr/bin/wordmoor
echo "== End to end on Wayland: the installed package under sway and GNOME Shell"
bash scripts/e2e-wayland.sh /usr/bin/wordmoor
