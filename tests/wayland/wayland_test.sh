#!/usr/bin/env bash
# orvelle-wayland on a real headless sway, one case per row of the table below: each case starts its own
# sway (two headless outputs, 1024x768 and 800x600 side by side, software rendering), the saver on it with
# a fixed clock held at frame 30, does what its row says and expects the saver's exit status.
#
#   wayland_test.sh ORVELLE-WAYLAND ORVELLE-RENDER VIRTUAL-POINTER BARE-COMPOSITOR SCREENSHOT-DIR [CASE-PATTERN]
#
# (run by CTest; a pattern, a regular expression, runs only the cases whose names match it.)
# The saver starts before the first step, or at the step "start". exact:OUTPUT[:SCALE] takes the output's pixels with grim (at SCALE, so that grim copies them without
# resampling) and wants orvelle-render's frame byte for byte in the middle and black all around. sway refuses
# to run as root, so as root sway runs as nobody in a private folder; the clients connect to it from here.
# Exit status 77 (skipped) where sway or the tools cannot run, with the reason.
# Functions run by name (through traps or the table) are reached.
# shellcheck disable=SC2317
set -uo pipefail
saver=$1
render=$2
pointer=$3
bare=$4
shots=$5
only=${6:-.}
mkdir -p "$shots"

# name | swaymsg commands before the saver starts (;-separated) | saver options | steps | exit status
cases=(
    "two_outputs        | -                                           | -           | exact:HEADLESS-1 exact:HEADLESS-2 term | 143"
    "scale_2            | output HEADLESS-2 scale 2                   | -           | exact:HEADLESS-1 exact:HEADLESS-2:2 shot int | 130"
    "scale_1_5          | output HEADLESS-2 mode 1200x900 scale 1.5   | -           | exact:HEADLESS-2:1.5 term | 143"
    "output_plugged_in  | -                                           | -           | exact:HEADLESS-1 create exact:HEADLESS-3 disable exact:HEADLESS-1 term | 143"
    "xdg_shell_fallback | -                                           | --xdg-shell | exact:HEADLESS-1 exact:HEADLESS-2 term | 143"
    "jiggle_then_move   | -                                           | -           | exact:HEADLESS-1 jiggle alive move | 0"
    "key                | -                                           | -           | exact:HEADLESS-1 key | 0"
    "key_held_before    | -                                           | -           | holdkey start exact:HEADLESS-1 released alive key | 0"
    "click              | -                                           | -           | exact:HEADLESS-1 click | 0"
    "wheel              | -                                           | -           | exact:HEADLESS-1 wheel | 0"
    "compositor_gone    | -                                           | -           | exact:HEADLESS-1 killsway | 1"
)

# failures, fail (after the case's name), pass, skip and eventually (for up to 30 seconds).
# shellcheck source=../test_lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../test_lib.sh"
eventually_seconds=30
for tool in sway swaymsg grim wtype swayidle convert identify; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[[ $EUID -ne 0 ]] || id nobody >/dev/null 2>&1 || skip "no user nobody to run sway as"

