#!/usr/bin/env bash
# Prints the benchmark's figures for optimised builds, on the xcb platform under Xvfb with
# openbox, as a learner's desktop runs the program, and writes them to docs/bench.txt:
#
# 1. The real program's start-up, watched from outside the process through the X server
#    (bench/screenwatch): 15 rounds, in turn, of the program as it ships, the same program
#    built with its 200 ms wait before the drill window cut to 1 ms, and a bare Qt window
#    of the drill window's size, the floor. Each start gets configuration and data folders
#    of its own and an INI that points at the bundled groups, so no first-start copy runs.
# 2. In process: load, start-up, Start, a click, and peak memory with the bundled groups
#    beside that of a bare Qt window.
# 3. With no display, wordmoor-groups importing a 30,000-entry CSV and checking a
#    30,000-word group beside the drill's own load of the same words.
#
# Build output goes to standard error only.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
rounds=15

scripts/deps.sh >&2
scripts/install-missing.sh openbox x11-utils pkg-config libxcb-damage0-dev >&2

# A build folder with only what the benchmark runs.
build() {
    local dir=$1 wait=$2
    shift 2
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        "-DWORDMOOR_BENCH_DRILL_WAIT_MS=$wait" >/dev/null
    cmake --build "$dir" -j "$(nproc)" --target "$@" >&2
}
build build-bench "" wordmoor wordmoor_bench wordmoor_groups_bench screenwatch barewindow
build build-bench-cut 1 wordmoor

work=$(mktemp -d)
xvfb=
wm=
trap 'kill $wm $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
# Xvfb picks a free display and writes its number down.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" \
    >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do grep -q '^[0-9]' "$work/display" && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")" QT_QPA_PLATFORM=xcb
mkdir -p "$work/wm-home"
HOME="$work/wm-home" openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
# As on a desktop, a runtime folder of the learner's own; no session manager or Wayland
# from whatever started this script.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset SESSION_MANAGER WAYLAND_DISPLAY

# start KIND N: one start under the watch, its line of figures appended to KIND.txt.
start() {
    local kind=$1 n=$2 program wait=200
    case $kind in
        real) program=build-bench/wordmoor ;;
        cut) program=build-bench-cut/wordmoor wait=1 ;;
        bare) program=build-bench/barewindow ;;
    esac
    local home="$work/$kind-$n"
    mkdir -p "$home/config" "$home/data"
    printf '[InstallSettings]\r\nInstallPath=%s\r\n' "$repo/data" >"$home/config/Wordmoor.INI"
    local line
    if line=$(XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        build-bench/screenwatch --wait-ms "$wait" --log "$home/output.log" -- "$program" \
        2>"$home/watch.log"); then
        [ "$n" = warm-up ] || echo "$line" >>"$work/$kind.txt"
    elif [ "$n" != warm-up ]; then
        echo failed >>"$work/$kind.failed"
    fi
    # What went wrong, or a program that needed SIGKILL.
    sed "s/^/round $n, $kind: /" "$home/watch.log"
}

# figure KIND KEY [MINUS]: "median (min-max)" of KEY over KIND's starts, less MINUS.
values() { grep -o " $2=[^ ]*" "$work/$1.txt" 2>/dev/null | cut -d= -f2 | sort -g; }
median() { values "$1" "$2" | awk -v m="${3:-0}" '{v[NR]=$1} END {if (NR) printf "%.1f", v[int((NR+1)/2)]-m}'; }
figure() {
    values "$1" "$2" | awk -v m="${3:-0}" '{v[NR]=$1}
        END {if (NR) printf "%.1f (%.1f-%.1f)", v[int((NR+1)/2)]-m, v[1]-m, v[NR]-m; else printf "-"}'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2f", a / b; else printf "-"}'; }
atMost() { awk -v a="$1" -v b="$2" 'BEGIN {print (a != "" && a <= b) ? "met" : "not met"}'; }

