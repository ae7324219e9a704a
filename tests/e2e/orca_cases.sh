# End-to-end case of a run heard through Orca, as a learner who cannot see the screen plays
# it by keys. Sourced by scripts/e2e.sh after orca.sh. Not in the default list yet: run it
# with WORDMOOR_E2E_TESTS=orca_speaks_question_rows_outcome_and_record.
#
# What Orca has to say, each checked from its speech log (a miss is noted and the run goes
# on, so one failure lists every miss and all that Orca said):
# - the question word, when a question opens;
# - each row as the mark moves onto it with Down or Up: its number and its rendering;
# - "found" (in any case), when a right row is judged and the question goes on, while the
#   mark stays on the rows: the next Down reads the next row;
# - the feedback text at the question's end, both lines ("Good job!" "正确！", "Be careful!"
#   "仔细点！");
# - after Stop, "Record" (the window's title, or the table's name) and the record's first
#   place (point, speed, rate) once Tab reaches the table.

# Each word has two renderings of its own width class (short, medium, long; screen.sh),
# so the screen still tells the question's two right rows, and every rendering reads
# unlike the others.
ORCA_WORDS=("一" "ox;sky"
            "一二三四" "a medium one;a middle two"
            "一二三四五六七八"
            "a long rendering that is easy to see;another long rendering that is easy to see")

# The settled question's word, its two renderings and its right rows, from the screen.
read_question()
{
    wait_until 5 "settled question" question_settled
    local r
    RIGHT_ROWS=()
    for r in $(seq 1 14); do
        [ "${ROWS[r]}" -eq "$WORD_CLASS" ] && RIGHT_ROWS+=("$r")
    done
    [ "${#RIGHT_ROWS[@]}" -eq 2 ] && [ "${ROWS[0]}" -ne "$WORD_CLASS" ] ||
        fail "word of width class $WORD_CLASS, row classes ${ROWS[*]}: not two right rows"
    local entry=$(((WORD_CLASS - 1) * 2))
    WORD=${ORCA_WORDS[entry]}
    IFS=';' read -ra RENDERINGS <<<"${ORCA_WORDS[entry + 1]}"
}

MISSES=()

# expect_heard SECONDS WHAT TEXT...: Orca says TEXT... (in order) within SECONDS of the
# mark; otherwise WHAT is noted as missed.
expect_heard()
{
    local limit=$1 what=$2
    shift 2
    heard "$limit" "$@" || MISSES+=("$what: no \"$*\" within $limit s")
}

# row_said NUMBER TEXT...: an utterance since the mark holds NUMBER, not as part of a
# longer number, and one of the TEXTs.
row_said()
{
    local number=$1 text
    shift
    local lines
    lines=$(spoken_since_mark | grep -E "(^|[^0-9])$number([^0-9]|$)") || return 1
    for text in "$@"; do
        grep -qF -- "$text" <<<"$lines" && return 0
    done
    return 1
}

# mark_row KEY ROW: presses KEY, which moves the mark onto ROW (0..14), and expects Orca to
# read that row. After the first row that Orca leaves unread the rest are only pressed.
ROWS_READ=1
mark_row()
{
    local key=$1 row=$2 texts=("${ALL_RENDERINGS[@]}")
    orca_mark
    xdotool key "$key"
    [ "$ROWS_READ" -eq 1 ] || return 0
    if [[ " ${RIGHT_ROWS[*]} " == *" $row "* ]]; then
        texts=("${RENDERINGS[@]}")
    fi
    if ! within 2 row_said $((row + 1)) "${texts[@]}"; then
        MISSES+=("row $((row + 1)) after $key: no utterance with its number and rendering")
        ROWS_READ=0
    fi
}

found_said()
{
    spoken_since_mark | grep -qi found
}

