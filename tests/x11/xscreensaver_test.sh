#!/usr/bin/env bash
# XScreenSaver itself runs orvelle: installed by cmake --install (into a staging folder), named as the only
# program of a configuration, Debian's xscreensaver on a private Xvfb server blanks the screen when told to
# and runs it in its window; the screenshot shows orvelle-render's frame for the same time, centred, and
# deactivating ends orvelle without a word from it in XScreenSaver's log.
#
#   xscreensaver_test.sh BUILD-DIR ORVELLE-RENDER   (run by CTest)
#
# The screenshot is left in build/screenshots/xscreensaver-orvelle.png. XScreenSaver does not run its
# programs as root, so as root the daemon runs as nobody.
# Functions run by name (through traps, eventually, or declare -f in another shell) are reached.
# shellcheck disable=SC2317
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd -P)"
build=$1
render=$2
work=$(mktemp -d)
chmod 755 "$work"
# failures, fail and eventually; x_server_start.
# shellcheck source=../test_lib.sh
. "$root/tests/test_lib.sh"
# shellcheck source=../../scripts/lib/x-server.sh
. "$root/scripts/lib/x-server.sh"
saver=
cleanup() {
    [ -n "$saver" ] && kill "$saver" 2>/dev/null
    [ -n "$x_server_pid" ] && kill "$x_server_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

DESTDIR="$work/stage" cmake --install "$build" >"$work/install.log" 2>&1 || fail "cmake --install: $(cat "$work/install.log")"
program=$(find "$work/stage" -path '*/xscreensaver/orvelle' -type f -perm -u+x)
[ -n "$program" ] || fail "no program orvelle installed in an xscreensaver folder"
grep -q '<screensaver name="orvelle"' "$(find "$work/stage" -path '*/xscreensaver/config/orvelle.xml')" ||
    fail "no configuration orvelle.xml installed in xscreensaver/config"
[ $failures = 0 ] || exit 1

# -noreset: without it the server resets when its last client leaves, dropping a client that is connecting
# just then (the saver starting while a command polls for it).
x_server_start "$work" 60 "$work/xvfb.log" Xvfb -screen 0 1024x768x24 -nolisten tcp -noreset ||
    { fail "Xvfb did not start: $(cat "$work/xvfb.log")"; exit 1; }

# Frame 30 at 40 ms a frame, held: the picture to find on the screen.
frame="$work/frames/frame-00030.png"
"$render" --format 32 --tick-ms 40 --frames 30 --out "$work/frames" || fail "orvelle-render failed"

mkdir -p "$work/home"
cat >"$work/home/.xscreensaver" <<EOF
mode:		one
selected:	0
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
programs:	orvelle --root --tick-ms 40 --frames 30 \n
EOF
as_user=()
if [ "$EUID" = 0 ]; then
    chown -R nobody "$work/home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
HOME="$work/home" PATH="$(dirname "$program"):$PATH" "${as_user[@]}" xscreensaver --no-splash --verbose \
    >"$work/xscreensaver.log" 2>&1 &
saver=$!
eventually xscreensaver-command -version >/dev/null 2>&1 || fail "xscreensaver did not come up"
xscreensaver-command -activate >/dev/null 2>&1 || fail "xscreensaver-command -activate failed"

# orvelle, a child of XScreenSaver's xscreensaver-gfx.
orvelle_running() {
    local child
    orvelle=
    for child in $(ps -o pid= --ppid "$saver"); do
        orvelle+=$(ps -o pid=,comm= --ppid "$child" | awk '$2 == "orvelle" { print $1 }')
    done
    [ -n "$orvelle" ]
}
orvelle=
eventually orvelle_running || fail "xscreensaver did not start orvelle: $(tail -5 "$work/xscreensaver.log")"

shows_frame() {
    import -window root "$work/screen.png" 2>/dev/null &&
        convert "$work/screen.png" -crop 640x480+192+144 +repage "$work/picture.png" &&
        compare -metric AE "$work/picture.png" "$frame" null: 2>/dev/null
}
eventually shows_frame || fail "the screen does not show frame 30 centred"
mkdir -p "$root/build/screenshots" && cp "$work/screen.png" "$root/build/screenshots/xscreensaver-orvelle.png"

xscreensaver-command -deactivate >/dev/null 2>&1 || fail "xscreensaver-command -deactivate failed"
orvelle_gone() { ! kill -0 "$orvelle" 2>/dev/null; }
if [ -n "$orvelle" ]; then
    eventually orvelle_gone || fail "orvelle still runs after deactivation"
fi
# Everything orvelle writes to stderr lands in XScreenSaver's log, whose own lines start with its name or,
# for its banner, with a tab.
said=$(grep -v -E '^(xscreensaver|\s|$)' "$work/xscreensaver.log")
[ -z "$said" ] || fail "orvelle or Xlib said something: $said"

[ $failures = 0 ] && echo "xscreensaver runs orvelle: all good"
exit $((failures > 0))
