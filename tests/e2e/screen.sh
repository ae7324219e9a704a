# Reading the drill window back from screenshots: colours at points of its client area, the
# width of the text in the question line and in each row, and from those the open question
# and its right row. Sourced by scripts/e2e.sh after lib.sh.
#
# Positions are in the drill window's client area (DX, DY from drill_origin); controls
# are placed in twips, 1 twip = 1/15 px.

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

# The question line holds the group line ("第1组: 3个词语") after a group has been chosen.
group_line_shown()
{
    snap
    ink 110 34 30 30
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