test_orca_speaks_question_rows_outcome_and_record()
{
    # Orca starts beside the program and is ready before the first key.
    start_orca
    INSTALL="$T/install"
    write_group "$INSTALL/ciku/ci1.txt" $'\r\n' "${ORCA_WORDS[@]}"
    mkdir -p "$T/config"
    printf '[InstallSettings]\r\nInstallPath=%s\r\n' "$INSTALL" >"$T/config/Wordmoor.INI"
    ALL_RENDERINGS=()
    local i
    for ((i = 1; i < ${#ORCA_WORDS[@]}; i += 2)); do
        IFS=';' read -ra RENDERINGS <<<"${ORCA_WORDS[i]}"
        ALL_RENDERINGS+=("${RENDERINGS[@]}")
    done
    start_app_under_orca "$WORDMOOR" XDG_CONFIG_HOME="$T/config"
    wait_until 10 "drill window" find_drill_window
    wait_until 10 "drawn drill window" drill_drawn
    wait_orca
    echo "    Orca spoke $((ORCA_START_MS / 1000)).$((ORCA_START_MS / 100 % 10)) s after its start"
    wait_until 5 "drill window with the keyboard focus" is_active "$DRILL"
    xdotool key Tab Down
    wait_until 5 "group line after Tab Down" group_line_shown

    # Question 1: walk down to the first right row, one past it and back, judge it; on to
    # the second right row and judge it, which ends the question.
    orca_mark
    xdotool key Tab Tab Return
    wait_until 5 "first question" question_open
    read_question
    expect_heard 2 "question 1 opening" "$WORD"
    local first=${RIGHT_ROWS[0]} second=${RIGHT_ROWS[1]} r
    for ((r = 0; r <= first + 1; ++r)); do
        mark_row Down "$r"
    done
    mark_row Up "$first"
    orca_mark
    xdotool key space
    within 2 found_said ||
        MISSES+=("right row $((first + 1)) judged, one of two: no \"found\" within 2 s")
    for ((r = first + 1; r <= second; ++r)); do
        mark_row Down "$r"
    done
    orca_mark
    xdotool key space
    wait_until 5 "reveal of rows ${RIGHT_ROWS[*]} after the second right row" \
        shown_rows_are "${RIGHT_ROWS[@]}"
    expect_heard 2 "question 1 ending right" "Good job!" "正确！"

    # Question 2: a wrong row's number.
    orca_mark
    wait_next_question
    read_question
    expect_heard 2 "question 2 opening" "$WORD"
    local wrong=1
    while [[ " ${RIGHT_ROWS[*]} " == *" $wrong "* ]]; do
        wrong=$((wrong + 1))
    done
    orca_mark
    type_row_number "$wrong"
    wait_until 5 "reveal of rows ${RIGHT_ROWS[*]} after typing $TYPED" \
        shown_rows_are "${RIGHT_ROWS[@]}"
    expect_heard 2 "question 2 ending wrong" "Be careful!" "仔细点！"

    # Stop in the pause (by the mouse: the keys act on the rows) saves 1 right of 2 at
    # Normal, point 1 x 50 x 2, and opens the record window; Tab walks it until the table.
    orca_mark
    click_stop
    wait_until 5 "record window" find_window Record
    wait_until 5 "focus on the record window" is_active "$WINDOW"
    local tabs=0
    until said_since_mark 100 Normal 50 || [ "$tabs" -ge 4 ]; do
        xdotool key Tab
        tabs=$((tabs + 1))
        heard 1 100 Normal 50
    done
    said_since_mark 100 Normal 50 ||
        MISSES+=("record window: no \"100\" \"Normal\" \"50\" (place 1) after $tabs Tab")
    # Orca speaks a window's title only when the window's activation reaches it first.
    said_since_mark Record || MISSES+=("record window: no \"Record\", as title or table name")
    # What Orca said, and in which language, for whoever reads the run afterwards.
    if [ -n "${E2E_ARTIFACTS:-}" ]; then
        mkdir -p "$E2E_ARTIFACTS"
        spoken_with_language >"$E2E_ARTIFACTS/orca-speech.tsv" 2>/dev/null
    fi
    # Ends with the record window open: SIGTERM must end the program there too.
    end_by_signal TERM

    if [ "${#MISSES[@]}" -gt 0 ]; then
        ORCA_MARK=0
        echo "    Orca said:"
        spoken_since_mark | sed 's/^/      | /'
        local miss
        for miss in "${MISSES[@]}"; do
            echo "    missed: $miss"
        done
        fail "${#MISSES[@]} of what Orca has to say went unsaid"
    fi
    expect_record "$INSTALL/record_1.divu" 100 2 50 2
}
