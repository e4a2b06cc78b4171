#!/usr/bin/env bash
# The preview under Wine: inside a host window of a few hundred pixels the preview bitmap is stretched over
# the whole client area; keys, clicks and mouse movement do not close it; WM_HELP and WM_CONTEXTMENU are
# answered with 1 and forwarded to the host with the host's handle as wParam; destroying the host ends the run
# with 0. The forwarding is a PostMessageA, which the system refuses for WM_HELP (its lParam is a pointer, and
# pointers cannot be posted), so only WM_CONTEXTMENU can be seen arriving.
#   preview_test.sh DRIVER.exe SEND_MESSAGE.exe   (run by CTest; starts its own X server)
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)"
# shellcheck source=saver_test_lib.sh
. "$here/saver_test_lib.sh"
driver=$1
send=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

XVFB_WIDTH=800 XVFB_HEIGHT=600 "$root/scripts/xvfb-run-here" bash -c "
    . '$here/saver_test_lib.sh'; work='$work'
    use_virtual_desktop 800x600 '$(basename "$driver")' '$(basename "$send")'
    for size in '320 240' '152 112'; do
        set -- \$size
        start preview '$driver' host \$1 \$2
        wait_window 'Preview host' 20 || fail 'no host window'
        sleep 2
        # The host's client area: find the child's place from the host window's X geometry is not
        # possible inside a virtual desktop, so look for the bitmap's colours on the whole screen instead.
        import -window root \"\$work/preview.png\"
        mkdir -p '$root/build/screenshots' && cp \"\$work/preview.png\" '$root/build/screenshots/preview-'\$1x\$2.png
        colours=\$(convert \"\$work/preview.png\" -fuzz 0% -fill black -opaque white -format '%[fx:mean]' info:)
        holds \"\$colours > 0.005\" && pass \"\$1x\$2: the preview shows a picture\" || fail \"\$1x\$2: no picture in the preview (\$colours)\"
        xdotool mousemove 100 100; sleep 0.3; xdotool mousemove 200 150; sleep 0.3
        xdotool key a; sleep 0.3; xdotool click 1; sleep 0.3; xdotool click 3; sleep 0.5
        alive preview && pass \"\$1x\$2: keys, clicks and mouse movement keep the preview\" || fail \"\$1x\$2: input ended the preview\"
        help=\$('$wine_run' '$send' preview help | tr -d '\r')
        menu=\$('$wine_run' '$send' preview contextmenu | tr -d '\r')
        [ \"\$help\" = 1 ] && [ \"\$menu\" = 1 ] && pass \"\$1x\$2: WM_HELP and WM_CONTEXTMENU answer 1\" || fail \"\$1x\$2: WM_HELP answered '\$help', WM_CONTEXTMENU '\$menu'\"
        sleep 0.5
        grep -q 'host got WM_CONTEXTMENU wParam=host' \"\$work/preview.out\" &&
            pass \"\$1x\$2: WM_CONTEXTMENU reached the host with its own handle\" || fail \"\$1x\$2: the host got: \$(cat \"\$work/preview.out\")\"
        '$wine_run' '$send' host close >/dev/null
        [ \"\$(wait_exit preview 10)\" = 0 ] && pass \"\$1x\$2: destroying the host ends the preview with 0\" || { fail \"\$1x\$2: the preview did not end with 0\"; stop_all; }
    done
    exit \$failures"
failures=$?
echo "$failures failure(s)"
exit $((failures > 0))
