# End-to-end cases on Wayland: the real program under sway and under GNOME Shell, each
# headless and run as a plain user made for the tests (sway refuses root). The program is
# the compositor's client as on a learner's desktop: Qt picks Wayland by itself. Keys and
# clicks come through the compositor's own input, pictures from the compositor (see
# compositors.sh). Sourced by scripts/e2e-wayland.sh after lib.sh and screen.sh, whose
# readings of the drill window (question_open, find_right_row ...) work on these pictures.
#
# On Wayland the program draws its windows inside its full-screen backdrop, each in a
# frame with a 22 px title bar and a 1 px edge; tests/e2e/frames.py finds the frames.

WL_USER=wordmoor-e2e
WL_SCREEN_W=1280
WL_SCREEN_H=1024
WL_TITLE=22
# Frame widths: the client width and the two edges.
WL_DRILL_FRAME_W=$((597 + 2))
WL_RECORD_FRAME_W=$((4740 / 15 + 2))

# There is no X screen to take: the last screenshot stands for it.
save_screen()
{
    cp "$T/screen.png" "$1" 2>/dev/null && echo "    last screenshot: $1"
}

# Ends what the case started, by process id, and drops its folder.
wl_cleanup()
{
    stop_process "${APP_PID:-}"
    stop_process "${KEEPER_PID:-}"
    stop_process "${HELPER_PID:-}"
    stop_process "${COMPOSITOR_PID:-}"
    stop_process "${SESSION_BUS_PID:-}"
    stop_process "${SYSTEM_BUS_PID:-}"
    rm -rf "$T"
}

# A command as the test user, in the test's session and nothing of the caller's, into
# USER_CMD: "${USER_CMD[@]}" & makes the command itself the background job, so that its
# process id is the program's own (signals reach it, not a shell in between).
user_cmd()
{
    USER_CMD=(setpriv --reuid "$WL_USER" --regid "$WL_USER" --init-groups
        env -i PATH=/usr/bin:/bin HOME="$T/home" XDG_RUNTIME_DIR="$T/run" LANG=C.UTF-8
        ${WL_ENV[@]+"${WL_ENV[@]}"} "$@")
}

as_user()
{
    user_cmd "$@"
    "${USER_CMD[@]}"
}

wl_prepare()
{
    chmod 755 "$T"
    mkdir -p "$T/run" "$T/home"
    chmod 700 "$T/run"
    # The program as a file the test user may run, wherever the tested one lies.
    cp "$WORDMOOR" "$T/wordmoor"
    chmod 755 "$T/wordmoor"
    make_install
    chown -R "$WL_USER:" "$T/run" "$T/home" "$INSTALL" "$T/config"
    WL_ENV=()
}

wl_socket_up()
{
    WL_DISPLAY=$(cd "$T/run" && ls wayland-[0-9] 2>/dev/null | head -n 1)
    [ -n "$WL_DISPLAY" ] && [ -S "$T/run/$WL_DISPLAY" ]
}

wl_start_app()
{
    user_cmd WAYLAND_DISPLAY="$WL_DISPLAY" XDG_SESSION_TYPE=wayland \
        XDG_CONFIG_HOME="$T/config" "$T/wordmoor"
    "${USER_CMD[@]}" >"$T/app.log" 2>&1 &
    APP_PID=$!
}

# ---- Reading the screen

# snap: a screenshot into $T/screen.png, and the drill window's client area (DX, DY) from
# its frame; FRAMES holds every frame seen ("LEFT TOP WIDTH" each).
snap()
{
    wl_shot "$T/screen.png" || fail "no screenshot"
    mapfile -t FRAMES < <(python3 "$repo/tests/e2e/frames.py" "$T/screen.png")
    frame_of_width "$WL_DRILL_FRAME_W" ||
        fail "no drill window on the screen (frames: ${FRAMES[*]:-none})"
    DX=$((FX + 1))
    DY=$((FY + 1 + WL_TITLE))
}

