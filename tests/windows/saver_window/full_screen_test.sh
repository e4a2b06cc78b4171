#!/usr/bin/env bash
# The full-screen show under Wine at one X server depth and screen size: the picture is centred with black
# all around, it moves, and it is the show (stars, ring, sea in the format's colours); a key, a click and a
# mouse movement of 5 pixels end it, 4 pixels do not; the system commands that would start another saver
# or switch windows are swallowed; a second run brings the first to the front and exits with 0.
#   full_screen_test.sh DRIVER.exe SEND_MESSAGE.exe   (run by CTest; starts its own X servers)
# Checks report as `condition && pass || fail` (or the reverse): pass and fail always succeed, so one runs.
# Functions run by name (through traps, eventually, or declare -f in another shell) are reached.
# shellcheck disable=SC2015,SC2317
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)"
# shellcheck source=saver_test_lib.sh
. "$here/saver_test_lib.sh"
driver=$1
send=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One screen: the picture's placement and content, then the ways to end the show.
screen_checks() { # depth width height
    local depth=$1 width=$2 height=$3 tag="$1-bit $2x$3"
    local left=$(((width - 640) / 2)) top=$(((height - 480) / 2))
    start show "$driver" s
    local show=$started
    # Every later check would fail for the same reason: fail once, and end this screen's run.
    wait_show "$show" 60 || { fail "$tag: no show"; stop_all; return; }
    sleep 2
    import -window root "$work/a.png"
    sleep 0.7
    import -window root "$work/b.png"
    mkdir -p "$root/build/screenshots" && cp "$work/a.png" "$root/build/screenshots/full-screen-$depth-${width}x$height.png"

    local outside=0
    outside=$(region "$work/a.png" "$width" "$top" 0 0 maxima)
    outside=$(awk "BEGIN { print $outside + $(region "$work/a.png" "$width" "$top" 0 $((top + 480)) maxima) }")
    outside=$(awk "BEGIN { print $outside + $(region "$work/a.png" "$left" 480 0 "$top" maxima) }")
    outside=$(awk "BEGIN { print $outside + $(region "$work/a.png" "$left" 480 $((left + 640)) "$top" maxima) }")
    if [ "$left" -gt 0 ] && ! holds "$outside == 0"; then fail "$tag: not black outside the picture"; else pass "$tag: black around the centred picture"; fi

    local moved
    moved=$(differing_pixels "$work/a.png" "$work/b.png")
    holds "$moved > 1000" && pass "$tag: the picture moves ($moved pixels changed)" || fail "$tag: the picture does not move ($moved pixels changed)"

    # The sea: blue along the picture's bottom; the sky: dark; the ring: bright colours round the centre.
    # Rows 420 to 447 of the picture lie inside the sea's band whatever the wave does.
    local sea_blue sea_red sky ring
    sea_blue=$(region "$work/a.png" 640 28 "$left" $((top + 420)) mean.b)
    sea_red=$(region "$work/a.png" 640 28 "$left" $((top + 420)) mean.r)
    sky=$(region "$work/a.png" 640 60 "$left" "$top" mean)
    ring=$(region "$work/a.png" 120 120 $((left + 260)) $((top + 180)) "maxima.r + maxima.g + maxima.b")
    holds "$sea_blue > 0.2 && $sea_blue > $sea_red + 0.1" && pass "$tag: sea along the bottom" || fail "$tag: no sea (blue $sea_blue, red $sea_red)"
    holds "$sky < 0.1" && pass "$tag: dark sky" || fail "$tag: sky not dark ($sky)"
    holds "$ring > 1.5" && pass "$tag: ring at the centre" || fail "$tag: no ring at the centre ($ring)"

    # A second run finds the first, brings it to the front and exits with 0 at once.
    start second "$driver" s
    [ "$(wait_exit "$started" 15)" = 0 ] && pass "$tag: a second run exits with 0" || fail "$tag: a second run did not exit with 0"
    alive "$show" && pass "$tag: the first run goes on" || fail "$tag: the first run ended"

    # System commands: these three are swallowed, SC_CLOSE is not.
    for command in SC_SCREENSAVE SC_NEXTWINDOW SC_PREVWINDOW; do
        "$wine_run" "$send" syscommand "$command" >/dev/null 2>&1
        sleep 0.3
        alive "$show" && pass "$tag: $command swallowed" || fail "$tag: $command ended the show"
    done

    # Mouse travel adds up: 3 across and 1 down keep it, one more pixel ends it.
    xdotool mousemove_relative 3 0
    sleep 0.3
    xdotool mousemove_relative 0 1
    sleep 0.8
    alive "$show" && pass "$tag: 4 pixels of mouse travel keep the show" || fail "$tag: 4 pixels of mouse travel ended the show"
    xdotool mousemove_relative 1 0
    [ "$(wait_exit "$show" 10)" = 0 ] && pass "$tag: a 5th pixel ends the show with 0" || { fail "$tag: 5 pixels of mouse travel did not end the show"; stop_all; }
}

# One way of ending the show, on a fresh run.
ends_with() { # description command...
    local what=$1
    shift
    start show "$driver" s
    local show=$started
    wait_show "$show" 60 || { fail "no show to end by $what"; stop_all; return; }
    "$@"
    [ "$(wait_exit "$show" 10)" = 0 ] && pass "$what ends the show with 0" || { fail "$what did not end the show"; stop_all; }
}

run_screen() { # depth width height
    XVFB_DEPTH=$1 XVFB_WIDTH=$2 XVFB_HEIGHT=$3 "$root/scripts/xvfb-run-here" bash -c "
        . '$here/saver_test_lib.sh'; work='$work'; driver='$driver'; send='$send'
        use_virtual_desktop $2x$3 '$(basename "$driver")' '$(basename "$send")'
        $(declare -f screen_checks ends_with)
        screen_checks $1 $2 $3
        ends_with 'a key' xdotool key a
        ends_with 'a click' xdotool click 1
        ends_with 'SC_CLOSE' '$wine_run' '$send' syscommand SC_CLOSE
        exit \$failures"
    failures=$((failures + $?))
}

for screen in "24 800 600" "24 1024 768" "16 1024 768" "8 800 600"; do
    # shellcheck disable=SC2086
    run_screen $screen
done
echo "$failures failure(s)"
exit $((failures > 0))
