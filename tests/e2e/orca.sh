# The screen reader a blind learner drills with, Orca, under the test's X server: a session
# bus of the test's own, the accessibility bus on it, a speech-dispatcher that speaks with
# espeak-ng into ALSA's null device, and Orca in a fresh home with settings of its own,
# whose debug log records every utterance. Sourced by scripts/e2e.sh after lib.sh;
# cleanup_test calls stop_orca, which ends all of it by process id.
#
# Orca writes one log line per utterance (continued on lines indented by 18 spaces when the
# text holds a line break), then the line its speech-dispatcher backend sends:
#   12:34:56.789012 - SPEECH OUTPUT: 'Start push button.'{'established': False}
#   12:34:56.790345 - SPEECH DISPATCHER: Speaking '<speak>...</speak>'
#                     ORCA rate 5.0, pitch 5.0, volume 5.0, language en, punctuation: MOST
#                     SD rate 2, pitch 10, volume 100, language en-us
# The dict after the text is the voice Orca chose (flat review writes it as a list of one);
# the two language fields are the language Orca asked for and the one the speech server set.

# What the Orca cases need; scripts/e2e.sh installs it when such a case is to run.
ORCA_PACKAGES=(orca at-spi2-core dbus-daemon speech-dispatcher speech-dispatcher-espeak-ng)

ORCA_PID=
SPEECHD_PID=
ATSPI_PID=
SESSION_BUS_PID=

# Orca's settings: no braille device to look for, no echo of typed keys (a typed row number
# would otherwise be spoken too), no sounds, and the speech-dispatcher backend.
write_orca_settings()
{
    local prefs=$1
    mkdir -p "$prefs"
    cat >"$prefs/user-settings.conf" <<'EOF'
{
    "general": {
        "firstStart": false,
        "enableSpeech": true,
        "speechServerFactory": "speechdispatcherfactory",
        "enableBraille": false,
        "enableKeyEcho": false,
        "enableSound": false,
        "enableTutorialMessages": false
    },
    "pronunciations": {},
    "keybindings": {},
    "profiles": {"default": {"profile": ["Default", "default"]}}
}
EOF
    # Orca opens its debug file with a block buffer; a test waits for what was said, so
    # every line has to reach the file at once.
    cat >"$prefs/orca-customizations.py" <<'EOF'
from orca import debug
if debug.debugFile:
    debug.debugFile.reconfigure(line_buffering=True)
EOF
}

# A speech-dispatcher with espeak-ng alone, playing into ALSA's null device: it needs no
# sound server and takes no real time to "play" an utterance. Without a working audio
# output its espeak-ng module fails and Orca hangs after the first few utterances.
write_speechd_config()
{
    local dir=$1 home=$2
    mkdir -p "$dir/modules" "$dir/log"
    cp /etc/speech-dispatcher/modules/espeak-ng.conf "$dir/modules/"
    cat >"$dir/speechd.conf" <<EOF
LogLevel 3
LogDir "$dir/log"
AudioOutputMethod "alsa"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
EOF
    printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$home/.asoundrc"
}

orca_started()
{
    if ! process_running "$ORCA_PID"; then
        DETAIL="Orca ended: $(tail -n 3 "$T/orca-output.log" 2>/dev/null | tr '\n' ' ')"
        return 1
    fi
    grep -q "SPEECH OUTPUT: 'Screen reader on.'" "$T/orca.log" 2>/dev/null
}

# start_orca: everything above, after start_x; Orca takes some seconds to start, which
# wait_orca waits for. Exports DBUS_SESSION_BUS_ADDRESS and XDG_RUNTIME_DIR, so a program
# started afterwards finds the accessibility bus; start it with start_app_under_orca.
start_orca()
{
    local home=$T/orca-home shim=$T/orca-bin
    ORCA_STARTED=$(now_ms)
    export XDG_RUNTIME_DIR=$T/orca-run
    mkdir -p "$home" "$shim" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    write_orca_settings "$home/.local/share/orca"
    write_speechd_config "$T/speechd" "$home"
    # Orca refuses to start while "pgrep -x orca" finds another Orca of the same user; on a
    # shared machine that may be another test's. This session's bus is its own.
    printf '#!/bin/sh\nexit 1\n' >"$shim/pgrep"
    chmod +x "$shim/pgrep"

    dbus-daemon --session --nofork --print-address=3 3>"$T/session-bus" \
        >"$T/session-bus.log" 2>&1 &
    SESSION_BUS_PID=$!
    wait_until 5 "session bus" test -s "$T/session-bus"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$T/session-bus")
    export DBUS_SESSION_BUS_ADDRESS

    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$T/at-spi.log" 2>&1 &
    ATSPI_PID=$!
    HOME=$home speech-dispatcher --run-single --timeout 0 --config-dir "$T/speechd" \
        --communication-method unix_socket --socket-path "$XDG_RUNTIME_DIR/speechd.sock" \
        >"$T/speechd.log" 2>&1 &
    SPEECHD_PID=$!
    wait_until 5 "speech-dispatcher's socket" test -S "$XDG_RUNTIME_DIR/speechd.sock"

    HOME=$home GSETTINGS_BACKEND=memory PATH="$shim:$PATH" \
        SPEECHD_ADDRESS="unix_socket:$XDG_RUNTIME_DIR/speechd.sock" \
        orca --debug-file "$T/orca.log" >"$T/orca-output.log" 2>&1 &
    ORCA_PID=$!
}