# frame_of_width WIDTH: the frame of that width on the last screenshot, into FX, FY.
frame_of_width()
{
    local frame
    for frame in "${FRAMES[@]}"; do
        read -r FX FY FW <<<"$frame"
        [ "$FW" -eq "$1" ] && return 0
    done
    return 1
}

wl_drill_drawn()
{
    wl_shot "$T/screen.png" || return 1
    mapfile -t FRAMES < <(python3 "$repo/tests/e2e/frames.py" "$T/screen.png")
    DETAIL="frames: ${FRAMES[*]:-none}"
    frame_of_width "$WL_DRILL_FRAME_W" || return 1
    DX=$((FX + 1))
    DY=$((FY + 1 + WL_TITLE))
    pixels 10 10 300 300 && [ "${PIXELS[0]}" = FFFFC0 ] && [ "${PIXELS[1]}" = 00C000 ]
}

wl_record_shown()
{
    snap
    frame_of_width "$WL_RECORD_FRAME_W"
}

# expect_centred WHAT FRAME_LEFT FRAME_TOP FRAME_W FRAME_H CENTRE_X CENTRE_Y: the frame's
# middle lies within a pixel of that point.
expect_centred()
{
    local what=$1 cx=$(($2 * 2 + $4)) cy=$(($3 * 2 + $5))
    echo "    $what: frame at ($2, $3), $4 x $5"
    local dx=$((cx - $6 * 2)) dy=$((cy - $7 * 2))
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] ||
        fail "$what: frame at ($2, $3), $4 x $5, is not centred on ($6, $7)"
}

# ---- The compositor's input and pictures: sway_* or gnome_*, as WL_COMPOSITOR says.

wl_keys() { "${WL_COMPOSITOR}_keys" "$@"; }
wl_click() { "${WL_COMPOSITOR}_click" "$@"; }
wl_shot() { "${WL_COMPOSITOR}_shot" "$@"; }
wl_away_and_back() { "${WL_COMPOSITOR}_away_and_back"; }
wl_minimize_and_back() { "${WL_COMPOSITOR}_minimize_and_back"; }

# ---- The learner

wl_type_row_number()
{
    local number=$(($1 + 1))
    TYPED=$number
    # shellcheck disable=SC2046 # one key per digit
    wl_keys $(sed 's/./& /g' <<<"$number")
}

wl_answer_right_by_number()
{
    find_right_row
    wl_type_row_number "$RIGHT_ROW"
    wait_until 5 "reveal of row $RIGHT_ROW alone after typing $TYPED" \
        shown_rows_are "$RIGHT_ROW"
}

# Clicks the right row (Left 1080, Top 1140 + 375 r, Height 315 twips).
wl_answer_right_by_click()
{
    find_right_row
    wl_click $((DX + (1080 + 75) / 15)) $((DY + (1140 + 375 * RIGHT_ROW + 157) / 15))
    wait_until 5 "reveal of row $RIGHT_ROW alone after a click on it" \
        shown_rows_are "$RIGHT_ROW"
}

wl_answer_wrong_by_number()
{
    find_right_row
    local row=$((RIGHT_ROW == 14 ? 13 : 14))
    wl_type_row_number "$row"
    wait_until 5 "reveal of row $RIGHT_ROW alone after typing $TYPED" \
        shown_rows_are "$RIGHT_ROW"
}

# ---- The case, alike under both compositors

