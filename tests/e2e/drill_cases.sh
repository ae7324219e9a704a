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

test_stop_in_third_question_saves_and_shows_record()
{
    open_drill
    two_answers_then_third_question
    click_twips $((7875 + 960 / 2)) $((7213 + 330 / 2))     # Stop
    wait_until 5 "record window" find_window Record
    xprop -id "$WINDOW" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL ||
        fail "the record window is not modal: $(xprop -id "$WINDOW" _NET_WM_STATE)"
    # Its Close button: 3840, 3600, 765 x 330 twips. (Return does not press it: the window
    # has no default button.)
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
    # A point of the black backdrop well clear of the drill window.
    xdotool mousemove --sync 40 400 click 1
    wait_until 5 "backdrop taking the focus or the top" backdrop_clicked
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

# Openbox gives the clicked backdrop the focus: the click has been handled.
backdrop_clicked()
{
    local active
    active=$(xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //')
    DETAIL="active window $active"
    [[ $active =~ ^0x[0-9a-fA-F]+$ ]] && [ "$((active))" = "$((BACKDROP))" ]
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