# wait_orca: until Orca has started and spoken; sets ORCA_START_MS, the time since
# start_orca, and the mark.
wait_orca()
{
    wait_until 30 "Orca saying \"Screen reader on.\"" orca_started
    ORCA_START_MS=$(($(now_ms) - ORCA_STARTED))
    orca_mark
}

# start_app_under_orca BINARY [NAME=VALUE...]: start_app with Qt's accessibility bridge on
# whether or not the desktop asks for it, and speaking words through Orca's speech-dispatcher.
start_app_under_orca()
{
    local binary=$1
    shift
    start_app "$binary" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
        SPEECHD_ADDRESS="unix_socket:$XDG_RUNTIME_DIR/speechd.sock" "$@"
}

# Ends Orca and what it runs on, if this test started them. Orca's SIGTERM handler runs
# only when an event wakes its main loop, so it gets SIGKILL; its log is written line by
# line and loses nothing. The launcher takes the accessibility bus and its registry along.
stop_orca()
{
    stop_process "$ORCA_PID" KILL
    stop_process "$SPEECHD_PID"
    stop_process "$ATSPI_PID"
    stop_process "$SESSION_BUS_PID"
    ORCA_PID= SPEECHD_PID= ATSPI_PID= SESSION_BUS_PID=
}

# ---- What Orca said

# spoken_with_language: every utterance so far, one a line (a line break within one
# becomes a space), a tab, the language Orca asked speech-dispatcher for, a tab, and the
# language speech-dispatcher set.
spoken_with_language()
{
    tr -d '\r' <"$T/orca.log" | awk '
        function ends(s) { return s ~ /\047( voice=[a-z]*)?\[?\{.*\}\]?$/ }
        function strip() { sub(/\047( voice=[a-z]*)?\[?\{.*\}\]?$/, "", text); open = 0 }
        function flush() { if (have) print text "\t" asked "\t" set; have = 0 }
        / - SPEECH OUTPUT: / {
            flush()
            text = $0
            sub(/^.* - SPEECH OUTPUT: \047/, "", text)
            have = 1; open = 1; asked = set = ""
            if (ends(text)) strip()
            next
        }
        open && /^                  / {
            line = $0
            sub(/^ +/, "", line)
            text = text " " line
            if (ends(text)) strip()
            next
        }
        / ORCA rate .*, language / { asked = $0; sub(/.*, language /, "", asked); sub(/,.*/, "", asked) }
        / SD rate .*, language / { set = $0; sub(/.*, language /, "", set) }
        END { flush() }'
}

# spoken: every utterance so far, one a line.
spoken()
{
    spoken_with_language | cut -f 1
}

# orca_mark: what Orca says from now on is what spoken_since_mark shows.
orca_mark()
{
    ORCA_MARK=$(spoken | wc -l)
}

spoken_since_mark()
{
    spoken | tail -n +$((ORCA_MARK + 1))
}

# said_since_mark TEXT...: Orca has said each TEXT since the mark, in this order, within
# one utterance or across several.
said_since_mark()
{
    local heard
    heard=$(spoken_since_mark)
    DETAIL="said since: ${heard//$'\n'/ | }"
    awk -v n=$# '
        BEGIN { for (i = 1; i <= n; i++) { want[i] = ARGV[i]; ARGV[i] = "" } }
        { said = said $0 "\n" }
        END {
            at = 1
            for (i = 1; i <= n; i++) {
                k = index(substr(said, at), want[i])
                if (!k) exit 1
                at += k - 1 + length(want[i])
            }
        }' "$@" <<<"$heard"
}

# within SECONDS COMMAND...: polls COMMAND every 0.1 s for up to SECONDS; no failure.
within()
{
    local deadline=$(($(now_ms) + $1 * 1000))
    shift
    until "$@"; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# heard SECONDS TEXT...: waits up to SECONDS for said_since_mark TEXT...; no failure.
heard()
{
    local limit=$1
    shift
    within "$limit" said_since_mark "$@"
}

# wait_said SECONDS TEXT...: as heard, failing the test on a time-out.
wait_said()
{
    local limit=$1
    shift
    heard "$limit" "$@" || fail "Orca did not say \"$*\" within $limit s ($DETAIL)"
}
