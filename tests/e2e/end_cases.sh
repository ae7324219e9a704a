# End-to-end cases of a run ended from outside, and of a save that the system refuses. Each
# starts the real program on an installation of its own (drill_cases.sh: open_drill).

# Prints what a save of record_1.divu left beside it (its temporary files, or a copy under
# another name); succeeds when there is any.
leftovers_of_record_1()
{
    local found
    found=$(cd "$INSTALL" && compgen -G '.record_1.divu.*' ; compgen -G 'record_1.divu?*')
    [ -n "$found" ] && echo "$found"
}

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
    ! leftovers_of_record_1 || fail "the refused save left $(leftovers_of_record_1)"
    wait_until 5 "record window after the warning" find_window Record
    press_in "$WINDOW" Return
    wait_until 5 "closing of the record window by Return" no_window Record
    # The focus is back on Menu: Tab Tab reaches Start again, Space presses it.
    wait_until 5 "drill window with the keyboard focus" is_active "$DRILL"
    xdotool key Tab Tab space
    wait_until 5 "first question of a new run" question_open
    expect_no_record "$INSTALL/record_1.divu"
}

# sigterm_with_window_open_saves_once_and_ends ROW: ROW names what is open when SIGTERM
# comes. about: the About window from the menu during question 3, after one right and one
# wrong answer. record and exit_question: the record window from the menu or the exit
# question from the frame during question 2, after one right answer. The run is saved once,
# as a confirmed Exit saves it. setting, words and warning: the speed window, the notice, or
# the "Warning!" box of a group that cannot be loaded, with no run (Setting is off during a
# run, a group is chosen only between runs). Either way every window closes unclicked and
# the program ends within a second.
test_sigterm_with_window_open_saves_once_and_ends()
{
    local row=$1 title run=
    case $row in
        about) title=About run=third ;;
        record) title=Record run=second ;;
        exit_question) title='Attention!' run=second ;;
        setting) title=Setting ;;
        words) title='Notice for Users' ;;
        warning) title='Warning!' ;;
        *) fail "no row $row" ;;
    esac
    if [ "$row" = warning ]; then
        make_install
        # A line of 5000 characters, over the 4096 that a group line may hold.
        write_group "$INSTALL/ciku/ci1.txt" $'\r\n' "$(printf '一%.0s' $(seq 1 5000))" "long"
        start_app "$WORDMOOR" XDG_CONFIG_HOME="$T/config"
        wait_until 10 "drill window" find_drill_window
    else
        open_drill
    fi
    if [ "$run" = third ]; then
        two_answers_by_keys_then_third_question
    elif [ "$run" = second ]; then
        one_answer_by_keys_then_second_question
    else
        wait_until 10 "drawn drill window" drill_drawn
        wait_until 5 "drill window with the keyboard focus" is_active "$DRILL"
    fi
    case $row in
        about | record) open_from_menu "$row" "$title" ;;
        exit_question)
            wmctrl -i -c "$DRILL"
            wait_until 5 "exit question" find_window "$title"
            ;;
        setting)
            xdotool key Tab Down
            wait_until 5 "group line after Tab Down" group_line_shown
            open_from_menu setting "$title"
            ;;
        words) open_from_menu words "$title" ;;
        warning)
            xdotool key Tab Down
            wait_until 5 "\"Warning!\" box for the group with a long line" find_window "$title"
            ;;
    esac
    end_by_signal TERM
    [ "$APP_STATUS" -eq 0 ] || fail "after SIGTERM the program ended with status $APP_STATUS"
    # Point = right answers x rate x speed (Normal): 1 x 50 x 2 in question 3, 1 x 100 x 2
    # in question 2.
    if [ "$run" = third ]; then
        expect_record "$INSTALL/record_1.divu" 100 2 50 2
    elif [ "$run" = second ]; then
        expect_record "$INSTALL/record_1.divu" 200 1 100 2
    else
        expect_no_record "$INSTALL/record_1.divu"
    fi
}

# stderr_says TEXT: the program's standard error (start_app_under_file_limit) holds TEXT.
stderr_says()
{
    DETAIL="standard error: $(tr '\n' ' ' <"$T/stderr.log" 2>/dev/null | cut -c 1-300)"
    grep -qF "$1" "$T/stderr.log" 2>/dev/null
}

# Under ulimit -f 0 the save that SIGTERM asks for fails: nothing waits for a click, the
# reason goes to standard error, the old record stays as it was and the status is 1.
test_sigterm_when_save_fails_ends_with_status_1()
{
    make_install
    # An older run: 1 right of 3 at Slow, point 1 x 33 x 1; the new run's 200 would go above.
    write_record "$INSTALL/record_1.divu" 33 3 33 1
    cp "$INSTALL/record_1.divu" "$T/old-record"
    start_app_under_file_limit 0 "$WORDMOOR" XDG_CONFIG_HOME="$T/config"
    wait_until 10 "drill window" find_drill_window
    one_answer_by_keys_then_second_question
    end_by_signal TERM
    [ "$APP_STATUS" -eq 1 ] ||
        fail "the save failed, yet the program ended with status $APP_STATUS, not 1"
    wait_until 2 "reason of the failed save (File too large) on standard error" \
        stderr_says 'File too large'
    cmp -s "$INSTALL/record_1.divu" "$T/old-record" ||
        fail "the failed save changed record_1.divu: $(od -An -tx1 -N10 "$INSTALL/record_1.divu")"
    ! leftovers_of_record_1 || fail "the failed save left $(leftovers_of_record_1)"
}

# A learner's own copy of a record, named like the record plus ".backup", is none of the
# program's: a Stop that saves the run leaves it as it was.
test_learners_backup_survives_a_stop()
{
    make_install
    write_record "$INSTALL/record_1.divu.backup" 33 3 33 1
    cp "$INSTALL/record_1.divu.backup" "$T/backup"
    start_app "$WORDMOOR" XDG_CONFIG_HOME="$T/config"
    wait_until 10 "drill window" find_drill_window
    one_answer_by_keys_then_second_question
    click_stop
    wait_until 5 "record window" find_window Record
    press_in "$WINDOW" Return
    wait_until 5 "closing of the record window by Return" no_window Record
    expect_record "$INSTALL/record_1.divu" 200 1 100 2
    [ -e "$INSTALL/record_1.divu.backup" ] || fail "the Stop's save removed record_1.divu.backup"
    cmp -s "$INSTALL/record_1.divu.backup" "$T/backup" ||
        fail "the Stop's save changed record_1.divu.backup"
}
