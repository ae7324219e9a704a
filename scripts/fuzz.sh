#!/usr/bin/env bash
# Builds the libFuzzer targets in fuzz/ with clang into build-fuzz and runs each for a
# bounded time (FUZZ_SECONDS, default 60) under AddressSanitizer and UndefinedBehaviorSanitizer.
# Any crash, sanitizer report, failed check, leak or hang fails the run; the input that did
# it is left in build-fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

scripts/install-missing.sh clang libclang-rt-14-dev

seconds="${FUZZ_SECONDS:-60}"
dir=build-fuzz
targets=(ini wordfile record questions import)

CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWORDMOOR_FUZZ=ON >/dev/null
cmake --build "$dir" -j 2 --target "${targets[@]/#/fuzz_}"

# The targets' scratch files live in memory, removed at the end whatever happened.
memory=/dev/shm
[ -d "$memory" ] && [ -w "$memory" ] || memory="${TMPDIR:-/tmp}"
scratch="$(mktemp -d "$memory/wordmoor-fuzz.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
export WORDMOOR_FUZZ_SCRATCH="$scratch"
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
failed=()
for t in "${targets[@]}"; do
    corpus="$dir/corpus/$t"
    findings="$dir/findings/$t"
    mkdir -p "$corpus" "$findings"
    echo "== fuzz_$t for ${seconds} s"
    # New inputs go to the build folder's corpus; the seeds in fuzz/corpus are only read.
    # The fuzzer's running commentary goes to a log; its figures and any report are shown.
    log="$dir/fuzz_$t.log"
    if "$dir/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus" "fuzz/corpus/$t" >"$log" 2>&1; then
        grep -E "^Done|executed_units|average_exec_per_sec" "$log" || true
    else
        tail -n 60 "$log"
        failed+=("$t")
    fi
done

if [ "${#failed[@]}" -gt 0 ]; then
    echo "Findings in: ${failed[*]} (inputs in $dir/findings/)"
    exit 1
fi
echo "No findings."
