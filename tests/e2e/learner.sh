# Acting as the learner: clicks on the drill window's controls and rows, the pause between
# questions and the confirmed end of the program. Sourced by scripts/e2e.sh after lib.sh
# and screen.sh.

# ---- Acting as the learner

# click_px X Y: a left click at a point of the drill window's client area.
click_px()
{
    xdotool mousemove --sync $((DX + $1)) $((DY + $2)) click 1
    # Off the rows again, so the pointer covers nothing that is read next.
    xdotool mousemove --sync $((DX + 590)) $((DY + 520))
}

# click_in_window WINDOW X Y: a left click at a point of another window's client area.
click_in_window()
{
    window_origin "$1" || fail "window $1 is gone"
    xdotool mousemove --sync $((OX + $2)) $((OY + $3)) click 1
}

click_twips()
{
    click_px $(($1 / 15)) $(($2 / 15))
}

app_popup_open()
{
    local w
    for w in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1
}

# Chooses Group 1 in the group list (Left 6750, Top 6840, 1035 x 315 twips) and presses
# Start (7875, 6840, 960 x 330); returns once the first question is open.
start_run()
{
    wait_until 10 "drawn drill window" drill_drawn
    click_twips $((6750 + 1035 / 2)) $((6840 + 315 / 2))
    wait_until 5 "open group list" app_popup_open
    xdotool key Down Return
    wait_until 5 "group line after choosing Group 1" group_line_shown
    click_twips $((7875 + 960 / 2)) $((6840 + 330 / 2))
    wait_until 5 "first question" question_open
}

click_row()
{
    click_twips $((1080 + 75)) $((1140 + 375 * $1 + 157))
}

# Clicks the right row; the reveal then leaves that row alone on show.
answer_right()
{
    find_right_row
    click_row "$RIGHT_ROW"
    wait_until 5 "reveal of row $RIGHT_ROW alone after a right click" \
        shown_rows_are "$RIGHT_ROW"
}

# Clicks the top row; the reveal then hides it and leaves the right row alone on show.
answer_wrong()
{
    find_right_row
    click_row 0
    wait_until 5 "reveal of row $RIGHT_ROW alone after a wrong click" \
        shown_rows_are "$RIGHT_ROW"
}

# The program's pause between questions is 2 s per rendering; it must pass.
wait_next_question()
{
    wait_until 10 "next question after the pause" question_open
}

# Ends the program as the learner does: a close request from the window manager (what the
# frame's close button sends), then Yes to the exit question.
quit_app()
{
    wmctrl -i -c "$DRILL"
    wait_until 5 "exit question" find_window 'Attention!'
    activate "$WINDOW"
    xdotool key alt+y
    wait_app_end 5
    [ "$APP_STATUS" -eq 0 ] || fail "the program ended with status $APP_STATUS"
}

