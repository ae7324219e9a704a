# End-to-end cases of the question's word said aloud. The program talks to a speech service
# of the test's own (ssip_server.py, speech-dispatcher's protocol), which logs each text it
# is asked to say with the language and voice set at the time. Sourced by scripts/e2e.sh.

start_speech_service()
{
    python3 tests/e2e/ssip_server.py "$T/ssip.sock" "$T/ssip.log" >"$T/ssip-server.log" 2>&1 &
    SSIP_PID=$!
    wait_until 5 "speech service's socket" test -S "$T/ssip.sock"
    touch "$T/ssip.log"
}

# start_speaking_app ARGUMENT...: the program on the test's installation, pointed at the
# test's speech service, with ARGUMENTs; until the drill window shows.
start_speaking_app()
{
    make_install
    APP_ARGS=("$@")
    start_app "$WORDMOOR" XDG_CONFIG_HOME="$T/config" SPEECHD_ADDRESS="unix_socket:$T/ssip.sock"
    wait_until 10 "drill window" find_drill_window
}

# said_words N: the service has been asked to say N texts (DETAIL: the texts so far).
said_words()
{
    DETAIL=$(awk -F '\t' '$1 == "SPEAK" { printf "%s ", $5 }' "$T/ssip.log")
    [ "$(grep -c '^SPEAK' "$T/ssip.log")" -eq "$1" ]
}

# The settled question's word, from its width on the screen.
question_word()
{
    find_right_row
    WORD=${E2E_WORDS[(WORD_CLASS - 1) * 2]}
}

test_speak_says_word_at_start_and_on_s()
{
    start_speech_service
    start_speaking_app --speak
    start_run_by_keys Return
    question_word
    local words=("$WORD" "$WORD")
    wait_until 10 "the word said at Start" said_words 1
    xdotool key s # while the service still says the word
    wait_until 5 "the word said again on S" said_words 2
    answer_right_by_number
    xdotool key s # between questions: nothing
    wait_next_question
    question_word
    words+=("$WORD" "$WORD")
    wait_until 5 "the second question's word" said_words 3
    xdotool key s
    wait_until 5 "the second word again on S" said_words 4
    sed 's/^/    service: /' "$T/ssip.log"
    local expected
    expected=$(printf 'Chinese (Mandarin, latin as Pinyin)\t%s\n' "${words[@]}")
    [ "$(awk -F '\t' '$1 == "SPEAK" { print $4 "\t" $5 }' "$T/ssip.log")" = "$expected" ] ||
        fail "said: $DETAIL; want ${words[*]}, each in the Pinyin voice"
    ! awk -F '\t' '$1 == "SPEAK" && $3 ~ /^en/' "$T/ssip.log" | grep -q . ||
        fail "a word was said with the language set to English"
    ! grep -q '^CANCEL' "$T/ssip.log" || fail "the program cancelled speech: $(grep CANCEL "$T/ssip.log")"
    [ "$(grep -c '^CONNECT' "$T/ssip.log")" -eq 1 ] || fail "more than one connection"
}

test_no_speech_without_speak()
{
    start_speech_service
    start_speaking_app
    start_run_by_keys Return
    xdotool key s
    answer_right_by_number
    [ ! -s "$T/ssip.log" ] || fail "without --speak the service heard: $(cat "$T/ssip.log")"
}

test_speak_without_service_says_why_once()
{
    start_speaking_app --speak # no service at the socket
    start_run_by_keys Return
    xdotool key s
    answer_right_by_number
    wait_next_question
    [ "$(grep -c "^wordmoor: the question's word is not spoken: " "$T/app.log")" -eq 1 ] ||
        fail "not one line on standard error: $(cat "$T/app.log")"
    no_window 'Warning!' || fail "a message box showed"
}
