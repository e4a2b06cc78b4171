#!/usr/bin/env bash
# The display set-up's failure paths under Wine, with the stand-in ddraw.dll failing one step at a time, or
# refusing to load as where there is none: the full-screen run on a 1024x768 screen shows its error text at
# (432, 384) and nothing else, the picture stays still, the set-up stops at the failing step and releases
# the device object once and nothing made from it, and a key still ends the run with exit code 0. A run
# whose set-up succeeds shows no text at all, and as the stand-in's vertical-blank wait returns at once,
# its frames come no faster than the refresh rate the stand-in reports, or 60 Hz when it reports none.
# Under another code page (ORVELLE_WINE_LOCALE, as en_US.UTF-8), the texts are what must hold: only the
# modes that ORVELLE_DISPLAY_FAILURE_MODES names run, without the frame counts, and each text's picture is
# also compared with the one the same run shows under the Japanese code page: the same words.
#   display_failure_test.sh DRIVER.exe DDRAW.dll   (run by CTest; starts its own X server)
# Checks report as `condition && pass || fail` (or the reverse): pass and fail always succeed, so one runs.
# shellcheck disable=SC2015
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)"
# shellcheck source=../saver_window/saver_test_lib.sh
. "$here/../saver_window/saver_test_lib.sh"

# Everything below runs on one private X server of 1024x768.
XVFB_WIDTH=1024 XVFB_HEIGHT=768 XVFB_DEPTH=24 x_server_rerun_on_xvfb ORVELLE_DISPLAY_FAILURE_SESSION "$0" "$@"

driver=$1
fake=$2
work=$(mktemp -d)
trap 'remove_private_prefix; rm -rf "$work"' EXIT
# The stand-in lies in the system directory of a private copy of the prefix, where the saver looks for
# ddraw.dll and Wine takes it once it is told to prefer a native ddraw.dll. The driver goes by a name of its
# own, so that it has a virtual desktop of its own: other tests set theirs up without holding the X server
# lock, and would otherwise resize this one under a running run.
exe=display_failure_driver.exe
cp "$driver" "$work/$exe"
use_private_prefix
install_system_library "$fake" ddraw.dll
(
    . "$root/scripts/wine-env"
    wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\Explorer" /v Desktop /t REG_SZ /d OrvelleDisplayFailure /f
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v OrvelleDisplayFailure /t REG_SZ /d 1024x768 /f
    wineserver -w
) >/dev/null 2>&1

# Starts the full-screen run with the stand-in in the given mode; its calls go to $work/MODE.log.
start_with_fake() { # mode
    local mode=$1
    rm -f "$work/$mode.rc" "$work/$mode.log"
    (
        . "$root/scripts/wine-env"
        # wine-env sets the overrides outright, so the native ddraw.dll is added after it.
        export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;ddraw=n"
        export ORVELLE_FAKE_DDRAW=$mode ORVELLE_FAKE_DDRAW_LOG="Z:$work/$mode.log"
        wine "$work/$exe" s >"$work/$mode.out" 2>&1
        echo $? >"$work/$mode.rc"
    ) &
}

# The Release lines of a log, the last set-up call before them, and the frames' waits.
releases() { grep ' Release ' "$1" 2>/dev/null; }
last_call() { grep -v -e ' Release ' -e ' WaitForVerticalBlank' -e ' Blt ' "$1" 2>/dev/null | tail -n 1; }
waits() { grep -c ' WaitForVerticalBlank' "$1" 2>/dev/null; }

# The text each mode shows, and the set-up call that must be the last before it gives up (or, for a
# set-up that succeeds, the last call of all).
cases="
unloadable              directdraw
fail-create             directdraw  DirectDrawCreate failed
fail-cooperative        directdraw  device SetCooperativeLevel flags=17 failed
fail-primary            directdraw  device CreateSurface primary failed
depth4                  depth       surface.primary GetPixelFormat bits=4
depth8-fail-palette     directdraw  device CreatePalette flags=4 failed
depth8-fail-setpalette  directdraw  surface.primary SetPalette failed
fail-offscreen          directdraw  device CreateSurface offscreen failed
fail-clipper            directdraw  device CreateClipper failed
fail-sethwnd            directdraw  clipper SetHWnd failed
fail-setclipper         directdraw  surface.primary SetClipper failed
depth32                 none        surface.primary SetClipper ok
depth32-surface800      none        surface.primary SetClipper ok
"

