#!/usr/bin/env bash
# Libraries planted beside the saver never load: a ddraw.dll, a winmm.dll, a PASSWORD.CPL and an MPR.DLL that
# leave a marker when loaded lie in the saver's folder, Wine takes native libraries first for those names,
# as Windows searches them, and the saver runs its show (the picture moves), and, as Windows 98 (32-bit
# saver only), its password check through the stand-in verifier in the system directory and the password
# change; no marker may appear. The desktop is set to 200 %, and the picture must still be one to one and
# centred. The changes to the prefix stay in a private copy of it.
# Then a winmm.dll without the timer's functions in the system directory: the show has no frames, but the
# saver starts, stays up and ends with 0 on a key.
#   planted_library_test.sh ORVELLE.scr PLANTED.dll PASSWORD.CPL EMPTY.dll
#   (run by CTest; starts its own X server; EMPTY.dll is a library that exports nothing)
# Checks report as `condition && pass || fail` (or the reverse): pass and fail always succeed, so one runs.
# shellcheck disable=SC2015
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)"
# shellcheck source=saver_test_lib.sh
. "$here/saver_test_lib.sh"
XVFB_WIDTH=800 XVFB_HEIGHT=600 XVFB_DEPTH=24 x_server_rerun_on_xvfb ORVELLE_PLANTED_SESSION "$0" "$@"

saver=$1
planted=$2
password_cpl=$3
empty_library=$4
work=$(mktemp -d)
trap 'remove_private_prefix; rm -rf "$work"' EXIT
windows_path() { echo "Z:${1//\//\\}"; }

# shellcheck source=../../../scripts/lib/wine-arch.sh
. "$root/scripts/lib/wine-arch.sh"
orvelle_wine_arch_pick "$saver"
use_private_prefix
install_system_library "$password_cpl" PASSWORD.CPL
mkdir -p "$work/markers"
for name in ddraw.dll winmm.dll PASSWORD.CPL MPR.DLL; do
    cp "$planted" "$work/$name"
done
cp "$saver" "$work/planted-orvelle.scr"
cp "$saver" "$work/planted-orvelle-98.scr"
export ORVELLE_EXTRA_DLLOVERRIDES="ddraw,winmm,mpr=n,b" ORVELLE_PLANTED_MARKERS ORVELLE_TEST_LOG
ORVELLE_PLANTED_MARKERS=$(windows_path "$work/markers")
ORVELLE_TEST_LOG=$(windows_path "$work/password.log")
# The desktop at 200 % (192 dots per inch): the saver, aware of the scale through its manifest, still shows
# the picture one to one, centred.
"$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
use_virtual_desktop 800x600 planted-orvelle.scr planted-orvelle-98.scr
"$wine_run" reg add 'HKCU\Software\Wine\AppDefaults\planted-orvelle-98.scr' /v Version /t REG_SZ /d win98 /f >/dev/null 2>&1
"$wine_run" reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null 2>&1

routes="planted-orvelle.scr"
[ "$(orvelle_wine_arch_of "$saver")" = win32 ] && routes+=" planted-orvelle-98.scr"
for exe in $routes; do
    start "$exe" "$work/$exe" s
    if ! wait_window "Screen Saver" 20; then
        fail "$exe: no saver window"
        stop_all
        continue
    fi
    sleep 2
    import -window root "$work/a.png"
    sleep 1
    import -window root "$work/b.png"
    changed=$(differing_pixels "$work/a.png" "$work/b.png")
    holds "$changed > 1000" && pass "$exe: the show runs ($changed pixels changed in a second)" ||
        fail "$exe: the show does not run ($changed pixels changed)"
    # The sea spans the picture's whole width and ends at its bottom row: 640 wide from x 80, down to y 539.
    box=$(convert "$work/b.png" -format %@ info:)
    if [[ $box =~ ^640x([0-9]+)\+80\+([0-9]+)$ ]] && ((BASH_REMATCH[1] + BASH_REMATCH[2] == 540)); then
        pass "$exe: at 200 %, the picture one to one and centred ($box)"
    else
        fail "$exe: at 200 %, what is not black spans $box, not 640 wide from +80 down to row 539"
    fi
    xdotool key a
    rc=$(wait_exit "$exe" 10)
    [ "$rc" = 0 ] && pass "$exe: a key ends the run with 0" || { fail "$exe: after a key: $rc"; stop_all; }
done
if [[ $routes == *98* ]]; then
    grep -q '^VerifyScreenSavePwd ' "$work/password.log" 2>/dev/null && pass "the password was checked" ||
        fail "no password check: $(cat "$work/password.log" 2>/dev/null)"
    "$wine_run" "$work/planted-orvelle-98.scr" /a 0 >/dev/null 2>&1
    pass "the password change ran"
fi

install_system_library "$empty_library" winmm.dll
start no-timer "$work/planted-orvelle.scr" s
if wait_window "Screen Saver" 20; then
    sleep 2
    alive no-timer && pass "without the timer's functions the show stays up" || fail "without the timer: ended by itself"
    xdotool key a
    rc=$(wait_exit no-timer 10)
    [ "$rc" = 0 ] && pass "without the timer's functions a key ends the run with 0" || fail "without the timer: $rc"
else
    fail "without the timer's functions: no saver window"
fi
stop_all

markers=$(ls "$work/markers")
[ -z "$markers" ] && pass "no planted library was loaded" || fail "planted libraries were loaded: ${markers//$'\n'/ }"
echo "$failures failure(s)"
exit $((failures > 0))
