# End-to-end cases of an installed copy (<prefix>/bin/wordmoor with its groups in
# <prefix>/share/wordmoor/ciku) started by a user of their own. E2E_PREFIX names the
# prefix; E2E_PREFIX_PROBLEM says why there is none.

need_installed_copy()
{
    [ -n "${E2E_PREFIX:-}" ] || skip "no installed copy: $E2E_PREFIX_PROBLEM"
    [ -d "$E2E_PREFIX/share/wordmoor/ciku" ] ||
        skip "$E2E_PREFIX has no share/wordmoor/ciku (no install rules for the groups yet)"
    compgen -G "$E2E_PREFIX/share/wordmoor/ciku/ci*.txt" >/dev/null ||
        fail "$E2E_PREFIX/share/wordmoor/ciku holds no ci*.txt"
    [ -x "$E2E_PREFIX/bin/wordmoor" ] || fail "$E2E_PREFIX/bin/wordmoor is missing"
}

# Starts the installed copy as a new user: an empty home and no XDG folders set.
start_as_user()
{
    start_app "$E2E_PREFIX/bin/wordmoor" -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$USER_HOME"
    wait_until 10 "drill window" find_drill_window
    wait_until 10 "drawn drill window" drill_drawn
}

user_ini()
{
    echo "$USER_HOME/.config/Wordmoor.INI"
}

user_data()
{
    echo "$USER_HOME/.local/share/Wordmoor"
}

# Every installed group is in the user's data folder, unchanged.
groups_set_up()
{
    local group missing=()
    for group in "$E2E_PREFIX"/share/wordmoor/ciku/ci*.txt; do
        cmp -s "$group" "$(user_data)/ciku/$(basename "$group")" ||
            missing+=("$(basename "$group")")
    done
    DETAIL="missing or different: ${missing[*]:-none}"
    [ "${#missing[@]}" -eq 0 ]
}

# The INI's InstallSettings section names the user's data folder as InstallPath.
ini_points_at_data()
{
    local ini
    ini=$(user_ini)
    [ -f "$ini" ] || {
        DETAIL="no $ini"
        return 1
    }
    local value
    value=$(tr -d '\r' <"$ini" | awk -F= '
        /^[ \t]*\[/ { inside = (tolower($0) ~ /^[ \t]*\[installsettings\][ \t]*$/); next }
        inside && tolower($1) ~ /^[ \t]*installpath[ \t]*$/ {
            sub(/^[^=]*=[ \t]*/, ""); sub(/[ \t]+$/, ""); print; exit }')
    DETAIL="InstallPath=$value"
    [ "$value" = "$(user_data)" ]
}

test_first_start_sets_up_user_folders()
{
    need_installed_copy
    USER_HOME="$T/home"
    mkdir -p "$USER_HOME"
    start_as_user
    wait_until 5 "groups in $(user_data)/ciku" groups_set_up
    wait_until 5 "$(user_ini) pointing at $(user_data)" ini_points_at_data
}

test_second_start_keeps_user_ini()
{
    need_installed_copy
    USER_HOME="$T/home"
    mkdir -p "$USER_HOME"
    start_as_user
    wait_until 5 "$(user_ini) pointing at $(user_data)" ini_points_at_data
    quit_app
    # The learner's own touch, which a later start must keep.
    printf '; kept as the learner left it\r\n' >>"$(user_ini)"
    cp "$(user_ini)" "$T/ini.before"
    start_as_user
    cmp -s "$T/ini.before" "$(user_ini)" || fail "the second start changed $(user_ini)"
    quit_app
    cmp -s "$T/ini.before" "$(user_ini)" || fail "the second run changed $(user_ini) by its end"
}

# The learner's own words: a spreadsheet's CSV imported with the installed wordmoor-groups
# into the collection of the installed copy (found through the user's INI, as the program
# finds it) becomes the group after the bundled ones, which the next start lists and plays.
test_imported_group_plays_in_installed_copy()
{
    need_installed_copy
    [ -x "$E2E_PREFIX/bin/wordmoor-groups" ] || fail "$E2E_PREFIX/bin/wordmoor-groups is missing"
    USER_HOME="$T/home"
    mkdir -p "$USER_HOME"
    start_as_user
    wait_until 5 "$(user_ini) pointing at $(user_data)" ini_points_at_data
    quit_app
    local groups
    groups=$(compgen -G "$(user_data)/ciku/ci*.txt" | wc -l)
    printf '\xef\xbb\xbfChinese,English\r\n%s,%s\r\n"%s","%s"\r\n%s,%s\r\n' "${E2E_WORDS[@]}" \
        >"$T/words.csv"
    env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$USER_HOME" \
        "$E2E_PREFIX/bin/wordmoor-groups" import "$T/words.csv" >"$T/import.log" 2>&1 ||
        fail "the import failed: $(cat "$T/import.log")"
    local new=$((groups + 1))
    [ -f "$(user_data)/ciku/ci$new.txt" ] || fail "no ci$new.txt after the import: $(cat "$T/import.log")"
    start_as_user
    wait_until 5 "drill window with the keyboard focus" is_active "$DRILL"
    # The last group of the list is the new one; Start is two Tabs on from Menu.
    xdotool key Tab End
    wait_until 5 "group line of the new group" group_line_shown
    play_test_group_right_from_menu_button
    # Point = 3 right x rate 100 x Normal.
    expect_record "$(user_data)/record_$new.divu" 600 3 100 2
    quit_app
}
