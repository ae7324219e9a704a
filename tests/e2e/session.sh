# The program in a desktop session: xsm, a session manager that speaks XSMP, starts it from
# ~/.xsmstartup with SESSION_MANAGER set, so it joins the session. Sourced by scripts/e2e.sh
# after lib.sh and learner.sh.
#
# xsm is driven through its windows. Its main window, "xsm: " and the session's name, holds
# four buttons: Client List and Session Log above, Checkpoint and Shutdown below. Checkpoint
# opens the dialog "Checkpoint"; closing the main window opens the same dialog as "Shutdown"
# (xsm's shutdown with a checkpoint first). The dialog's defaults are the save type Both
# and the interaction Any; Return in its name field confirms it. A session never saved has
# no name yet, so the first dialog gets one typed in. xsm then asks every client to save
# (commit its data, then save its state); a checkpoint closes the dialog once every client
# has reported its save done, a shutdown then tells every client to die.

SESSION_NAME=e2e

# Starts xsm with a home of its own (its session files and ICE authority go there) and the
# program as the one client of the session; returns once xsm has registered it and the
# drill window shows. The starter leaves the program's process id and exit status.
start_session()
{
    make_install
    local home=$T/sm-home starter=$T/start-in-session.sh
    mkdir -p "$home"
    APP_STATUS_FILE=$T/app.status
    cat >"$starter" <<EOF
#!/bin/sh
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY XDG_CONFIG_HOME='$T/config' '$WORDMOOR' \
    >'$T/app.log' 2>&1 &
echo \$! >'$T/app.pid'
wait \$!
echo \$? >'$APP_STATUS_FILE'
EOF
    chmod +x "$starter"
    echo "$starter" >"$home/.xsmstartup"
    SESSION_NAMED=
    # Line-buffered, so that its log (-verbose) can be read while it runs.
    HOME=$home stdbuf -oL xsm -verbose >"$T/xsm.log" 2>&1 &
    SM_PID=$!
    wait_until 10 "program started by xsm" test -s "$T/app.pid"
    APP_PID=$(cat "$T/app.pid")
    wait_until 10 "the program joining the session" grep -q 'REGISTER CLIENT REPLY' "$T/xsm.log"
    wait_until 10 "drill window" find_drill_window
    wait_until 5 "xsm's main window" find_session_window
}

find_session_window()
{
    SM_WINDOW=$(xdotool search --onlyvisible --name '^xsm: ' 2>/dev/null | head -n 1)
    [ -n "$SM_WINDOW" ]
}

# click_session_button INDEX: clicks the main window's button INDEX (0 Client List,
# 1 Session Log, 2 Checkpoint, 3 Shutdown), found among the window's children by position:
# top row first, left to right.
click_session_button()
{
    # "0x40005d (has no name): ()  83x25+4+35  +540+409": size, place in the window,
    # place on the screen, as "y x width height screen-x screen-y". The form that holds
    # the buttons lies at +0+0.
    local n='\([0-9]*\)' buttons
    mapfile -t buttons < <(xwininfo -tree -id "$SM_WINDOW" |
        sed -n "s/.*): ()  *${n}x$n+$n+$n  *+$n+$n\$/\4 \3 \1 \2 \5 \6/p" |
        grep -v '^0 0 ' | sort -n -k1,1 -k2,2)
    [ "${#buttons[@]}" -eq 4 ] ||
        fail "xsm's main window shows ${#buttons[@]} buttons, not 4: ${buttons[*]}"
    local w h ax ay
    read -r _ _ w h ax ay <<<"${buttons[$1]}"
    xdotool mousemove --sync $((ax + w / 2)) $((ay + h / 2)) click 1
}

# session_save KIND: a Checkpoint or a Shutdown of the session, confirmed in its dialog.
session_save()
{
    local kind=$1
    wait_until 5 "xsm's main window" find_session_window
    activate "$SM_WINDOW"
    if [ "$kind" = Checkpoint ]; then
        click_session_button 2
    else
        wmctrl -i -c "$SM_WINDOW"
    fi
    wait_until 5 "xsm's \"$kind\" dialog" find_window "$kind"
    activate "$WINDOW"
    if [ -z "$SESSION_NAMED" ]; then
        xdotool type --delay 20 "$SESSION_NAME"
        SESSION_NAMED=yes
    fi
    xdotool key Return
}

# xsm has sent the save request to the program.
save_requested()
{
    grep -q 'sent SAVE YOURSELF \[Save Type = Both, Shutdown = '"$1" "$T/xsm.log"
}