only=${ORVELLE_DISPLAY_FAILURE_MODES:-}
shots=$root/build/screenshots/display-failure${ORVELLE_WINE_LOCALE:+-${ORVELLE_WINE_LOCALE%%.*}}
mkdir -p "$root/build/screenshots"
while read -r mode text last; do
    [ -n "$mode" ] || continue
    [ -z "$only" ] || [[ " $only " == *" $mode "* ]] || continue
    start_with_fake "$mode"
    if ! wait_window "Screen Saver" 20; then
        fail "$mode: no saver window"
        stop_all
        continue
    fi
    sleep 2
    import -window root "$work/$mode.png"
    sleep 1.5
    import -window root "$work/$mode-later.png"
    cp "$work/$mode.png" "$shots-$mode.png"

    # The picture: the text's opaque white box at (432, 384), about 22 cells of 8 pixels wide, black glyphs in
    # it and black everywhere else; without a device nothing draws, so it stays as it is.
    if [ "$text" = none ]; then
        max=$(region "$work/$mode.png" 1024 768 0 0 maxima)
        holds "$max == 0" && pass "$mode: the screen is black, no text" || fail "$mode: something shows ($max)"
    else
        box=$(convert "$work/$mode.png" -format %@ info:)
        if [[ $box =~ ^([0-9]+)x([0-9]+)\+432\+384$ ]] && holds "${BASH_REMATCH[1]} >= 150 && ${BASH_REMATCH[1]} <= 200" &&
            holds "${BASH_REMATCH[2]} >= 12 && ${BASH_REMATCH[2]} <= 24"; then
            pass "$mode: the only thing on the black screen is a box of $box"
        else
            fail "$mode: what is not black spans $box, not about 22 cells from +432+384"
        fi
        w=${box%%x*} h=${box#*x}
        h=${h%%+*}
        corner=$(region "$work/$mode.png" 1 1 432 384 mean)
        ink=$(region "$work/$mode.png" "$w" "$h" 432 384 minima)
        paper=$(region "$work/$mode.png" "$w" "$h" 432 384 mean)
        holds "$corner > 0.9 && $ink < 0.2 && $paper > 0.5" && pass "$mode: black text on white" ||
            fail "$mode: not black text on white (corner $corner, darkest $ink, mean $paper)"
    fi
    changed=$(differing_pixels "$work/$mode.png" "$work/$mode-later.png")
    [ "$changed" = 0 ] && pass "$mode: the picture stays still" || fail "$mode: $changed pixels changed"

    # The set-up stopped at the step that failed, and gave the device object back there and then.
    got=$(last_call "$work/$mode.log")
    [ "$got" = "$last" ] && pass "$mode: the set-up stops after \"$last\"" || fail "$mode: the last set-up call was \"$got\""
    # No surface, palette or clipper is released on its own; the device once, at the set-up's failure or at
    # the end of a run that had one.
    case $mode in
    unloadable | fail-create) at_setup='' at_end='' ;;
    depth32*) at_setup='' at_end="device Release refs=0;" ;;
    *) at_setup="device Release refs=0;" at_end=$at_setup ;;
    esac
    got=$(releases "$work/$mode.log" | tr '\n' ';')
    [ "$got" = "$at_setup" ] && pass "$mode: released while running: \"$at_setup\"" ||
        fail "$mode: released while running: \"$got\", not \"$at_setup\""

    xdotool key a
    rc=$(wait_exit "$mode" 10)
    [ "$rc" = 0 ] && pass "$mode: a key ends the run with 0" || { fail "$mode: after a key: $rc"; stop_all; }
    got=$(releases "$work/$mode.log" | tr '\n' ';')
    [ "$got" = "$at_end" ] && pass "$mode: released in all: \"$at_end\"" || fail "$mode: released in all: \"$got\", not \"$at_end\""
done <<<"$cases"

