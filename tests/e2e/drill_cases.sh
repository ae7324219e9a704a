# End-to-end cases of a run in the drill window. Each starts the real program on an
# installation of its own holding one group of three one-rendering words.

# Starts the program on the test's installation and waits for the drill window.
open_drill()
{
    make_install
    start_app "$WORDMOOR" XDG_CONFIG_HOME="$T/config"
    wait_until 10 "drill window" find_drill_window
}

# One right and one wrong answer, then the third question opens.
two_answers_then_third_question()
{
    start_run
    answer_right
    wait_next_question
    answer_wrong
    wait_next_question
}

# The same by keys: the right row's number, then a lone 1.
two_answers_by_keys_then_third_question()
{
    start_run_by_keys Return
    answer_right_by_number
    wait_next_question
    answer_wrong_by_lone_one
    wait_next_question
}

# One right answer by its row's number, then the second question opens: the run has passed
# its first question, which is all that a save needs.
one_answer_by_keys_then_second_question()
{
    start_run_by_keys Return
    answer_right_by_number
    wait_next_question
}

# After the last question's pause the run stops by itself and the record window opens;
# Return presses its Close button, which has the focus.
close_record_window_after_run()
{
    wait_until 10 "record window after the last question" find_window Record
    press_in "$WINDOW" Return
    wait_until 5 "closing of the record window by Return" no_window Record
}

test_stop_in_third_question_saves_and_shows_record()
{
    open_drill
    two_answers_then_third_question
    click_stop
    wait_until 5 "record window" find_window Record
    xprop -id "$WINDOW" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL ||
        fail "the record window is not modal: $(xprop -id "$WINDOW" _NET_WM_STATE)"
    # Its Close button with the mouse (3840, 3600, 765 x 330 twips); the keys-only run
    # closes it with Return.
    click_in_window "$WINDOW" $(((3840 + 765 / 2) / 15)) $(((3600 + 330 / 2) / 15))
    wait_until 5 "closing of the record window" no_window Record
    # Point = right answers x rate x speed: 1 x 50 x 2 (Normal).
    expect_record "$INSTALL/record_1.divu" 100 2 50 2
    ! app_ended || fail "the program ended when the record window closed"
}

