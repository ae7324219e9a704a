# Helpers for the end-to-end tests: one X server with openbox per test, an installation of
# the test's own, the program started from outside, its windows and its record files.
# screen.sh reads the screen back, learner.sh acts as the learner. Sourced by
# scripts/e2e.sh; each test runs in a subshell of its own, so fail and skip end only it.
#
# Positions: a window's client area is read with xwininfo (xdotool's own geometry is off by
# the frame under a reparenting window manager).

E2E_SKIP=77

# ---- Outcome of a test

# The screen at a failure, into $1; a harness without an X screen defines its own.
save_screen()
{
    [ -n "${DISPLAY:-}" ] && import -window root "$1" 2>/dev/null &&
        echo "    screen at the failure: $1"
}

fail()
{
    echo "    FAIL: $*"
    if [ -n "${E2E_ARTIFACTS:-}" ]; then
        mkdir -p "$E2E_ARTIFACTS"
        save_screen "$E2E_ARTIFACTS/$E2E_TEST.png"
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

# process_running PID: alive, and not a zombie waiting to be reaped.
process_running()
{
    [ -e "/proc/$1" ] && [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" != Z ]
}

# stop_process PID [SIGNAL]: SIGNAL (TERM unless told), and SIGKILL after 2 s, so that
# nothing which ignores SIGTERM (the program while its record window is open) holds up the
# run. Quietly: bash would report a killed job on the test's output.
stop_process()
{
    local pid=$1 i
    [ -n "$pid" ] || return 0
    {
        kill -s "${2:-TERM}" "$pid"
        for i in $(seq 1 20); do
            process_running "$pid" || break
            sleep 0.1
        done
        kill -9 "$pid"
        wait "$pid"
    } 2>/dev/null
    return 0
}

# Ends what this test started, by process id, and drops its folder.
cleanup_test()
{
    stop_process "${APP_PID:-}"
    stop_process "${SM_PID:-}"
    stop_process "${SSIP_PID:-}"
    stop_orca
    stop_process "${WM_PID:-}"
    stop_process "${XVFB_PID:-}"
    rm -rf "$T"
}

# ---- An installation of the test's own

# write_group FILE LINE_END WORD RENDERINGS [WORD RENDERINGS...]: a UTF-8 group file whose
# lines end in LINE_END.
write_group()
{
    local file=$1 eol=$2
    shift 2
    mkdir -p "$(dirname "$file")"
    : >"$file"
    while [ $# -ge 2 ]; do
        printf '%s%s%s%s' "$1" "$eol" "$2" "$eol" >>"$file"
        shift 2
    done
}

# The drill group: each word's rendering has a width class of its own (short, medium, long)
# and so does the word itself in the question line, so the question line tells which width
# the right row has. Every word has one rendering, so the pause after a question is 2 s.
E2E_WORDS=("一" "s"
           "一二三四" "a medium one"
           "一二三四五六七八" "a long rendering that is easy to see")

# make_install [LINE_END]: the drill group as Group 1, its lines ending in CR LF unless told
# otherwise, and the INI that points at it.
make_install()
{
    INSTALL="$T/install"
    write_group "$INSTALL/ciku/ci1.txt" "${1:-$'\r\n'}" "${E2E_WORDS[@]}"
    mkdir -p "$T/config"
    printf '[InstallSettings]\r\nInstallPath=%s\r\n' "$INSTALL" >"$T/config/Wordmoor.INI"
}

# start_app BINARY [NAME=VALUE...]: starts the program (with the arguments in APP_ARGS) with
# the test's configuration folder unless told otherwise; the platform is always the X server,
# and no desktop session that runs the tests gets it as a client.
start_app()
{
    local binary=$1
    shift
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u SESSION_MANAGER "$@" "$binary" \
        ${APP_ARGS[@]+"${APP_ARGS[@]}"} >"$T/app.log" 2>&1 &
    APP_PID=$!
}

# start_app_under_file_limit BLOCKS BINARY [NAME=VALUE...]: as start_app, from a subshell
# that first sets ulimit -f BLOCKS, so no file the program writes can grow past that. Its
# output goes through a pipe, which the limit does not cover: written to a file, a warning
# that Qt prints before the program ignores SIGXFSZ would already end it. Standard error
# goes to stderr.log, the rest to app.log.
start_app_under_file_limit()
{
    local blocks=$1 binary=$2
    shift 2
    (
        ulimit -f "$blocks" || exit 125
        exec env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u SESSION_MANAGER "$@" "$binary"
    ) > >(cat >"$T/app.log") 2> >(cat >"$T/stderr.log") &
    APP_PID=$!
}

app_ended()
{
    ! process_running "$APP_PID"
}

# Waits for the program to end by itself and sets APP_STATUS. A program that a session
# manager started is no child of the test: its starter leaves the status in APP_STATUS_FILE.
wait_app_end()
{
    wait_until "$1" "end of the program" app_ended
    if [ -n "${APP_STATUS_FILE:-}" ]; then
        wait_until 2 "exit status from the program's starter" test -s "$APP_STATUS_FILE"
        APP_STATUS=$(cat "$APP_STATUS_FILE")
    else
        wait "$APP_PID"
        APP_STATUS=$?
    fi
    APP_PID=
}

# The titles of the program's windows on the screen, for a message.
app_windows()
{
    local w titles=()
    for w in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
        titles+=("\"$(xdotool getwindowname "$w" 2>/dev/null)\"")
    done
    echo "${titles[*]:-none}"
}

# end_by_signal SIGNAL [MS]: sends SIGNAL (TERM, INT, HUP) and expects the program to end
# within MS milliseconds (1000 unless told), every window closed without a click; sets
# APP_STATUS. It waits up to 5 s to tell a slow end from none.
end_by_signal()
{
    local signal=$1 within=${2:-1000} sent
    sent=$(now_ms)
    kill -s "$signal" "$APP_PID" || fail "no SIG$signal could be sent"
    local deadline=$((sent + 5000))
    until app_ended; do
        if [ "$(now_ms)" -ge "$deadline" ]; then
            fail "5 s after SIG$signal the program still runs; its windows: $(app_windows)"
        fi
        sleep 0.05
    done
    local took=$(($(now_ms) - sent))
    echo "    ended $took ms after SIG$signal"
    wait_app_end 1
    [ "$took" -le "$within" ] ||
        fail "the program took $took ms to end after SIG$signal, more than $within ms"
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

# is_active WINDOW: whether the window manager gives WINDOW the keyboard focus.
is_active()
{
    local active
    active=$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed 's/.*# //')
    DETAIL="active window $active"
    [[ $active =~ ^0x[0-9a-fA-F]+$ ]] && [ "$((active))" = "$(($1))" ]
}

activate()
{
    timeout 5 xdotool windowactivate --sync "$1" >/dev/null 2>&1 ||
        fail "window $1 could not be activated"
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

# write_record FILE POINT WORDS RATE SPEED: a record whose place 1 holds that run.
write_record()
{
    local file=$1 bytes
    bytes="$(hex_le "$2" 4) $(hex_le "$3" 2) $(hex_le "$4" 2) $(hex_le "$5" 2)"
    bytes+=$(printf ' 00%.0s' $(seq 1 90))
    # shellcheck disable=SC2059 # the format is the bytes themselves
    printf "$(sed 's/\([0-9a-f][0-9a-f]\) */\\x\1/g' <<<"$bytes")" >"$file"
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
        fail "$(basename "$file") holds $(record_places "$file"); want place 1: point $2," \
            "words $3, rate $4, speed $5 and nine empty places"
    fi
}

# record_places FILE: the places that hold a run, "place P: point/words/rate/speed" each.
record_places()
{
    local p shown=() point fields
    for p in $(seq 0 9); do
        point=$(od -An -td4 -j $((p * 10)) -N4 "$1" | tr -d ' ')
        fields=$(od -An -td2 -j $((p * 10 + 4)) -N6 "$1" | tr -s ' ' | sed 's/^ //; s/ /\//g')
        [ "$point/$fields" = "0/0/0/0" ] || shown+=("place $((p + 1)): $point/$fields")
    done
    [ "${#shown[@]}" -gt 0 ] || shown=("no run")
    local joined
    joined=$(printf '%s, ' "${shown[@]}")
    echo "${joined%, }"
}

# expect_no_record FILE: no run was written there (the record window may have left it empty).
expect_no_record()
{
    [ ! -s "$1" ] ||
        fail "$(basename "$1") holds $(stat -c %s "$1") bytes; no run was to be saved"
}