# Where the picture goes on the primary surface: centred on the 1024x768 screen, or on the surface's own
# size where its description gives one.
while read -r mode dest; do
    [ -f "$work/$mode.log" ] || continue
    got=$(grep -m 1 'surface.primary Blt ' "$work/$mode.log" | sed 's/.*dest=//')
    [ "$got" = "$dest" ] && pass "$mode: the picture goes to $dest" || fail "$mode: the picture goes to '$got', not $dest"
done <<<"depth32 192,144,832,624
depth32-surface800 80,60,720,540"

# The two texts: every DirectDraw failure shows the very picture of a failed DirectDrawCreate, and the
# depth text is a different one of the same size.
while read -r mode text _; do
    [ -f "$work/$mode.png" ] || continue
    case $text in
    directdraw)
        [ "$mode" = fail-create ] && continue
        changed=$(differing_pixels "$work/fail-create.png" "$work/$mode.png")
        [ "$changed" = 0 ] && pass "$mode: the same text as fail-create" || fail "$mode: differs from fail-create in $changed pixels"
        ;;
    depth)
        changed=$(differing_pixels "$work/fail-create.png" "$work/$mode.png")
        holds "$changed > 300" && pass "$mode: a text other than fail-create's ($changed pixels differ)" ||
            fail "$mode: the text is that of fail-create ($changed pixels differ)"
        ;;
    esac
done <<<"$cases"

# Frames on the wait that returns at once: counted over a few seconds, they keep coming, but no faster than
# the rate (with room for the edges of the count); without pacing they would come once a millisecond.
while read -r mode rate; do
    [ -z "$only" ] || continue
    start_with_fake "$mode"
    wait_window "Screen Saver" 20 || { fail "$mode: no saver window"; stop_all; continue; }
    sleep 1
    first=$(waits "$work/$mode.log") since=$(date +%s.%N)
    sleep 3
    last=$(waits "$work/$mode.log") until=$(date +%s.%N)
    frames=$((last - first)) bound=$(awk "BEGIN { print int($rate * ($until - $since) * 1.25) + 2 }")
    holds "$frames > 0 && $frames <= $bound" && pass "$mode: $frames frames, at most $bound at $rate Hz" ||
        fail "$mode: $frames frames, not 1 to $bound at $rate Hz"
    xdotool key a
    [ "$(wait_exit "$mode" 10)" = 0 ] || { fail "$mode: a key did not end the run"; stop_all; }
done <<<"depth32 60
depth32-refresh20 20"

# How far apart two pictures' text boxes are: the root mean square of their differences, 0 to 1, after a
# blur that lets the same glyphs drawn with and without smoothed edges come close.
text_distance() { # picture picture
    local box=192x16+432+384 blur=(-colorspace gray -blur 0x1.5)
    convert "$1" -crop "$box" +repage "${blur[@]}" "$work/first.png"
    convert "$2" -crop "$box" +repage "${blur[@]}" "$work/second.png"
    compare -metric RMSE "$work/first.png" "$work/second.png" null: 2>&1 | sed -E 's/.*\((.*)\)/\1/'
}

# Under another code page, each text is the one the Japanese code page shows: the same words, drawn in a
# Japanese font. Its glyphs may be smoothed differently, but it stays within 0.11 of the Japanese picture,
# where the other text is 0.15 away and the bytes read as code page 1252's characters more than 0.2.
for mode in $only; do
    [ -f "$work/$mode.png" ] || continue
    ORVELLE_WINE_LOCALE=ja_JP.UTF-8 start_with_fake "$mode"
    wait_window "Screen Saver" 20 || { fail "$mode: no saver window in Japanese"; stop_all; continue; }
    sleep 2
    import -window root "$work/$mode-ja.png"
    distance=$(text_distance "$work/$mode-ja.png" "$work/$mode.png")
    holds "$distance < 0.11" && pass "$mode: the words of the Japanese code page ($distance away)" ||
        fail "$mode: not the Japanese code page's words ($distance away)"
    xdotool key a
    [ "$(wait_exit "$mode" 10)" = 0 ] || { fail "$mode: a key did not end the run"; stop_all; }
done

echo "$failures failure(s)"
exit $((failures > 0))