work=$(mktemp -d)
chmod 755 "$work"
sway_pid=
saver_pid=
bare_pid=
holder_pid=
cleanup() {
    [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null
    [ -n "$bare_pid" ] && kill "$bare_pid" 2>/dev/null
    [ -n "$sway_pid" ] && kill "$sway_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT
running() { kill -0 "$saver_pid" 2>/dev/null; }
stopped() { ! running; }

# Frame 30 at 16 ms a frame, held: the picture to find on every output, as raw RGB.
"$render" --format 32 --tick-ms 16 --frames 30 --raw --out "$work/frames" >/dev/null || skip "orvelle-render failed"
convert -size 640x480 -depth 8 "bgra:$work/frames/frame-00030.raw" -alpha off "rgb:$work/expected.rgb"

# A sway of its own, as the measuring script starts one.
# shellcheck source=../../scripts/lib/headless-sway.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/headless-sway.sh"
start_sway() {
    local setup=$1 dir
    headless_sway_start "$work" 2 "output HEADLESS-1 mode 1024x768 position 0 0
output HEADLESS-2 mode 800x600 position 1024 0
output HEADLESS-3 mode 640x480 position 1824 0"
    dir=$sway_dir
    export XDG_RUNTIME_DIR=$dir WAYLAND_DISPLAY=wayland-1
    if ! eventually swaymsg_quiet -t get_version; then
        skip "sway does not start here: $(tail -n 1 "$dir/sway.log")"
    fi
    local command
    IFS=';' read -ra commands <<<"$setup"
    for command in "${commands[@]}"; do
        [[ $command =~ ^\ *-?\ *$ ]] && continue
        # shellcheck disable=SC2086 # the command's words
        swaymsg_quiet $command || fail "swaymsg $command"
    done
}
swaymsg_quiet() {
    local socket
    socket=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock") || return 1
    SWAYSOCK=$socket swaymsg "$@" >/dev/null 2>&1
}
stop_sway() {
    kill "$sway_pid" 2>/dev/null
    wait "$sway_pid" 2>/dev/null
    sway_pid=
}

# The output's pixels: the picture in the middle, exactly, and black all around.
shows_picture() {
    local output=$1 scale=${2:-} ppm="$work/$1.ppm" size width height x y
    grim ${scale:+-s "$scale"} -o "$output" -t ppm "$ppm" 2>/dev/null || return 1
    size=$(identify -format '%w %h' "$ppm") || return 1
    read -r width height <<<"$size"
    x=$(((width - 640) / 2)) y=$(((height - 480) / 2))
    convert "$ppm" -crop "640x480+$x+$y" +repage -depth 8 "rgb:$work/shown.rgb" &&
        cmp -s "$work/shown.rgb" "$work/expected.rgb" &&
        [ "$(convert "$ppm" -fill black -draw "rectangle $x,$y $((x + 639)),$((y + 479))" -format '%[max]' info:)" = 0 ]
}

step() {
    local output scale
    case $1 in
    exact:*)
        IFS=: read -r _ output scale <<<"$1"
        if ! eventually shows_picture "$output" "$scale"; then
            convert "$work/$output.ppm" "$shots/wayland-$case_name-$output.png" 2>/dev/null
            fail "$output does not show the picture centred on black (see $shots/wayland-$case_name-$output.png)"
        fi
        ;;
    shot) grim "$shots/wayland-$case_name.png" || fail "grim of every output" ;;
    create) swaymsg_quiet create_output || fail "swaymsg create_output" ;;
    disable) swaymsg_quiet output HEADLESS-3 disable || fail "swaymsg output HEADLESS-3 disable" ;;
    jiggle) "$pointer" by:4,0 by:-4,0 by:4,0 by:-4,0 by:0,4 by:0,-4 || fail "virtual_pointer jiggle" ;;
    alive)
        sleep 0.5
        running || fail "it has ended already"
        ;;
    move) "$pointer" by:20,0 || fail "virtual_pointer move" ;;
    click) "$pointer" click || fail "virtual_pointer click" ;;
    wheel) "$pointer" wheel || fail "virtual_pointer wheel" ;;
    key) wtype -s 300 x || fail "wtype" ;;
    holdkey)
        # x pressed before the saver starts and released after it has taken the keyboard.
        wtype -s 300 -P x -s 3000 -p x &
        holder_pid=$!
        sleep 1
        ;;
    released) wait "$holder_pid" || fail "wtype holding a key" ;;
    term) kill -TERM "$saver_pid" ;;
    int) kill -INT "$saver_pid" ;;
    killsway) kill "$sway_pid" ;;
    *) fail "no step $1" ;;
    esac
}

run_case() {
    local setup=$1 options=$2 steps=$3 expected=$4 status
    start_sway "$setup"
    [ "$options" = - ] && options=
    [[ " $steps " == *" start "* ]] || steps="start $steps"
    for word in $steps; do
        if [ "$word" = start ]; then
            # shellcheck disable=SC2086 # the options' words
            ${ORVELLE_WAYLAND_DEBUG:+env WAYLAND_DEBUG=1} "$saver" --tick-ms 16 --frames 30 $options 2>"$work/stderr" &
            saver_pid=$!
            continue
        fi
        step "$word"
    done
    eventually stopped || fail "still running"
    kill "$saver_pid" 2>/dev/null
    wait "$saver_pid"
    status=$?
    saver_pid=
    [ "$status" = "$expected" ] || fail "exit status $status, not $expected; stderr: $(cat "$work/stderr")"
    stop_sway
}

for row in "${cases[@]}"; do
    IFS='|' read -r case_name setup options steps expected <<<"$row"
    read -r case_name <<<"$case_name" # without the table's blanks
    read -r options <<<"$options"
    read -r expected <<<"$expected"
    [[ $case_name =~ $only ]] || continue
    before=$failures
    run_case "$setup" "$options" "$steps" "$expected"
    [ "$failures" = "$before" ] && pass "$case_name"
done

# No compositor, and a compositor without any shell: one line on stderr and exit status 1.
refuses() {
    case_name=$1
    local display=$2 expected=$3 status before=$failures
    XDG_RUNTIME_DIR=$work WAYLAND_DISPLAY=$display "$saver" 2>"$work/stderr"
    status=$?
    if [ "$status" != 1 ] || [ "$(wc -l <"$work/stderr")" != 1 ] || ! grep -q "$expected" "$work/stderr"; then
        fail "exit status $status, stderr: $(cat "$work/stderr")"
    fi
    [ "$failures" = "$before" ] && pass "$case_name"
}
refuses no_compositor wayland-none 'cannot connect'
XDG_RUNTIME_DIR=$work "$bare" wayland-bare &
bare_pid=$!
eventually test -S "$work/wayland-bare" || fail "the bare compositor did not start"
refuses no_shell wayland-bare 'offers neither the layer shell'
kill "$bare_pid"
wait "$bare_pid" 2>/dev/null
bare_pid=

# swayidle starts it when the seat has been idle for a second, as a person's desktop would.
case_name=swayidle
before=$failures
start_sway -
swayidle -w timeout 1 "exec '$saver' --tick-ms 16 --frames 30" >"$work/swayidle.log" 2>&1 &
saver_pid=$!
step exact:HEADLESS-1
step exact:HEADLESS-2
pkill -TERM -P "$saver_pid" 2>/dev/null
kill "$saver_pid" 2>/dev/null
wait "$saver_pid" 2>/dev/null
saver_pid=
stop_sway
[ "$failures" = "$before" ] && pass "$case_name"

[ $failures = 0 ] || exit 1
echo "all cases pass"
