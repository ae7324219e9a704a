# Sourced by the end-to-end scripts with their arguments: the program under test (the path
# given, else build/wordmoor built first) in WORDMOOR, and where failures leave their traces.
if [ $# -ge 1 ]; then
    WORDMOOR=$(realpath "$1")
else
    scripts/deps.sh
    scripts/build.sh build
    WORDMOOR=$repo/build/wordmoor
fi
[ -x "$WORDMOOR" ] || { echo "No program at $WORDMOOR" >&2; exit 2; }
export WORDMOOR
export E2E_ARTIFACTS=${WORDMOOR_E2E_ARTIFACTS:-$repo/build/e2e-failures}
