# The compositors of the Wayland end-to-end cases: how each starts headless, types, clicks
# and takes pictures (sway_* and gnome_*, which wayland.sh calls as WL_COMPOSITOR says), and
# the test of each. sway: wtype for keys, a virtual pointer of tests/e2e/wlr_pointer.py for
# clicks, grim for pictures. GNOME Shell: tests/e2e/gnome_driver.py on Mutter's
# RemoteDesktop and GNOME Shell's Screenshot D-Bus APIs. Sourced by scripts/e2e-wayland.sh
# after wayland.sh.

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