report() {
    echo "Wordmoor benchmark, $(date '+%Y-%m-%d %H:%M %Z')"
    echo "machine: $(nproc) CPUs, $(grep -m 1 '^model name' /proc/cpuinfo | sed 's/.*: //')," \
        "load average at the start $(cut -d' ' -f1-3 /proc/loadavg)"
    echo "Qt $(pkg-config --modversion Qt6Core 2>/dev/null || echo '?'), xcb platform on Xvfb" \
        "1280x800x24 with openbox; Release builds"
    echo
    echo "== Start-up from outside the process (bench/screenwatch), milliseconds"
    echo "$rounds rounds after one warm-up round not counted; in each, in turn: the program" \
        "(200 ms wait), the program built with a 1 ms wait, a bare $((8955 / 15))x$((7890 / 15))" \
        "Qt window. Median (min-max)."
    for n in warm-up $(seq "$rounds"); do
        local kinds=(real cut bare)
        [ "$n" = warm-up ] || kinds=("${kinds[@]:n%3}" "${kinds[@]:0:n%3}")
        for kind in "${kinds[@]}"; do
            start "$kind" "$n"
        done
    done
    printf '%-34s %-22s %-22s %-22s\n' "" "program (200 ms)" "wait cut (1 ms)" "bare window"
    while IFS='|' read -r label key bareKey; do
        printf '%-34s %-22s %-22s %-22s\n' "$label" "$(figure real "$key")" \
            "$(figure cut "$key")" "$([ -n "$bareKey" ] && figure bare "$bareKey" || echo -)"
    done <<'EOF'
exec -> first window created|exec_to_backdrop_created|exec_to_window_created
exec -> backdrop viewable|exec_to_backdrop_mapped|
exec -> drill window created|exec_to_drill_created|
backdrop created -> drill viewable|backdrop_created_to_drill_mapped|
window created -> viewable||window_created_to_mapped
drill/window viewable -> painted|drill_mapped_to_painted|window_mapped_to_painted
exec -> drill/window painted|exec_to_drill_painted|exec_to_window_painted
tick estimate -> drill painted|tick_estimate_to_painted|
damage events on it|drill_damage_events|window_damage_events
peak resident memory (VmHWM), MB|vmhwm_mb|vmhwm_mb
the watch's lag reading damage|damage_lag_max|damage_lag_max
EOF
    for kind in real cut bare; do
        local failed killed
        failed=$(cat "$work/$kind.failed" 2>/dev/null || true)
        killed=$(grep 'ended=killed' "$work/$kind.txt" 2>/dev/null || true)
        [ -z "$failed" ] || echo "$kind: $(wc -l <<<"$failed") of $rounds starts failed (see above)"
        [ -z "$killed" ] || echo "$kind: $(wc -l <<<"$killed") starts needed SIGKILL after SIGTERM"
    done
    echo
    local tick realBeyond cutBeyond bare realMb bareMb
    tick=$(median real tick_estimate_to_painted)
    realBeyond=$(median real exec_to_drill_painted 200)
    cutBeyond=$(median cut exec_to_drill_painted 1)
    bare=$(median bare exec_to_window_painted)
    realMb=$(median real vmhwm_mb)
    bareMb=$(median bare vmhwm_mb)
    echo "(a) drill window painted after the tick estimate (backdrop created + 200 ms):" \
        "${tick:--} ms; target <= 10 ms: $(atMost "$tick" 10)"
    echo "(b) exec -> painted beyond the wait: program ${realBeyond:--} ms (less 200)," \
        "wait cut ${cutBeyond:--} ms (less 1), bare window ${bare:--} ms;" \
        "ratios to the bare window $(ratio "$realBeyond" "$bare") and $(ratio "$cutBeyond" "$bare")"
    echo "(c) peak memory: program ${realMb:--} MB, bare window ${bareMb:--} MB:" \
        "ratio $(ratio "$realMb" "$bareMb"); target <= 1.35: $(atMost "$(ratio "$realMb" "$bareMb")" 1.35)"
    echo
    echo "== In process (bench/bench.cpp)"
    build-bench/wordmoor_bench
    build-bench/wordmoor_bench --memory "$repo/data/"
    build-bench/wordmoor_bench --memory-bare
    echo
    echo "== wordmoor-groups, no display (bench/groups_bench.cpp)"
    build-bench/groups/wordmoor_groups_bench
}

report | tee "$work/bench.txt"
cp "$work/bench.txt" docs/bench.txt
