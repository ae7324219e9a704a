# End-to-end cases of a run ended from outside, and of a save that the system refuses. Each
# starts the real program on an installation of its own (drill_cases.sh: open_drill).

# signal_in_third_question_saves_run ROW: ROW (sigterm, sigint, sighup) names the signal
# sent during question 3, after one right and one wrong answer. The program ends as a
# confirmed Exit does: status 0 and the run saved.
test_signal_in_third_question_saves_run()
{
    local signal
    signal=$(tr '[:lower:]' '[:upper:]' <<<"${1#sig}")
    open_drill
    two_answers_by_keys_then_third_question
    kill -s "$signal" "$APP_PID" || fail "no SIG$signal could be sent"
    wait_app_end 5
    [ "$APP_STATUS" -eq 0 ] || fail "after SIG$signal the program ended with status $APP_STATUS"
    # Point = right answers x rate x speed: 1 x 50 x 2 (Normal).
    expect_record "$INSTALL/record_1.divu" 100 2 50 2
}

# Within question 1 nothing has been played that a record would keep.
test_sigterm_in_first_question_saves_nothing()
{
    open_drill
    start_run_by_keys Return
    kill -s TERM "$APP_PID" || fail "no SIGTERM could be sent"
    wait_app_end 5
    [ "$APP_STATUS" -eq 0 ] || fail "after SIGTERM the program ended with status $APP_STATUS"
    [ ! -e "$INSTALL/record_1.divu" ] || fail "SIGTERM in question 1 left a record_1.divu"
}

# No file of the program may grow (ulimit -f 0): Stop in question 3 cannot save the run. The
# program warns, lives on, shows the stopped run's record window, and then takes a new run.
test_stop_past_file_size_limit_warns_and_goes_on()
{
    make_install
    start_app_under_file_limit 0 "$WORDMOOR" XDG_CONFIG_HOME="$T/config"
    wait_until 10 "drill window" find_drill_window
    two_answers_by_keys_then_third_question
    click_stop
    wait_until 5 "\"Warning!\" message box" find_window 'Warning!'
    press_in "$WINDOW" Return
    wait_until 5 "closing of the warning by Return" no_window 'Warning!'
    ! app_ended || fail "the program ended after the warning"
    expect_no_record "$INSTALL/record_1.divu"
    ! compgen -G "$INSTALL/record_1.divu?*" >/dev/null ||
        fail "the refused save left $(cd "$INSTALL" && echo record_1.divu?*)"
    wait_until 5 "record window after the warning" find_window Record
    press_in "$WINDOW" Return
    wait_until 5 "closing of the record window by Return" no_window Record
    # The focus is back on Menu: Tab Tab reaches Start again, Space presses it.
    wait_until 5 "drill window with the keyboard focus" is_active "$DRILL"
    xdotool key Tab Tab space
    wait_until 5 "first question of a new run" question_open
    expect_no_record "$INSTALL/record_1.divu"
}
