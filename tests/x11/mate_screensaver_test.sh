#!/usr/bin/env bash
# The MATE desktop's screen saver runs orvelle from its Debian package: the package built by CPack and
# unpacked holds a valid desktop entry; Debian's mate-screensaver, on a private Xvfb server and in a private
# D-Bus session, set to that entry, blanks the screen when told to and runs the packaged program in its
# window: the picture centred on black, advancing; a pointer movement, then a key, end it with orvelle gone.
# mate-screensaver-preferences then plays it in its preview, a window smaller than the picture.
#
#   mate_screensaver_test.sh BUILD-DIR   (run by CTest)
#
# mate-screensaver runs only programs in its own and XScreenSaver's folders, so the test runs it in a mount
# namespace of its own (unshare; a user namespace too when not root) where the package's program folder is
# bound over that folder of the machine, which does not change. Exits 77 (skipped) where that folder is
# missing (XScreenSaver not installed) or no namespace can be made. The screenshots are left in
# build/screenshots/mate-screensaver-orvelle.png and mate-screensaver-preferences.png.
# Functions run by name (through traps or eventually) are reached.
# shellcheck disable=SC2317
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd -P)"
# failures, fail, skip and eventually; x_server_start.
# shellcheck source=../test_lib.sh
. "$root/tests/test_lib.sh"
# shellcheck source=../../scripts/lib/x-server.sh
. "$root/scripts/lib/x-server.sh"
# Ended, or ended and waiting for its parent to collect it.
gone() {
    local state
    state=$(ps -o stat= -p "$1")
    [[ -z $state || $state == Z* ]]
}
# Sets orvelle to the orvelle that the process $1 runs.
find_orvelle() {
    orvelle=$(ps -o pid=,comm= --ppid "$1" | awk '$2 == "orvelle" { print $1 }')
    [ -n "$orvelle" ]
}
mkdir -p "$root/build/screenshots"

# Full screen: what is not black is the 640x480 area in the middle, the sea reaching its sides and bottom.
shows_picture() {
    local box
    import -window root "$work/screen.png" 2>/dev/null || return 1
    box=$(convert "$work/screen.png" -format '%@' info:)
    [[ $box =~ ^640x([0-9]+)\+192\+([0-9]+)$ ]] && ((BASH_REMATCH[2] >= 144 && BASH_REMATCH[1] + BASH_REMATCH[2] == 624))
}
# The preview: not all black.
shows_preview() {
    import -window "$window" "$work/preview.png" 2>/dev/null &&
        [ "$(convert "$work/preview.png" -format '%[max]' info:)" != 0 ]
}
# Two screenshots in a row by the check $1, into $work/$2.png, differ.
advancing() {
    "$1" && cp "$work/$2.png" "$work/before.png" && sleep 0.2 && "$1" &&
        ! compare -metric AE "$work/before.png" "$work/$2.png" null: 2>/dev/null
}
# Input (xdotool's arguments) sent before the saver watches for it is lost: sent until it ends orvelle.
ends_show() { xdotool "$@" && gone "$orvelle"; }
inactive() { mate-screensaver-command --query | grep -q 'is inactive'; }

# Activates the saver, checks the screen and ends the show by the input in the arguments; fails when no
# orvelle runs.
show_once() {
    mate-screensaver-command --activate >/dev/null || fail "mate-screensaver-command --activate failed"
    if ! eventually find_orvelle "$saver"; then
        fail "mate-screensaver did not run orvelle: $(grep -E 'command|job' "$work/mate-screensaver.log" | tail -3)"
        return 1
    fi
    eventually shows_picture || fail "the screen does not show the picture centred on black"
    eventually advancing shows_picture screen || fail "the picture does not advance"
    cp "$work/screen.png" "$root/build/screenshots/mate-screensaver-orvelle.png"
    eventually ends_show "$@" || fail "xdotool $* did not end orvelle"
    eventually inactive || fail "still active after xdotool $*"
}

