#!/usr/bin/env bash
# The full-screen show under Wine on an X server with two monitors (Xorg's dummy driver), in several layouts,
# the desktop red: the picture whole and centred on the primary monitor, not one pixel of the desktop left
# uncovered on either monitor; whether a mouse movement to the other monitor ends the show is reported.
#   two_monitor_test.sh DRIVER.exe   (run by CTest; starts its own X server, exits 77 where it cannot)
# layout_checks is called by name; its steps chain check && pass || fail, where pass and fail always succeed.
# shellcheck disable=SC2015,SC2317
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)"
# shellcheck source=saver_test_lib.sh
. "$here/saver_test_lib.sh"
driver=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One layout: "W1 H1 X1 Y1" of the primary, then of the other monitor, in X's root coordinates.
layout_checks() { # name pw ph px py sw sh sx sy
    local tag=$1 pw=$2 ph=$3 px=$4 py=$5 sw=$6 sh=$7 sx=$8 sy=$9
    local width=$((px + pw > sx + sw ? px + pw : sx + sw)) height=$((py + ph > sy + sh ? py + ph : sy + sh))
    # A Wine session keeps the layout it started with: each layout gets a new one.
    stop_all
    (. "$root/scripts/wine-env" && wineserver -w) >/dev/null 2>&1
    xrandr --output DUMMY0 --mode "${pw}x$ph" --pos "${px}x$py" --primary \
        --output DUMMY1 --mode "${sw}x$sh" --pos "${sx}x$sy" && xrandr --fb "${width}x$height" ||
        { fail "$tag: xrandr could not set the layout"; return; }
    # A query makes the server probe its outputs, which Wine's own reading of the layout does not.
    xrandr >/dev/null
    xsetroot -solid red
    # The first Wine program after a change reads the new layout.
    "$wine_run" "$driver" >/dev/null 2>&1
    # The pointer starts on the primary: without a window manager the X focus follows the pointer, and a
    # pointer over no Wine window at the start would take the activation from the show.
    xdotool mousemove $((px + 100)) $((py + 100))
    start show "$driver" s
    local show=$started
    wait_show "$show" 60 || { fail "$tag: no show"; stop_all; return; }
    sleep 1
    import -window root "$work/shot.png"
    mkdir -p "$root/build/screenshots" && cp "$work/shot.png" "$root/build/screenshots/two-monitors-${tag// /-}.png"

    # Every pixel of both monitors but the picture's is black (the root outside the monitors shows nothing).
    local left=$((px + (pw - 640) / 2)) top=$((py + (ph - 480) / 2)) uncovered=0 ring sea box
    convert "$work/shot.png" -fill black -draw "rectangle $left,$top $((left + 639)),$((top + 479))" "$work/masked.png"
    for box in "${pw}x$ph+$px+$py" "${sw}x$sh+$sx+$sy"; do
        uncovered=$((uncovered + $(convert "$work/masked.png" -crop "$box" +repage -fill white +opaque black \
            -format "%[fx:round(mean * w * h)]" info:)))
    done
    holds "$uncovered == 0" && pass "$tag: both monitors black everywhere but the picture" ||
        fail "$tag: $uncovered pixels of the monitors outside the picture are not black"
    ring=$(region "$work/shot.png" 120 120 $((left + 260)) $((top + 180)) "maxima.r + maxima.g + maxima.b")
    sea=$(region "$work/shot.png" 640 28 "$left" $((top + 420)) mean.b)
    holds "$ring > 1.5 && $sea > 0.2" && pass "$tag: the picture centred on the primary at ($left, $top)" ||
        fail "$tag: no picture centred on the primary at ($left, $top) (ring $ring, sea $sea)"

    # A movement onto the other monitor: Wine confines the pointer to a full-screen window at times, so that
    # the movement may never reach the other monitor; whether it ended the show is said, not counted.
    xdotool mousemove $((sx + sw / 2)) $((sy + sh / 2))
    if [ "$(wait_exit "$show" 5)" = 0 ]; then
        pass "$tag: a movement to the other monitor ends the show with 0"
    else
        echo "note: $tag: a movement to the other monitor did not end the show under Wine"
        stop_all
    fi
}

"$root/scripts/two-monitor-run-here" bash -c "
    . '$here/saver_test_lib.sh'; work='$work'; driver='$driver'
    # Wine's own windows, not a virtual desktop of one monitor (which the other tests ask for).
    (. '$root/scripts/wine-env' && wine reg delete 'HKCU\\Software\\Wine\\AppDefaults\\$(basename "$driver")' /f &&
        wineserver -w) >/dev/null 2>&1
    $(declare -f layout_checks)
    layout_checks 'second left' 1024 768 800 0 800 600 0 0
    layout_checks 'second right' 1024 768 0 0 800 600 1024 0
    layout_checks 'second above' 1024 768 0 600 800 600 0 0
    layout_checks 'second below, primary smaller' 800 600 0 0 1024 768 0 600
    layout_checks 'equal, primary right' 1024 768 1024 0 1024 768 0 0
    exit \$failures"
status=$?
[ "$status" = 77 ] && exit 77
echo "$status failure(s)"
exit $((status > 0))
