# The word said aloud. start_speaking_app [ARGUMENT...]: a speech service of the test's own
# (ssip_server.py) unless NO_SERVICE is set, the program with ARGUMENTs, and Start.
start_speaking_app()
{
    make_install
    if [ -z "${NO_SERVICE:-}" ]; then
        python3 tests/e2e/ssip_server.py "$T/ssip.sock" "$T/ssip.log" >"$T/ssip.out" 2>&1 &
        SSIP_PID=$!
        wait_until 5 "speech service's socket" test -S "$T/ssip.sock"
    fi
    APP_ARGS=("$@")
    start_app "$WORDMOOR" XDG_CONFIG_HOME="$T/config" SPEECHD_ADDRESS="unix_socket:$T/ssip.sock"
    wait_until 10 "drill window" find_drill_window
    start_run_by_keys Return
}

# say_again N: S, and then the N-th text asked of the service, the question's word twice.
said_words() { [ "$(grep -c '^SPEAK' "$T/ssip.log")" -eq "$1" ]; }
say_again()
{
    find_right_row
    WORDS+=("${E2E_WORDS[(WORD_CLASS - 1) * 2]}" "${E2E_WORDS[(WORD_CLASS - 1) * 2]}")
    wait_until 10 "the word said as the question opened" said_words $(($1 - 1))
    xdotool key s # while the service still says the word
    wait_until 5 "the word said again on S" said_words "$1"
}

test_speak_says_word_at_start_and_on_s()
{
    start_speaking_app --speak
    say_again 2
    answer_right_by_number
    xdotool key s # between questions: nothing
    wait_next_question
    say_again 4
    # The language is C on Debian 12: Qt 6.4 knows no locale for espeak-ng's "cmn" tags.
    [ "$(cut -f 1,3- "$T/ssip.log" | grep -v CONNECT)" = "$(printf \
        'SPEAK\tC\tChinese (Mandarin, latin as Pinyin)\t%s\n' "${WORDS[@]}")" ] ||
        fail "want ${WORDS[*]} in the Pinyin voice, no cancel; heard: $(cat "$T/ssip.log")"
}

test_no_speech_without_speak()
{
    start_speaking_app
    xdotool key s
    answer_right_by_number
    [ ! -s "$T/ssip.log" ] || fail "without --speak the service heard: $(cat "$T/ssip.log")"
}

test_speak_without_service_says_why_once()
{
    NO_SERVICE=1 start_speaking_app --speak
    answer_right_by_number
    [ "$(grep -c "^wordmoor: the question's word is not spoken: " "$T/app.log")" -eq 1 ] ||
        fail "not one line on standard error: $(cat "$T/app.log")"
    no_window 'Warning!' || fail "a message box showed"
}
