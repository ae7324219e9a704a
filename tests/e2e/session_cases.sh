# End-to-end cases of the program in a desktop session (session.sh): xsm starts it, and
# checkpoints and shutdowns of the session reach it as they do on a learner's desktop.

# A checkpoint (the session saves, nobody logs out) during question 3 saves the run so far
# and the learner goes on. The run's end then records the whole run once: its entry
# replaces the checkpoint's. A shutdown of the session afterwards, with the About window
# open, ends the program with status 0 and adds nothing.
test_session_checkpoint_saves_run_and_goes_on()
{
    start_session
    two_answers_by_keys_then_third_question
    session_save Checkpoint
    wait_until 5 "checkpoint request to the program" save_requested False
    # xsm closes its dialog once every client has reported its save done.
    wait_until 5 "end of the checkpoint" no_window Checkpoint
    if app_ended; then
        wait_app_end 1
        fail "the checkpoint ended the program (status $APP_STATUS)"
    fi
    # The run so far: point 1 x 50 x 2 (Normal).
    expect_record "$INSTALL/record_1.divu" 100 2 50 2
    activate "$DRILL"
    answer_right_by_number
    close_record_window_after_run
    # The whole run, 2 right of 3: rate 67, point 2 x 67 x 2, and nothing else.
    expect_record "$INSTALL/record_1.divu" 268 3 67 2
    ! app_ended || fail "the program ended with the run"
    open_from_menu about About
    session_save Shutdown
    wait_app_end 5
    [ "$APP_STATUS" -eq 0 ] ||
        fail "the session's shutdown ended the program with status $APP_STATUS"
    expect_record "$INSTALL/record_1.divu" 268 3 67 2
}

# A shutdown of the session during question 2, with the About window open: the run is
# saved once, the windows close unclicked and the program ends with status 0.
test_session_shutdown_in_run_with_about_open_saves_once()
{
    start_session
    one_answer_by_keys_then_second_question
    open_from_menu about About
    session_save Shutdown
    wait_until 5 "shutdown request to the program" save_requested True
    wait_app_end 5
    [ "$APP_STATUS" -eq 0 ] ||
        fail "the session's shutdown ended the program with status $APP_STATUS"
    # 1 right of 1: point 1 x 100 x 2 (Normal).
    expect_record "$INSTALL/record_1.divu" 200 1 100 2
}
