# Helpers for the end-to-end tests: one X server with openbox per test, the program started
# from outside, and what the learner sees read back from screenshots. Sourced by
# scripts/e2e.sh; each test runs in a subshell of its own, so fail and skip end only it.
#
# Positions: the drill window's client area is read with xwininfo (xdotool's own geometry is
# off by the frame under a reparenting window manager); controls are placed in twips,
# 1 twip = 1/15 px.

E2E_SKIP=77

# ---- Outcome of a test

fail()
{
    echo "    FAIL: $*"
    if [ -n "${DISPLAY:-}" ] && [ -n "${E2E_ARTIFACTS:-}" ]; then
        mkdir -p "$E2E_ARTIFACTS"
        import -window root "$E2E_ARTIFACTS/$E2E_TEST.png" 2>/dev/null &&
            echo "    screen at the failure: $E2E_ARTIFACTS/$E2E_TEST.png"
        local log
        for log in "$T"/*.log; do
            [ -f "$log" ] && cp "$log" "$E2E_ARTIFACTS/$E2E_TEST-$(basename "$log")"
        done
    fi
    exit 1
}

skip()
{
    echo "    SKIP: $*"
    exit "$E2E_SKIP"
}

now_ms()
{
    echo $(($(date +%s%N) / 1000000))
}

# wait_until SECONDS WHAT COMMAND...: polls COMMAND every 0.1 s until it succeeds. A
# command may leave what it last saw in DETAIL for the message on a time-out.
wait_until()
{
    local limit=$1 what=$2
    shift 2
    local deadline=$(($(now_ms) + limit * 1000))
    DETAIL=
    until "$@"; do
        if [ "$(now_ms)" -ge "$deadline" ]; then
            fail "no $what within ${limit} s${DETAIL:+ (last seen: $DETAIL)}"
        fi
        sleep 0.1
    done
}

# ---- The X server and the window manager

wm_ready()
{
    wmctrl -m 2>/dev/null | grep -qi '^Name: *Openbox'
}

x_ready()
{
    grep -q '^[0-9]' "$T/display" && xprop -display ":$(head -n 1 "$T/display")" -root \
        >/dev/null 2>&1
}

start_x()
{
    # Xvfb picks a free display itself and writes its number down. No reset when the last
    # client leaves, so the probes below cannot pull the server away from openbox.
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$T/display" \
        >"$T/xvfb.log" 2>&1 &
    XVFB_PID=$!
    wait_until 10 "X server" x_ready
    DISPLAY=":$(head -n 1 "$T/display")"
    export DISPLAY
    # A home of its own, so the window manager leaves nothing in a tested home.
    mkdir -p "$T/wm-home"
    HOME="$T/wm-home" openbox --sm-disable >"$T/openbox.log" 2>&1 &
    WM_PID=$!
    wait_until 10 "openbox managing the screen" wm_ready
}

stop_process()
{
    local pid=$1
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

# Ends what this test started, by process id, and drops its folder.
cleanup_test()
{
    stop_process "${APP_PID:-}"
    stop_process "${WM_PID:-}"
    stop_process "${XVFB_PID:-}"
    rm -rf "$T"
}

# ---- An installation of the test's own

# write_group FILE WORD RENDERINGS [WORD RENDERINGS...]: a UTF-8 group file, CR LF lines.
write_group()
{
    local file=$1
    shift
    mkdir -p "$(dirname "$file")"
    : >"$file"
    while [ $# -ge 2 ]; do
        printf '%s\r\n%s\r\n' "$1" "$2" >>"$file"
        shift 2
    done
}

# The drill group: each word's rendering has a width class of its own (short, medium, long)
# and so does the word itself in the question line, so the question line tells which width
# the right row has. Every word has one rendering, so the pause after a question is 2 s.
E2E_WORDS=("一" "s"
           "一二三四" "a medium one"
           "一二三四五六七八" "a long rendering that is easy to see")

make_install()
{
    INSTALL="$T/install"
    write_group "$INSTALL/ciku/ci1.txt" "${E2E_WORDS[@]}"
    mkdir -p "$T/config"
    printf '[InstallSettings]\r\nInstallPath=%s\r\n' "$INSTALL" >"$T/config/Wordmoor.INI"
}

# start_app BINARY [NAME=VALUE...]: starts the program with the test's configuration folder
# unless told otherwise; the platform is always the X server.
start_app()
{
    local binary=$1
    shift
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY "$@" "$binary" >"$T/app.log" 2>&1 &
    APP_PID=$!
}

app_ended()
{
    [ ! -e "/proc/$APP_PID" ] || [ "$(awk '{print $3}' "/proc/$APP_PID/stat" 2>/dev/null)" = Z ]
}

# Waits for the program to end by itself and sets APP_STATUS.
wait_app_end()
{
    wait_until "$1" "end of the program" app_ended
    wait "$APP_PID"
    APP_STATUS=$?
    APP_PID=
}

# ---- Windows

# find_window TITLE: the first visible window of that exact title, into WINDOW.
find_window()
{
    WINDOW=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$WINDOW" ]
}

no_window()
{
    ! find_window "$1"
}

# The drill window is the "Wordmoor" window of the design's client size, 597 x 526 px.
find_drill_window()
{
    local w info
    for w in $(xdotool search --onlyvisible --name '^Wordmoor$' 2>/dev/null); do
        info=$(xwininfo -id "$w" 2>/dev/null) || continue
        if grep -q 'Width: 597$' <<<"$info" && grep -q 'Height: 526$' <<<"$info"; then
            DRILL=$w
            return 0
        fi
    done
    return 1
}

# The backdrop is the other "Wordmoor" window.
find_backdrop()
{
    local w
    for w in $(xdotool search --onlyvisible --name '^Wordmoor$' 2>/dev/null); do
        if [ "$((w))" != "$((DRILL))" ]; then
            BACKDROP=$w
            return 0
        fi
    done
    return 1
}

# window_origin WINDOW: the top left of its client area on the screen, into OX and OY.
window_origin()
{
    local info
    info=$(xwininfo -id "$1" 2>/dev/null) || return 1
    OX=$(sed -n 's/.*Absolute upper-left X: *\(-\?[0-9]*\).*/\1/p' <<<"$info")
    OY=$(sed -n 's/.*Absolute upper-left Y: *\(-\?[0-9]*\).*/\1/p' <<<"$info")
    [ -n "$OX" ] && [ -n "$OY" ]
}