# The preferences' preview, in a window smaller than the picture; closing the preferences ends it.
preview() {
    mate-screensaver-preferences >"$work/preferences.log" 2>&1 &
    local preferences=$! size
    if eventually find_orvelle "$preferences"; then
        window=$(tr '\0' '\n' <"/proc/$orvelle/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
        size=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
        if ! [[ $size =~ ^([0-9]+)x([0-9]+)$ ]] || ((BASH_REMATCH[1] >= 640 || BASH_REMATCH[2] >= 480)); then
            fail "the preview window is $size, not smaller than the picture"
        fi
        eventually advancing shows_preview preview || fail "the preview shows no advancing picture"
        import -window root "$root/build/screenshots/mate-screensaver-preferences.png"
    else
        fail "the preferences do not preview orvelle"
    fi
    kill "$preferences" && wait "$preferences"
    [ -z "$orvelle" ] || eventually gone "$orvelle" || fail "orvelle still runs after the preferences closed"
}

# Inside the namespace and the D-Bus session, with the environment set outside.
in_session() {
    local key
    for key in "mode single" "themes ['screensavers-orvelle']" "lock-enabled false"; do
        gsettings set org.mate.screensaver "${key%% *}" "${key#* }" || fail "gsettings set $key failed"
    done
    mate-screensaver --no-daemon --debug >"$work/mate-screensaver.log" 2>&1 &
    saver=$!
    eventually mate-screensaver-command --query >/dev/null 2>&1 || fail "mate-screensaver did not come up"
    show_once mousemove_relative -- 40 40 && show_once key space && preview
    mate-screensaver-command --exit >/dev/null
    eventually gone "$saver" || { fail "mate-screensaver did not exit"; kill "$saver"; }
    wait "$saver"
    # mate-screensaver logs each line that its program writes to stderr as "command output".
    ! grep -q 'command output' "$work/mate-screensaver.log" ||
        fail "orvelle said something: $(grep 'command output' "$work/mate-screensaver.log")"
    return $((failures > 0))
}
orvelle=
saver=
window=
if [ "${1-}" = --in-session ]; then
    work=$2
    in_session
    exit
fi

build=$1
work=$(mktemp -d)
cleanup() {
    [ -n "$x_server_pid" ] && kill "$x_server_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { fail "cpack: $(tail -5 "$work/cpack.log")"; exit 1; }
dpkg-deb -x "$work"/package/orvelle_*.deb "$work/root"
entry="$work/root/usr/share/applications/screensavers/orvelle.desktop"
desktop-file-validate "$entry" >"$work/validate.log" 2>&1 || fail "desktop-file-validate: $(cat "$work/validate.log")"
program=$(sed -n 's/^TryExec=//p' "$entry")
[ -x "$work/root$program" ] || { fail "the entry names $program, which the package does not hold"; exit 1; }
folder=$(dirname "$program")
[ -d "$folder" ] || skip "no $folder to bind the package's over (is XScreenSaver installed?)"
namespace=(unshare --mount --propagation private)
[ "$EUID" = 0 ] || namespace=(unshare --user --map-root-user --mount --propagation private)
"${namespace[@]}" true 2>/dev/null || skip "${namespace[*]} is not allowed here"

# -noreset: without it the server resets when its last client leaves, dropping a client that is connecting
# just then (the saver starting while a command polls for it).
x_server_start "$work" 60 "$work/xvfb.log" Xvfb -screen 0 1024x768x24 -nolisten tcp -noreset ||
    { fail "Xvfb did not start: $(cat "$work/xvfb.log")"; exit 1; }
mkdir -p "$work/home"
# The entries of the unpacked package come first; XDG_CURRENT_DESKTOP as in a MATE session.
# shellcheck disable=SC2016
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_DATA_HOME="$work/home/.local/share" XDG_DATA_DIRS="$work/root/usr/share:/usr/share" \
    XDG_CURRENT_DESKTOP=MATE "${namespace[@]}" sh -c 'mount --bind "$1" "$2" && exec dbus-run-session -- "$3" --in-session "$4"' \
    sh "$work/root$folder" "$folder" "$0" "$work" 2>&1 | grep -v '^dbus-daemon\|^SpiRegistry'
[ "${PIPESTATUS[0]}" = 0 ] || fail "mate-screensaver does not run orvelle as it should (see above)"

[ $failures = 0 ] && echo "mate-screensaver runs orvelle: all good"
exit $((failures > 0))
