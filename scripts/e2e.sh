#!/usr/bin/env bash
# End-to-end tests of the real program, driven from outside the process under Xvfb with the
# openbox window manager: each test gets its own X server, installation and configuration
# folder, plays the learner with xdotool and reads the screen back from screenshots.
#
# Usage: scripts/e2e.sh [path/to/wordmoor]
#   Without a path, installs the build dependencies and builds build/wordmoor first.
#   WORDMOOR_E2E_PREFIX     an installed copy (<prefix>/bin/wordmoor) for the first-start
#                           cases; by default the binary's build folder is installed into a
#                           temporary prefix with cmake --install.
#   WORDMOOR_E2E_ARTIFACTS  where a failing test leaves its screenshot and program output
#                           (default build/e2e-failures).
#   WORDMOOR_E2E_TESTS      only the tests named here (space separated, as listed below).
# Ends with the line "N passed, M failed"; the status is non-zero when a test failed.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

# x11-session-utils brings xsm, the session manager of the session cases, which needs
# iceauth from x11-xserver-utils.
scripts/install-missing.sh xvfb xauth openbox xdotool x11-utils wmctrl imagemagick \
    fonts-liberation fonts-wqy-microhei x11-session-utils x11-xserver-utils python3

source tests/e2e/program.sh "$@"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The installed copy for the first-start cases.
E2E_PREFIX=
E2E_PREFIX_PROBLEM=
if [ -n "${WORDMOOR_E2E_PREFIX:-}" ]; then
    E2E_PREFIX=$(realpath -m "$WORDMOOR_E2E_PREFIX")
elif [ -f "$(dirname "$WORDMOOR")/CMakeCache.txt" ]; then
    if cmake --install "$(dirname "$WORDMOOR")" --prefix "$work/prefix" >"$work/install.log" 2>&1
    then
        E2E_PREFIX=$work/prefix
    else
        E2E_PREFIX_PROBLEM="cmake --install failed: $(tail -n 3 "$work/install.log")"
    fi
else
    E2E_PREFIX_PROBLEM="$(dirname "$WORDMOOR") is no build folder; set WORDMOOR_E2E_PREFIX"
fi
export E2E_PREFIX E2E_PREFIX_PROBLEM

set +e
for part in lib screen learner session drill_cases end_cases session_cases install_cases orca \
    orca_cases speech_cases; do
    source "tests/e2e/$part.sh"
done

# NAME runs test_NAME; NAME/ROW runs test_NAME ROW.
tests=(whole_run_by_keys_only
       stop_in_third_question_saves_and_shows_record
       backdrop_click_keeps_drill_window_on_top
       minimized_drill_window_comes_back
       frame_close_confirmed_saves_run_and_ends
       signal_in_third_question_saves_run/sigterm
       signal_in_third_question_saves_run/sigint
       signal_in_third_question_saves_run/sighup
       sigterm_in_first_question_saves_nothing
       stop_past_file_size_limit_warns_and_goes_on
       sigterm_with_window_open_saves_once_and_ends/about
       sigterm_with_window_open_saves_once_and_ends/record
       sigterm_with_window_open_saves_once_and_ends/exit_question
       sigterm_with_window_open_saves_once_and_ends/setting
       sigterm_with_window_open_saves_once_and_ends/words
       sigterm_with_window_open_saves_once_and_ends/warning
       sigterm_when_save_fails_ends_with_status_1
       learners_backup_survives_a_stop
       session_checkpoint_saves_run_and_goes_on
       session_shutdown_in_run_with_about_open_saves_once
       lf_group_plays_like_crlf_twin
       first_start_sets_up_user_folders
       second_start_keeps_user_ini
       imported_group_plays_in_installed_copy
       speak_says_word_at_start_and_on_s
       no_speech_without_speak
       speak_without_service_says_why_once
       orca_speaks_question_rows_outcome_and_record)
[ -z "${WORDMOOR_E2E_TESTS:-}" ] || read -ra tests <<<"$WORDMOOR_E2E_TESTS"
if [[ " ${tests[*]} " == *" orca_"* ]]; then
    scripts/install-missing.sh "${ORCA_PACKAGES[@]}" || exit 2
fi

passed=0
failed=0
skipped=()
for name in "${tests[@]}"; do
    echo "== $name"
    started=$(now_ms)
    (
        set -u -o pipefail
        E2E_TEST=${name//\//-}
        T=$(mktemp -d)
        trap cleanup_test EXIT
        start_x
        if [[ $name == */* ]]; then
            "test_${name%%/*}" "${name#*/}"
        else
            "test_$name"
        fi
    )
    status=$?
    ms=$(($(now_ms) - started))
    took="$((ms / 1000)).$((ms % 1000 / 100)) s"
    if [ "$status" -eq 0 ]; then
        echo "PASS $name ($took)"
        passed=$((passed + 1))
    elif [ "$status" -eq "$E2E_SKIP" ]; then
        echo "SKIP $name ($took)"
        skipped+=("$name")
    else
        echo "FAIL $name ($took)"
        failed=$((failed + 1))
    fi
done

[ "${#skipped[@]}" -eq 0 ] || echo "${#skipped[@]} skipped: ${skipped[*]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