drill_origin()
{
    window_origin "$DRILL" || return 1
    DX=$OX
    DY=$OY
}

activate()
{
    timeout 5 xdotool windowactivate --sync "$1" >/dev/null 2>&1 ||
        fail "window $1 could not be activated"
}

# ---- What is on the screen

# Takes a screenshot of the whole screen, as the learner sees it.
snap()
{
    drill_origin || fail "the drill window is gone"
    import -window root "$T/screen.png" 2>>"$T/import.log" || fail "no screenshot"
}

# pixels X Y [X Y...]: hex colours (RRGGBB) at points of the drill window's client area,
# into the array PIXELS.
pixels()
{
    local format=""
    while [ $# -ge 2 ]; do
        format+="%[hex:p{$((DX + $1)),$((DY + $2))}]\n"
        shift 2
    done
    mapfile -t PIXELS < <(convert "$T/screen.png" -depth 8 -format "$format" info:)
}

# ink X Y WIDTH HEIGHT: whether that part of the client area holds more than one colour.
ink()
{
    local colours
    colours=$(convert "$T/screen.png" -crop "$3x$4+$((DX + $1))+$((DY + $2))" +repage \
        -format '%k' info:)
    [ "${colours:-1}" -gt 1 ]
}

# The drill window shows its title strip (RGB 255,255,192) and its green (RGB 0,192,0).
drill_drawn()
{
    find_drill_window && snap && pixels 10 10 300 300 &&
        [ "${PIXELS[0]}" = FFFFC0 ] && [ "${PIXELS[1]}" = 00C000 ]
}

# Width class of the text in the question line (Left 540, Top 420 twips: 36, 28 px):
# 0 none, 1 one character, 2 about four, 3 about eight (CJK characters of about 35 px).
word_class()
{
    WORD_CLASS=0
    ink 40 34 30 30 || return 0
    WORD_CLASS=1
    ink 110 34 30 30 || return 0
    WORD_CLASS=2
    ink 250 34 40 30 || return 0
    WORD_CLASS=3
}

# Width class of each row (r = 0..14, Top 1140 + 375 r twips, Height 315) into ROWS:
# 0 hidden, 1 short, 2 medium, 3 long. A row label is light green RGB(192,255,192) on the
# window's green; it reaches a column when any of three points down that column shows
# that colour (a single point may fall on a letter).
# Columns probed: inside "s " (twice; the row numbers reach to 74 px), past "s ", past
# "a medium one ".
ROW_COLUMNS_PX=(80 82 130 260)
row_classes()
{
    local r x dy args=()
    for r in $(seq 0 14); do
        for x in "${ROW_COLUMNS_PX[@]}"; do
            for dy in 2 10 18; do
                args+=("$x" $((76 + 25 * r + dy)))
            done
        done
    done
    pixels "${args[@]}"
    ROWS=()
    local first reach
    for r in $(seq 0 14); do
        first=$((r * 12))
        reach=0
        if light_green_at "$first" || light_green_at $((first + 3)); then
            reach=1
            if light_green_at $((first + 6)); then
                reach=2
                light_green_at $((first + 9)) && reach=3
            fi
        fi
        ROWS+=("$reach")
    done
}

light_green_at()
{
    [ "${PIXELS[$1]}" = C0FFC0 ] || [ "${PIXELS[$1 + 1]}" = C0FFC0 ] ||
        [ "${PIXELS[$1 + 2]}" = C0FFC0 ]
}

# A question is open when the question line holds a word and all fifteen rows show.
question_open()
{
    snap
    word_class
    row_classes
    DETAIL="word class $WORD_CLASS, row classes ${ROWS[*]}"
    [ "$WORD_CLASS" -gt 0 ] || return 1
    local r
    for r in "${ROWS[@]}"; do
        [ "$r" -gt 0 ] || return 1
    done
}

# The same open question on two screenshots in a row, so that nothing half drawn is read.
question_settled()
{
    question_open || return 1
    local seen="$WORD_CLASS ${ROWS[*]}"
    question_open && [ "$WORD_CLASS ${ROWS[*]}" = "$seen" ]
}

# shown_rows_are ROW...: exactly those rows show (the reveal at the end of a question).
shown_rows_are()
{
    snap
    row_classes
    local r shown=()
    for r in $(seq 0 14); do
        [ "${ROWS[r]}" -gt 0 ] && shown+=("$r")
    done
    DETAIL="rows shown: ${shown[*]:-none}"
    [ "${shown[*]}" = "$*" ]
}

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

group_line_shown()
{
    snap
    ink 110 34 30 30
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

# The right row of the settled question, into RIGHT_ROW: the only row among 1..14 whose
# rendering has the width class of the word shown, since the other words' renderings have
# other widths; the top row never holds a right rendering.
find_right_row()
{
    wait_until 5 "settled question" question_settled
    local r right=()
    for r in $(seq 1 14); do
        [ "${ROWS[r]}" -eq "$WORD_CLASS" ] && right+=("$r")
    done
    if [ "${#right[@]}" -ne 1 ] || [ "${ROWS[0]}" -eq "$WORD_CLASS" ]; then
        fail "word of width class $WORD_CLASS, row classes ${ROWS[*]}: no single right row"
    fi
    RIGHT_ROW=${right[0]}
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

# ---- Record files

# hex_le VALUE BYTES: VALUE as little-endian bytes in hex, space separated.
hex_le()
{
    local value=$1 bytes=$2 i out=()
    for ((i = 0; i < bytes; ++i)); do
        out+=("$(printf '%02x' $(((value >> (8 * i)) & 255)))")
    done
    echo "${out[*]}"
}

# expect_record FILE POINT WORDS RATE SPEED: place 1 holds that run, places 2..10 are zero.
expect_record()
{
    local file=$1
    [ -f "$file" ] || fail "no record file $(basename "$file")"
    local size
    size=$(stat -c %s "$file")
    [ "$size" -eq 100 ] || fail "$(basename "$file") has $size bytes, not 100"
    local expected actual
    expected="$(hex_le "$2" 4) $(hex_le "$3" 2) $(hex_le "$4" 2) $(hex_le "$5" 2)"
    expected+=$(printf ' 00%.0s' $(seq 1 90))
    actual=$(od -An -v -tx1 "$file" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')
    if [ "$actual" != "$expected" ]; then
        local place1
        place1="point $(od -An -td4 -N4 "$file" | tr -d ' '), words/rate/speed"
        place1+=" $(od -An -td2 -j4 -N6 "$file" | tr -s ' ')"
        fail "$(basename "$file") place 1 is $place1; want point $2, words $3, rate $4," \
            "speed $5 and nine empty places; bytes: $actual"
    fi
}
