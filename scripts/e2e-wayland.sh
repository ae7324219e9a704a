#!/usr/bin/env bash
# End-to-end tests of the real program on Wayland: under sway 1.7 and under GNOME Shell 43,
# both headless, as a plain user made for the tests (see tests/e2e/wayland.sh).
#
# Usage: scripts/e2e-wayland.sh [path/to/wordmoor]
#   Without a path, builds build/wordmoor first.
#   WORDMOOR_E2E_ARTIFACTS  where a failing test leaves its last screenshot and logs
#                           (default build/e2e-failures).
#   WORDMOOR_E2E_TESTS      only the tests named here (no_display, sway, gnome).
# Ends with the line "N passed, M failed"; the status is non-zero when a test failed.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

# qt6-wayland: Qt's Wayland platform; python3-gi drives GNOME Shell's D-Bus APIs.
scripts/install-missing.sh qt6-wayland sway wtype grim gnome-shell dbus python3 python3-gi \
    gir1.2-glib-2.0 imagemagick fonts-liberation fonts-wqy-microhei

source tests/e2e/program.sh "$@"

# The compositors and the program run as this user, never as root.
id wordmoor-e2e >/dev/null 2>&1 ||
    useradd --system --create-home --home-dir /var/lib/wordmoor-e2e --shell /usr/sbin/nologin \
        wordmoor-e2e

set +e
for part in lib screen wayland compositors; do
    source "tests/e2e/$part.sh"
done

tests=(no_display sway gnome)
[ -z "${WORDMOOR_E2E_TESTS:-}" ] || read -ra tests <<<"$WORDMOOR_E2E_TESTS"

passed=0
failed=0
for name in "${tests[@]}"; do
    echo "== wayland_$name"
    started=$(now_ms)
    (
        set -u -o pipefail
        E2E_TEST=wayland_$name
        T=$(mktemp -d)
        trap wl_cleanup EXIT
        "test_$name"
    )
    status=$?
    ms=$(($(now_ms) - started))
    took="$((ms / 1000)).$((ms % 1000 / 100)) s"
    if [ "$status" -eq 0 ]; then
        echo "PASS wayland_$name ($took)"
        passed=$((passed + 1))
    else
        echo "FAIL wayland_$name ($took)"
        failed=$((failed + 1))
    fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
