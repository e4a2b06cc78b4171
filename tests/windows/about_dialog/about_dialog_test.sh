#!/usr/bin/env bash
# The about dialog driven for real under Wine, with X input on a private Xvfb display.
#
# Enter ends it with 1, Esc with 2, a click on the close box with 2, a click on OK with 1; the caption is
# "Kestrune・"; a click on "接続", twice, reaches the shell's https handler each time and leaves the dialog
# open; without its template the dialog ends with -1. Its picture control shows the still.
#
#   scripts/xvfb-run-here about_dialog_test.sh DRIVER.exe URL_RECORDER.exe STILL.bmp [SCREENSHOT.png]
#
# In the test prefix it maps "ＭＳ ゴシック" to IPAGothic, lets Wine draw the driver's caption and frame itself
# (there is no window manager on the display) with the Marlett font for the close box, and points the
# https handler at URL_RECORDER for the run.
# With SCREENSHOT it also saves a picture of the dialog there.
# Under another code page (ORVELLE_WINE_LOCALE, as en_US.UTF-8) with ORVELLE_ABOUT_TEXTS_ONLY=1 it checks
# the caption and the connect button alone: the same words, and "·" for the middle dot where the program
# reads it back in code page 1252, which has only that one. With ORVELLE_ABOUT_AS_WIN98=1 as well, a copy of
# the driver runs as Windows 98, whose windows hold no text outside their code page: the caption gets the
# Shift-JIS bytes as they are, and the button keeps its template's text as the system gives it (question
# marks).
set -uo pipefail
# Titles are read back from the display and compared as UTF-8 text, whatever locale the caller has (none in
# a bare environment, where xdotool and bash would drop or keep escaped what is not ASCII).
export LC_ALL=C.UTF-8
driver=$1
recorder=$2
still=$3
screenshot=${4:-}
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd -P)"
wine_run=$root/scripts/wine-run
address="https://kestrune.example.com/"
work=$(mktemp -d)
# shellcheck source=../../test_lib.sh
. "$root/tests/test_lib.sh"

# reg prints its messages in Shift-JIS; only the outcome matters here.
reg() { "$wine_run" reg "$@" >/dev/null 2>&1; }
reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /t REG_SZ /d IPAGothic /f ||
    fail "cannot set the font replacement"
run_driver=("$wine_run" "$driver")
if [[ ${ORVELLE_ABOUT_AS_WIN98:-} == 1 ]]; then
    # A copy of its own name, since the prefix keeps the Windows version per file name.
    cp "$driver" "$work/about_dialog_driver_98.exe"
    run_driver=("$root/tests/windows/fixtures/as-win98" "$work/about_dialog_driver_98.exe")
fi
reg add "HKCU\\Software\\Wine\\AppDefaults\\${run_driver[-1]##*/}\\X11 Driver" /v Decorated /t REG_SZ /d N /f ||
    fail "cannot let Wine draw the driver's frame"

# Wine draws the symbols of the caption buttons with its Marlett font (Debian's fonts-wine), but does not
# look for it where Debian puts it; a copy in the prefix's font folder is found.
# shellcheck source=scripts/wine-env
fonts=$(. "$root/scripts/wine-env" && echo "$WINEPREFIX/drive_c/windows/Fonts")
if [[ -f /usr/share/wine/fonts/marlett.ttf && ! -f $fonts/marlett.ttf ]]; then
    if ! mkdir -p "$fonts" || ! cp /usr/share/wine/fonts/marlett.ttf "$fonts/"; then
        fail "cannot give Wine its Marlett font"
    fi
fi