# The drill window centred on the screen; a whole run by keys (Tab, Down, Return, row
# numbers) with its record bytes; the record window over the drill window's middle, closed
# by Return; a click on the black backdrop, then Start by keys and a row clicked; the
# program's window deactivated and activated again, then a row number; minimized and
# brought back, then a row number; SIGTERM with the record window open ends it within a
# second, the second run kept once beside the first.
wayland_case()
{
    wait_until 20 "drawn drill window" wl_drill_drawn
    expect_centred "drill window" "$FX" "$FY" "$FW" $((526 + WL_TITLE + 2)) \
        $((WL_SCREEN_W / 2)) $((WL_SCREEN_H / 2))
    local drill_x=$FX drill_y=$FY
    wl_keys Tab Down
    wait_until 5 "group line after Tab Down" group_line_shown
    wl_keys Tab Tab Return
    wait_until 5 "first question after Tab Tab Return" question_open
    wl_answer_right_by_number
    echo "    question 1: typed $TYPED, the right row"
    wait_until 10 "second question" question_open
    wl_answer_wrong_by_number
    echo "    question 2: typed $TYPED, a wrong row"
    wait_until 10 "third question" question_open
    wl_answer_right_by_number
    echo "    question 3: typed $TYPED, the right row"
    wait_until 10 "record window after the run" wl_record_shown
    expect_centred "record window" "$FX" "$FY" "$FW" $((4005 / 15 + WL_TITLE + 2)) \
        $((drill_x + WL_DRILL_FRAME_W / 2)) $((drill_y + (526 + WL_TITLE + 2) / 2))
    # 2 right of 3: rate 67, point 2 x 67 x 2 (Normal).
    expect_record "$INSTALL/record_1.divu" 268 3 67 2
    echo "    record after the run: $(record_places "$INSTALL/record_1.divu")"
    wl_keys Return
    wait_until 5 "closing of the record window by Return" wl_record_gone
    # A click on the black backdrop, left of the drill window; the keys still start a run,
    # and the mouse answers the first question (so clicks land where they are aimed).
    wl_click 40 400
    wl_keys Tab Tab Return
    wait_until 5 "a question by Tab Tab Return after a click on the backdrop" question_open
    echo "    after a click on the backdrop: Tab Tab Return started a run"
    wl_answer_right_by_click
    echo "    then a click on row $((RIGHT_ROW + 1)), the right row"
    wait_until 10 "second question of the second run" question_open
    wl_away_and_back
    wl_answer_right_by_number
    echo "    after the window was activated again: typed $TYPED, the right row"
    wait_until 10 "third question of the second run" question_open
    wl_minimize_and_back
    wait_until 10 "drawn drill window after coming back" wl_drill_drawn
    wl_answer_right_by_number
    echo "    after minimized and brought back: typed $TYPED, the right row"
    wait_until 10 "record window after the second run" wl_record_shown
    # SIGTERM with the record window open: everything closes, the run is kept once.
    end_by_signal TERM
    [ "$APP_STATUS" -eq 0 ] || fail "after SIGTERM the program ended with status $APP_STATUS"
    local places
    places=$(record_places "$INSTALL/record_1.divu")
    echo "    record after SIGTERM: $places"
    # The second run: 3 right of 3, rate 100, point 3 x 100 x 2.
    [ "$places" = "place 1: 600/3/100/2, place 2: 268/3/67/2" ] ||
        fail "the record holds $places"
}

wl_record_gone()
{
    snap
    ! frame_of_width "$WL_RECORD_FRAME_W"
}

# ---- No display at all

# Only a Wayland display that nothing serves, no X display: one line on standard error
# naming what is missing, status 1, and no abort.
test_no_display()
{
    mkdir -p "$T/run"
    chmod 700 "$T/run"
    env -i PATH=/usr/bin:/bin HOME="$T" XDG_RUNTIME_DIR="$T/run" WAYLAND_DISPLAY=wayland-9 \
        "$WORDMOOR" >"$T/out.log" 2>"$T/err.log"
    local status=$?
    echo "    status $status, standard error: $(cat "$T/err.log")"
    [ "$status" -eq 1 ] || fail "the program ended with status $status, not 1"
    [ "$(wc -l <"$T/err.log")" -eq 1 ] || fail "standard error holds $(wc -l <"$T/err.log") lines"
    grep -q "^wordmoor: cannot open a window: no Wayland display answers at $T/run/wayland-9;" \
        "$T/err.log" || fail "standard error does not say that no display answers"
}