test_backdrop_click_keeps_drill_window_on_top()
{
    open_drill
    wait_until 10 "drawn drill window" drill_drawn
    wait_until 5 "backdrop" find_backdrop
    # A point of the black backdrop well clear of the drill window. Openbox gives the
    # clicked backdrop the focus (so the click has been handled), and the program hands it
    # back to the drill window.
    xprop -root -spy _NET_ACTIVE_WINDOW >"$T/active.log" 2>/dev/null &
    local spy=$!
    # The spy prints the active window as it starts: only then can it miss no change.
    wait_until 5 "the active-window spy" test -s "$T/active.log"
    xdotool mousemove --sync 40 400 click 1
    wait_until 5 "backdrop taking the focus" active_once "$BACKDROP"
    wait_until 5 "drill window taking the focus back" is_active "$DRILL"
    kill "$spy" 2>/dev/null
    local stacking drill_at backdrop_at
    read -ra stacking < <(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/ /g')
    drill_at=$(stacking_index "$DRILL" "${stacking[@]}")
    backdrop_at=$(stacking_index "$BACKDROP" "${stacking[@]}")
    if [ "$drill_at" -lt "$backdrop_at" ]; then
        local owner
        owner=$(xprop -id "$DRILL" WM_TRANSIENT_FOR)
        fail "the backdrop went over the drill window (stacking, bottom first:" \
            "${stacking[*]}; drill window's $owner)"
    fi
    snap
    pixels 10 10 560 12 5 300 300 300 560 150
    [ "${PIXELS[*]}" = "FFFFC0 FFFFC0 00C000 00C000 00C000" ] ||
        fail "the drill window's area shows ${PIXELS[*]}, not the drill window"
}

# active_once WINDOW: whether the active-window log of this test has named WINDOW.
active_once()
{
    local id
    while read -r id; do
        [[ $id =~ ^0x[0-9a-fA-F]+$ ]] && [ "$((id))" = "$(($1))" ] && return 0
    done < <(sed -n 's/.*# \(0x[0-9a-fA-F]*\).*/\1/p' "$T/active.log")
    return 1
}

# A minimized drill window must not leave the learner before a black screen. Openbox
# minimizes the backdrop with it (the drill window is its transient); bringing the program
# back the way a taskbar does, by activating the backdrop, must bring the drill window back
# on top, with the focus. (Under a window manager that leaves the backdrop up, a click on it
# brings the drill window back: a unit test covers that.)
test_minimized_drill_window_comes_back()
{
    open_drill
    wait_until 10 "drawn drill window" drill_drawn
    wait_until 5 "backdrop" find_backdrop
    xdotool windowminimize --sync "$DRILL" || fail "the drill window could not be minimized"
    wait_until 5 "minimized drill window" drill_unmapped
    wmctrl -i -a "$BACKDROP" || fail "the backdrop could not be activated"
    wait_until 5 "drill window shown again" drill_viewable
    wait_until 5 "drill window with the focus" is_active "$DRILL"
    snap
    pixels 300 300 560 150
    [ "${PIXELS[*]}" = "00C000 00C000" ] || fail "the screen shows ${PIXELS[*]}, not the drill window"
}

drill_unmapped()
{
    xwininfo -id "$DRILL" 2>/dev/null | grep -q 'Map State: IsUnMapped'
}

drill_viewable()
{
    xwininfo -id "$DRILL" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# stacking_index WINDOW LIST...: position of WINDOW in the list, counting from 0.
stacking_index()
{
    local window=$(($1)) i=0 w
    shift
    for w in "$@"; do
        if [ "$((w))" = "$window" ]; then
            echo "$i"
            return
        fi
        i=$((i + 1))
    done
    echo -1
}

test_frame_close_confirmed_saves_run_and_ends()
{
    open_drill
    two_answers_then_third_question
    quit_app
    expect_record "$INSTALL/record_1.divu" 100 2 50 2
}

# A whole run without the mouse: the group and Start by Tab, Down and Return; question 1
# answered with the right row's number, question 2 with a wrong row's two-digit number,
# question 3 with the arrows and Space; the run ends by itself; Return closes the record.
test_whole_run_by_keys_only()
{
    open_drill
    start_run_by_keys Return
    answer_right_by_number
    echo "    question 1: typed $TYPED"
    wait_next_question
    # Rows 15 and 14 are numbered with two digits; at most one of them is right.
    find_right_row
    answer_wrong_by_number $((RIGHT_ROW == 14 ? 13 : 14))
    echo "    question 2: typed $TYPED"
    wait_next_question
    answer_right_by_arrows
    close_record_window_after_run
    # 2 right of 3: rate 67 (66.7 rounded), point 2 x 67 x 2 (Normal).
    expect_record "$INSTALL/record_1.divu" 268 3 67 2
    ! app_ended || fail "the program ended with the run"
}

# The question line of a settled screen, cut out to $1 (Left 540, Top 420, 8294 x 630
# twips).
save_question_line()
{
    snap
    convert "$T/screen.png" -crop "552x42+$((DX + 36))+$((DY + 28))" +repage -depth 8 \
        "rgb:$1"
}

# With the focus on Menu and the test group chosen: Start by keys, each of its three words
# answered right, and the record window the run's end opens closed again.
play_test_group_right_from_menu_button()
{
    xdotool key Tab Tab Return
    wait_until 5 "first question" question_open
    answer_right
    wait_next_question
    answer_right
    wait_next_question
    answer_right
    close_record_window_after_run
}

# Chooses Group 1 by keys and keeps the group line it shows in $1.
group_line_by_keys()
{
    wait_until 10 "drawn drill window" drill_drawn
    wait_until 5 "drill window with the keyboard focus" is_active "$DRILL"
    xdotool key Tab Down
    wait_until 5 "group line after Tab Down" group_line_shown
    save_question_line "$1"
}

# A group whose lines end in LF alone plays as its CR LF twin does: the same group line
# (word count), three questions whose right rows are the same words' renderings, and the
# run ends by itself after the third and is saved.
test_lf_group_plays_like_crlf_twin()
{
    open_drill
    group_line_by_keys "$T/crlf-line.rgb"
    quit_app
    rm -rf "$T/install" "$T/config"
    make_install $'\n'
    start_app "$WORDMOOR" XDG_CONFIG_HOME="$T/config"
    wait_until 10 "drill window" find_drill_window
    group_line_by_keys "$T/lf-line.rgb"
    cmp -s "$T/crlf-line.rgb" "$T/lf-line.rgb" ||
        fail "the LF group's group line differs from its CR LF twin's (another word count)"
    play_test_group_right_from_menu_button
    # 3 right of 3: point 3 x 100 x 2 (Normal).
    expect_record "$INSTALL/record_1.divu" 600 3 100 2
}