# The prefix's https handler, replaced by the recorder and put back on exit. A value left behind by an
# interrupted run, or one that cannot be read back, is replaced by Wine's own.
handler_key='HKLM\Software\Classes\https\shell\open\command'
wine_default='"C:\windows\system32\winebrowser.exe" "%1"'
# reg's listing is Shift-JIS: read it byte-wise, and take only a plausible command.
handler() { "$wine_run" reg query "$handler_key" /ve 2>/dev/null | LC_ALL=C sed -n 's/\r$//; s/^.*REG_SZ    //p'; }
original=$(handler)
if [[ ! $original =~ ^\"[^\"]*\"\ \"%1\"$ || $original == *url_recorder* ]]; then
    original=$wine_default
fi
restore_handler() { reg add "$handler_key" /ve /t REG_SZ /d "$original" /f; }
trap 'restore_handler; rm -rf "$work"' EXIT
windows_path() { "$wine_run" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
log="$work/urls.log"
touch "$log"
reg add "$handler_key" /ve /t REG_SZ /d "\"$(windows_path "$recorder")\" \"$(windows_path "$log")\" \"%1\"" /f ||
    fail "cannot register the recorder as the https handler"

driver_pid=
# Starts the driver and waits until it reports the open dialog (or ends). Sets driver_pid.
start_dialog() {
    local name=$1
    shift
    "${run_driver[@]}" "$@" >"$work/$name.out" 2>&1 &
    driver_pid=$!
    for ((i = 0; i < 600; i++)); do
        grep -s -q -E '^(ready|no dialog)' "$work/$name.out" && break
        kill -0 "$driver_pid" 2>/dev/null || break
        sleep 0.1
    done
    tr -d '\r' <"$work/$name.out" >"$work/$name.report"
    grep -q '^ready' "$work/$name.report" || { fail "$name: the dialog did not come up"; cat "$work/$name.out"; }
}

# Waits for the driver to end and checks its exit code; a driver still running after 30 seconds is
# stopped and counts as a failure.
finish_dialog() {
    local name=$1 expected=$2
    for ((i = 0; i < 300; i++)); do
        kill -0 "$driver_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$driver_pid" 2>/dev/null; then
        fail "$name: the dialog is still open"
        kill "$driver_pid" 2>/dev/null
    fi
    wait "$driver_pid"
    local code=$?
    [[ $code == "$expected" ]] || fail "$name: exit code $code, expected $expected"
}

# The value of a report line: report NAME KEY prints the rest of the first line starting with KEY.
report() { sed -n "s/^$2 //p" "$work/$1.report" | head -1; }

# Clicks the middle of a screen rectangle "left top right bottom".
click_rect() {
    local -a r
    read -r -a r <<<"$1"
    xdotool mousemove --sync $(((r[0] + r[2]) / 2)) $(((r[1] + r[3]) / 2)) click 1
}

dialog_is_open() { xdotool search --onlyvisible --name '^Kestrune' >/dev/null 2>&1; }

# Enter: the caption, the layout, the picture and the icon, then OK as the default button.
start_dialog enter
# The caption's bytes read back, its title on the display and the button's text in UTF-16 units: under 932;
# under 1252 (the middle dot read back as 1252's own); and as Windows 98 under 1252 (the bytes as they are).
read -r caption_bytes title_expected connect_expected <<<"4b,65,73,74,72,75,6e,65,81,45 Kestrune・ 63a5,7d9a"
if [[ ${ORVELLE_ABOUT_AS_WIN98:-} == 1 ]]; then
    title_expected=Kestrune$'\u0081'E connect_expected=003f,003f
elif [[ ${ORVELLE_WINE_LOCALE:-ja_JP.UTF-8} != ja_JP* ]]; then
    caption_bytes=4b,65,73,74,72,75,6e,65,b7
fi
caption_bytes=${caption_bytes//,/ } connect_expected=${connect_expected//,/ }
[[ $(report enter caption) == "$caption_bytes" ]] ||
    fail "caption bytes are $(report enter caption), expected $caption_bytes: Kestrune and the middle dot"
window=$(xdotool search --onlyvisible --name '^Kestrune' | head -1)
title=$(xdotool getwindowname "$window" 2>/dev/null)
[[ -n $window && $title == "$title_expected" ]] || fail "no window titled $title_expected on the display (${title:-none})"
[[ $(report enter connect) == "$connect_expected" ]] ||
    fail "the connect button reads $(report enter connect), not $connect_expected"
if [[ ${ORVELLE_ABOUT_TEXTS_ONLY:-} == 1 ]]; then
    mkdir -p "$root/build/screenshots"
    import -window root "$root/build/screenshots/about-dialog-${ORVELLE_WINE_LOCALE%%.*}${ORVELLE_ABOUT_AS_WIN98:+-win98}.png"
    xdotool key Return
    finish_dialog enter 1
    ((failures == 0)) && echo "about dialog under ${ORVELLE_WINE_LOCALE:-}: the caption reads Kestrune・"
    exit $((failures > 0))
fi
controls=$(sed -n 's/^control \([-0-9]*\) \([A-Za-z]*\) .*/\1 \2/p' "$work/enter.report" | tr '\n' ',')
[[ $controls == "1 Button,-1 Static,-1 Static,1003 Button,-1 Static,-1 Static,-1 Static," ]] ||
    fail "controls are $controls"
read -r -a picture <<<"$(report enter picture)"
[[ ${picture[*]:0:3} == "160 120 shown" ]] || fail "picture control holds ${picture[*]}"
[[ $(report enter icon) == loaded ]] || fail "icon control holds no icon"
[[ $(report enter active) == "yes foreground yes" ]] || fail "the dialog is not the active window: $(report enter active)"
read -r -a rect <<<"$(report enter dialog)"
if ((${#rect[@]} == 4)); then
    # Centred on the 1024x768 screen (DS_CENTER), give or take the rounding of odd sizes.
    centre_x=$(((rect[0] + rect[2]) / 2)) centre_y=$(((rect[1] + rect[3]) / 2))
    ((centre_x >= 511 && centre_x <= 512 && centre_y >= 383 && centre_y <= 384)) ||
        fail "dialog ${rect[*]} is not centred"
fi
sleep 1 # let the dialog finish painting
import -window root "$work/screen.png"
# The picture control shows the still in its client area. Wine draws the bitmap stretched to that area,
# which the frame makes a few pixels smaller than the still, so compare with the still resampled to the
# same size: the same picture stays within a few per cent, another moment of the show or the still
# shifted by a few pixels differs by a quarter.
if ((${#picture[@]} == 7)); then
    size="${picture[5]}x${picture[6]}"
    if ! convert "$work/screen.png" -crop "$size+${picture[3]}+${picture[4]}" +repage "$work/shown.ppm" ||
        ! convert "$still" -sample "$size!" "$work/expected.ppm"; then
        fail "cannot cut out the picture"
    fi
    difference=$(compare -metric RMSE "$work/shown.ppm" "$work/expected.ppm" null: 2>&1 | sed -n 's/.*(\(.*\))/\1/p')
    awk -v d="$difference" 'BEGIN { exit !(d != "" && d < 0.1) }' ||
        fail "the picture on screen is not the still (normalised RMS difference ${difference:-unknown})"
fi
if [[ -n $screenshot && ${#rect[@]} == 4 ]]; then
    convert "$work/screen.png" -crop "$((rect[2] - rect[0]))x$((rect[3] - rect[1]))+${rect[0]}+${rect[1]}" +repage \
        -define png:compression-level=9 "$screenshot" || fail "cannot write $screenshot"
fi
xdotool key Return
finish_dialog enter 1

# Esc ends the dialog as cancel.
start_dialog escape
xdotool key Escape
finish_dialog escape 2

# The close box, clicked where the dialog reports it.
start_dialog close
close_point=$(report close close)
if [[ $close_point =~ ^[0-9]+\ [0-9]+$ ]]; then
    xdotool mousemove --sync "${close_point% *}" "${close_point#* }" click 1
else
    fail "the dialog has no close box"
fi
finish_dialog close 2

# "接続", pressed twice: each press opens the maker's address through the shell, and the dialog stays.
start_dialog connect
connect_rect=$(sed -n 's/^control 1003 Button //p' "$work/connect.report")
for press in 1 2; do
    click_rect "$connect_rect"
    for ((i = 0; i < 300; i++)); do
        (($(wc -l <"$log") >= press)) && break
        sleep 0.1
    done
    (($(wc -l <"$log") == press)) || fail "press $press of 接続: the shell recorded $(wc -l <"$log") openings"
    sleep 0.5
    dialog_is_open || fail "press $press of 接続 closed the dialog"
done
while read -r line; do
    [[ $line == "open $address" ]] || fail "the shell was asked to open '$line', expected $address"
done <"$log"
click_rect "$(sed -n 's/^control 1 Button //p' "$work/connect.report")"
finish_dialog connect 1

# Without its template the dialog cannot be created: DialogBoxParamA's failure value, -1.
"$wine_run" "$driver" --no-template >"$work/no-template.out" 2>&1
code=$?
[[ $code == 255 ]] || fail "without the template: exit code $code, expected 255 (-1)"

restore_handler
[[ $(handler) == "$original" ]] || fail "the https handler was not put back: $(handler)"

if ((failures == 0)); then
    echo "about dialog: Enter, Esc, close box, 接続 twice and OK, missing template: all as expected"
fi
exit $((failures > 0))
