# Acting as the learner: the mouse on the drill window's controls and rows, the keys as a
# learner types them, the pause between questions and the confirmed end of the program.
# Sourced by scripts/e2e.sh after lib.sh and screen.sh. Keys go through XTEST to whichever
# window has the focus, as a keyboard's would.

# ---- The mouse

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

# Start: Left 7875, Top 6840, 960 x 330 twips; Stop lies below it at Top 7213.
click_start()
{
    click_twips $((7875 + 960 / 2)) $((6840 + 330 / 2))
}

click_stop()
{
    click_twips $((7875 + 960 / 2)) $((7213 + 330 / 2))
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
# Start; returns once the first question is open.
start_run()
{
    wait_until 10 "drawn drill window" drill_drawn
    click_twips $((6750 + 1035 / 2)) $((6840 + 315 / 2))
    wait_until 5 "open group list" app_popup_open
    xdotool key Down Return
    wait_until 5 "group line after choosing Group 1" group_line_shown
    click_start
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

# Menu: Left 6750, Top 7213, 1050 x 330 twips.
click_menu()
{
    click_twips $((6750 + 1050 / 2)) $((7213 + 330 / 2))
}

# open_from_menu ITEM TITLE: chooses ITEM (record, setting, words, about, exit) from the
# popup menu by its keys and waits for the window of that TITLE. The menu opens with no item
# marked; Down marks the top item (Record), Up the bottom one (Exit). Setting is reached
# past Record, so only after a group has been chosen.
open_from_menu()
{
    local keys
    case $1 in
        record) keys=(Down) ;;
        setting) keys=(Down Down) ;;
        words) keys=(Up Up Up) ;;
        about) keys=(Up Up) ;;
        exit) keys=(Up) ;;
        *) fail "no menu item $1" ;;
    esac
    click_menu
    wait_until 5 "open menu" app_popup_open
    xdotool key "${keys[@]}" Return
    wait_until 5 "\"$2\" window from the menu's $1 item" find_window "$2"
}

# ---- The keyboard

# The drill window opens with the focus on Menu, in the tab order Menu, group list, Start,
# Stop (disabled buttons are passed over). Tab reaches the group list, Down there chooses
# the next group, and choosing a group sends the focus back to Menu, so Tab Tab reaches
# Start, which KEY (Return or space) presses. Returns once the first question is open.
start_run_by_keys()
{
    local key=$1
    wait_until 10 "drawn drill window" drill_drawn
    wait_until 5 "drill window with the keyboard focus" is_active "$DRILL"
    xdotool key Tab Down
    wait_until 5 "group line after Tab Down" group_line_shown
    xdotool key Tab Tab "$key"
    wait_until 5 "first question after Tab Tab $key" question_open
}

# type_row_number ROW: the number shown beside row ROW, ROW + 1, digit by digit. xdotool's
# 12 ms between keys keeps a second digit well within the program's 500 ms wait for it.
type_row_number()
{
    local number=$(($1 + 1))
    TYPED=$number
    # shellcheck disable=SC2046 # one key per digit
    xdotool key $(sed 's/./& /g' <<<"$number")
}

# Types the right row's number.
answer_right_by_number()
{
    find_right_row
    type_row_number "$RIGHT_ROW"
    wait_until 5 "reveal of row $RIGHT_ROW alone after typing $TYPED" \
        shown_rows_are "$RIGHT_ROW"
}

# answer_wrong_by_number ROW: types the number of ROW, which must not be the right row.
answer_wrong_by_number()
{
    find_right_row
    [ "$1" != "$RIGHT_ROW" ] || fail "row $1 is the right row; it cannot answer wrong"
    type_row_number "$1"
    wait_until 5 "reveal of row $RIGHT_ROW alone after typing $TYPED" \
        shown_rows_are "$RIGHT_ROW"
}

# Types a lone 1: after the program's 500 ms wait for a second digit it means the top row,
# which never holds a right rendering.
answer_wrong_by_lone_one()
{
    answer_wrong_by_number 0
}

# Moves the mark onto the right row with the arrows and judges it with Space. The first
# Down marks the top row and each further Down the row below; one step past the right row
# and back again (Up, or Down from the row above the last) also tries the other arrow.
answer_right_by_arrows()
{
    find_right_row
    local keys=(Down) i
    for ((i = 0; i < RIGHT_ROW; ++i)); do
        keys+=(Down)
    done
    if [ "$RIGHT_ROW" -lt 14 ]; then
        keys+=(Down Up)
    else
        keys+=(Up Down)
    fi
    xdotool key "${keys[@]}" space
    wait_until 5 "reveal of row $RIGHT_ROW alone after ${keys[*]} space" \
        shown_rows_are "$RIGHT_ROW"
}

# press_in WINDOW KEY...: once the window manager has given WINDOW the focus by itself (as
# it does a new dialog), the keys go to it.
press_in()
{
    local window=$1
    shift
    wait_until 5 "focus on window $window" is_active "$window"
    xdotool key "$@"
}

# ---- The run and the program

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
