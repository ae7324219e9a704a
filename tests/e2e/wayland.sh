# End-to-end cases on Wayland: the real program under sway and under GNOME Shell, each
# headless and run as a plain user made for the tests (sway refuses root). The program is
# the compositor's client as on a learner's desktop: Qt picks Wayland by itself. Keys and
# clicks come through the compositor's own input (wtype, and a virtual pointer of
# tests/e2e/wlr_pointer.py, under sway; Mutter's RemoteDesktop D-Bus API), pictures from the compositor (grim; GNOME Shell's Screenshot
# API). Sourced by scripts/e2e-wayland.sh after lib.sh and screen.sh, whose readings of the
# drill window (question_open, find_right_row ...) work on these pictures too.
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

# As lib.sh's, with the last screenshot taken (there is no X screen to take one of).
fail()
{
    echo "    FAIL: $*"
    if [ -n "${E2E_ARTIFACTS:-}" ]; then
        mkdir -p "$E2E_ARTIFACTS"
        cp "$T/screen.png" "$E2E_ARTIFACTS/$E2E_TEST.png" 2>/dev/null &&
            echo "    last screenshot: $E2E_ARTIFACTS/$E2E_TEST.png"
        local log
        for log in "$T"/*.log; do
            [ -f "$log" ] && cp "$log" "$E2E_ARTIFACTS/$E2E_TEST-$(basename "$log")"
        done
    fi
    exit 1
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
    frame_of_width "$WL_DRILL_FRAME_W" || fail "no drill window on the screen (frames: ${FRAMES[*]:-none})"
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

# ---- sway 1.7

sway_ready()
{
    wl_socket_up && WL_SWAYSOCK=$(ls "$T"/run/sway-ipc.*.sock 2>/dev/null | head -n 1) &&
        [ -n "$WL_SWAYSOCK" ] && as_user SWAYSOCK="$WL_SWAYSOCK" swaymsg -t get_outputs \
        >/dev/null 2>&1
}

start_sway()
{
    wl_prepare
    cat >"$T/sway.conf" <<EOF
output HEADLESS-1 mode ${WL_SCREEN_W}x${WL_SCREEN_H} position 0 0
xwayland disable
focus_follows_mouse no
EOF
    chmod 644 "$T/sway.conf"
    WL_ENV=(WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1)
    user_cmd sway -c "$T/sway.conf"
    "${USER_CMD[@]}" >"$T/sway.log" 2>&1 &
    COMPOSITOR_PID=$!
    wait_until 10 "sway" sway_ready
    WL_ENV=(WAYLAND_DISPLAY="$WL_DISPLAY" SWAYSOCK="$WL_SWAYSOCK")
    # One wtype that stays: the seat keeps a keyboard, so no call loses its first key.
    user_cmd wtype -s 86400000
    "${USER_CMD[@]}" >/dev/null 2>&1 &
    KEEPER_PID=$!
    cp "$repo/tests/e2e/wlr_pointer.py" "$T/wlr_pointer.py"
    chmod 644 "$T/wlr_pointer.py"
    user_cmd python3 "$T/wlr_pointer.py"
    coproc POINTER { exec "${USER_CMD[@]}" 2>"$T/pointer.log"; }
    HELPER_PID=$POINTER_PID
    read -r -t 10 ANSWER <&"${POINTER[0]}" && [ "$ANSWER" = ok ] ||
        fail "no pointer for sway: ${ANSWER:-} $(cat "$T/pointer.log")"
}

sway_keys()
{
    local key args=()
    for key in "$@"; do
        args+=(-k "$key")
    done
    as_user wtype "${args[@]}" || fail "wtype could not type $*"
}

sway_shot()
{
    as_user grim "$T/home/shot.png" && mv "$T/home/shot.png" "$1"
}

swaymsg_()
{
    as_user swaymsg "$@" >/dev/null || fail "swaymsg $* failed"
}

# The seat of a headless sway has no pointer: tests/e2e/wlr_pointer.py makes one and
# clicks with it.
sway_click()
{
    echo "click $1 $2 $WL_SCREEN_W $WL_SCREEN_H" >&"${POINTER[1]}"
    read -r -t 10 ANSWER <&"${POINTER[0]}" || fail "no answer from the pointer to a click"
    [ "$ANSWER" = ok ] || fail "pointer, click at ($1, $2): $ANSWER"
}

# sway has no minimizing; another workspace stands for it.
sway_minimize_and_back()
{
    sway_away_and_back
}

# To another workspace and back: the program's window loses the focus and gets it again.
sway_away_and_back()
{
    swaymsg_ workspace 2
    swaymsg_ workspace 1
}

test_sway()
{
    WL_COMPOSITOR=sway
    start_sway
    wl_start_app
    wayland_case
}

# ---- GNOME Shell 43

# A bus of the test's own at PATH, as the test user; its process id into BUS_PID. It
# starts no services on demand, so nothing outlives the case unseen.
start_bus()
{
    cat >"$1.conf" <<CONF
<busconfig>
  <type>session</type>
  <listen>unix:path=$1</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    chmod 644 "$1.conf"
    user_cmd dbus-daemon --config-file="$1.conf" --nofork --nopidfile
    "${USER_CMD[@]}" >"$T/$(basename "$1").log" 2>&1 &
    BUS_PID=$!
    wait_until 10 "D-Bus at $1" test -S "$1"
}

gnome_ready()
{
    wl_socket_up && as_user gdbus introspect --session --dest org.gnome.Shell.Screenshot \
        --object-path /org/gnome/Shell/Screenshot >/dev/null 2>&1
}

# gnome_do COMMAND...: one command to tests/e2e/gnome_driver.py; its answer into ANSWER.
gnome_do()
{
    echo "$*" >&"${DRIVER[1]}"
    read -r -t 15 ANSWER <&"${DRIVER[0]}" || fail "no answer from the GNOME driver to: $*"
    [[ $ANSWER != error* ]] || fail "GNOME driver, $*: $ANSWER"
}

overview_is()
{
    gnome_do overview
    DETAIL="overview $ANSWER"
    [ "$ANSWER" = "$1" ]
}

start_gnome()
{
    wl_prepare
    # GNOME Shell dies at start without a system bus; a private one serves.
    start_bus "$T/run/system_bus"
    SYSTEM_BUS_PID=$BUS_PID
    start_bus "$T/run/bus"
    SESSION_BUS_PID=$BUS_PID
    WL_ENV=(DBUS_SESSION_BUS_ADDRESS="unix:path=$T/run/bus"
        DBUS_SYSTEM_BUS_ADDRESS="unix:path=$T/run/system_bus" GSETTINGS_BACKEND=memory
        XDG_SESSION_TYPE=wayland)
    user_cmd gnome-shell --headless --wayland --no-x11 \
        --virtual-monitor "${WL_SCREEN_W}x${WL_SCREEN_H}"
    "${USER_CMD[@]}" >"$T/gnome-shell.log" 2>&1 &
    COMPOSITOR_PID=$!
    wait_until 60 "GNOME Shell" gnome_ready
    WL_ENV+=(WAYLAND_DISPLAY="$WL_DISPLAY")
    user_cmd /usr/bin/python3 "$T/gnome_driver.py"
    cp "$repo/tests/e2e/gnome_driver.py" "$T/gnome_driver.py"
    chmod 644 "$T/gnome_driver.py"
    coproc DRIVER { exec "${USER_CMD[@]}" 2>"$T/driver.log"; }
    HELPER_PID=$DRIVER_PID
    read -r -t 15 ANSWER <&"${DRIVER[0]}" && [ "$ANSWER" = ok ] ||
        fail "the GNOME driver did not start: $(cat "$T/driver.log")"
    # The shell starts in the overview; Escape leaves it.
    gnome_do key Escape
    wait_until 10 "the overview left" overview_is false
}

gnome_keys() { gnome_do key "$@"; }
gnome_click() { gnome_do click "$1" "$2"; }

gnome_shot()
{
    # Its pictures carry an alpha channel, which the colour readings do not expect.
    gnome_do shot "$T/home/shot.png" && convert "$T/home/shot.png" -alpha off "$1"
}

# Super+H minimizes the program's window, Alt+Tab brings it back.
gnome_minimize_and_back()
{
    gnome_do key Super_L+h
    wait_until 5 "the program minimized" wl_no_drill_window
    gnome_do key Alt_L+Tab
}

wl_no_drill_window()
{
    wl_shot "$T/screen.png" || return 1
    mapfile -t FRAMES < <(python3 "$repo/tests/e2e/frames.py" "$T/screen.png")
    ! frame_of_width "$WL_DRILL_FRAME_W"
}

# The overview and back: the program's window loses the focus and gets it again.
gnome_away_and_back()
{
    gnome_do key Super_L
    wait_until 5 "the overview" overview_is true
    gnome_do key Escape
    wait_until 5 "the overview left" overview_is false
}

test_gnome()
{
    WL_COMPOSITOR=gnome
    start_gnome
    wl_start_app
    wayland_case
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
