#!/usr/bin/env bash
# Takes the README's screenshots of the real program under Xvfb: the drill window with a
# group chosen, a question open, the reveal after a click, the menu, and the record window
# after a run stopped in its third question. Writes them into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --screenshots
scripts/build.sh build

work=$(mktemp -d)
trap 'kill "${app:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/install/ciku" "$work/config"
cp data/ciku/ci*.txt "$work/install/ciku/"
printf '[InstallSettings]\r\nInstallPath=%s\r\n' "$work/install" > "$work/config/Wordmoor.INI"

export DISPLAY=:87
Xvfb "$DISPLAY" -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
XDG_CONFIG_HOME="$work/config" build/wordmoor >/dev/null 2>&1 &
app=$!
sleep 2

# The drill window is the one of its design size, 8955 x 7890 twips.
x0=; y0=
for w in $(xdotool search --name '^Wordmoor$'); do
    geometry=$(xdotool getwindowgeometry "$w")
    if grep -q 'Geometry: 597x526' <<<"$geometry"; then
        read -r x0 y0 < <(sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p' <<<"$geometry")
    fi
done
[ -n "$x0" ] || { echo "drill window not found" >&2; exit 1; }

# Clicks a point given in the window's twips.
click() { xdotool mousemove $((x0 + $1 / 15)) $((y0 + $2 / 15)) click 1; sleep "${3:-0.4}"; }
shot() { import -window root -crop "$1" +repage "docs/$2"; }
window="597x526+$x0+$y0"

click 7200 6990                      # open the group list
xdotool key Down Return; sleep 0.5  # Group 1
shot "$window" drill-window.png
click 8300 6990 2.3                  # Start; let the time bar grow
shot "$window" question-open.png
click 1300 1290 0.5                  # row 1 never holds a translation
shot "$window" reveal.png
sleep 9
click 1300 1290 9                    # second question, wrong again
click 8300 7370 1                    # Stop in the third question
shot "316x267+$((x0 + 140))+$((y0 + 129))" record-after-stop.png
xdotool key Return; sleep 0.3        # Close has the focus
click 7200 7370 0.5                  # Menu
shot "597x600+$x0+$y0" menu.png
xdotool key Escape
echo "Screenshots written to docs/."
