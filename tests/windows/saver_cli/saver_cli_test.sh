#!/usr/bin/env bash
# The saver's command line, black-box: the real Orvelle.scr under Wine, started with exact command-line bytes
# (cli_launch), in a virtual desktop of a private X server together with the windows it is pointed at
# (cli_windows host). Every case runs its mode to the end the way that mode ends - a key for the full-screen
# show, Enter or Esc for the about dialog, destroying the host window for a preview - and checks the exit
# code and what was shown: the full-screen window, the preview child inside the right host window, the
# dialog's owner window, the change-password call that reached the stand-in MPR.DLL.
#
#   saver_cli_test.sh ORVELLE.scr MPR.DLL CLI_LAUNCH.exe CLI_ECHO.exe CLI_WINDOWS.exe PASSWORD.CPL
#   (run by CTest)
#
# The saver runs under names of its own (cli-orvelle.scr, and cli-orvelle-98.scr and cli-orvelle-95.scr
# with Wine reporting Windows 98 and 95 to them), never as Orvelle.scr, whose per-program settings in the
# prefix stay untouched.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)"

# shellcheck source=../saver_window/saver_test_lib.sh
. "$here/../saver_window/saver_test_lib.sh"
# Everything below runs inside one private X server.
x_server_rerun_on_xvfb ORVELLE_SAVER_CLI_INSIDE "$0" "$@"

saver=$1
mpr=$2
launch=$3
echo_program=$4
windows=$5
password_cpl=$6
work=$(mktemp -d /tmp/orvelle-cli.XXXXXX)
trap 'remove_private_prefix; rm -rf "$work"' EXIT

windows_path() { echo "Z:${1//\//\\}"; }
quiet() { "$@" >/dev/null 2>&1; }
# Output of a Windows console program without its carriage returns.
run_windows() { "$wine_run" "$@" 2>/dev/null | tr -d '\r'; }

# The saver four times: plain, as Windows 98, as Windows 95, and in a folder whose name has a space in it; the
# stand-in MPR.DLL and PASSWORD.CPL in the system directory of a private copy of the prefix.
spaced="$work/Orvelle saver"
mkdir -p "$spaced"
cp "$saver" "$work/cli-orvelle.scr"
cp "$saver" "$work/cli-orvelle-98.scr"
cp "$saver" "$work/cli-orvelle-95.scr"
cp "$saver" "$spaced/cli-orvelle.scr"
use_private_prefix
install_system_library "$password_cpl" PASSWORD.CPL
install_system_library "$mpr" MPR.DLL
plain_path=$(windows_path "$work/cli-orvelle.scr")
win98_path=$(windows_path "$work/cli-orvelle-98.scr")
win95_path=$(windows_path "$work/cli-orvelle-95.scr")
spaced_path=$(windows_path "$spaced/cli-orvelle.scr")
log="$work/mpr.log"
export ORVELLE_TEST_LOG
ORVELLE_TEST_LOG=$(windows_path "$log")

use_virtual_desktop 1024x768 cli-orvelle.scr cli-orvelle-98.scr cli-orvelle-95.scr "$(basename "$launch")" \
    "$(basename "$echo_program")" "$(basename "$windows")"
app_key='HKCU\Software\Wine\AppDefaults'
desktop_key='HKCU\Control Panel\Desktop'
quiet "$wine_run" reg delete "$app_key\\cli-orvelle.scr" /v Version /f
quiet "$wine_run" reg add "$app_key\\cli-orvelle-98.scr" /v Version /t REG_SZ /d win98 /f ||
    fail "cannot set the Windows 98 version for cli-orvelle-98.scr"
quiet "$wine_run" reg add "$app_key\\cli-orvelle-95.scr" /v Version /t REG_SZ /d win95 /f ||
    fail "cannot set the Windows 95 version for cli-orvelle-95.scr"
# The copies load the stand-in MPR.DLL rather than Wine's, so that a call on the NT platform would show too.
for name in cli-orvelle.scr cli-orvelle-98.scr cli-orvelle-95.scr; do
    quiet "$wine_run" reg add "$app_key\\$name\\DllOverrides" /v mpr /t REG_SZ /d native,builtin /f ||
        fail "cannot set the MPR.DLL override for $name"
done

# The windows the saver is pointed at: an owner (the foreground window), another window and preview hosts.
previews=7
start host "$windows" host $previews
for ((i = 0; i < 300; i++)); do
    grep -q '^owner' "$work/host.out" 2>/dev/null && break
    sleep 0.1
done
host_value() { tr -d '\r' <"$work/host.out" | sed -n "s/^$1 //p"; }
owner=$(host_value owner)
other=$(host_value other)
if [[ ! $owner =~ ^[0-9]+$ || ! $other =~ ^[0-9]+$ ]]; then
    fail "the host windows did not come up: $(cat "$work/host.out")"
    exit 1
fi
preview_hosts=()
for ((k = 1; k <= previews; k++)); do preview_hosts+=("$(host_value "preview $k")"); done
next_preview=0
# A number that names no window.
no_window=
for candidate in 123456789 987654321 555555555; do
    if [ "$(run_windows "$windows" iswindow $candidate)" = no ]; then
        no_window=$candidate
        break
    fi
done
[ -n "$no_window" ] || fail "found no number that names no window"

# The cases. Fields, separated by '|':
#   what the case is
#   the command line: @PLAIN (the saver's path, no space in it), @SPACED (a path with a space in it,
#     unquoted), @QUOTED (the same in double quotes), @WIN98 or @WIN95 (the Windows 98 or 95 copy), then the
#     argument text with printf escapes (\t, \xHH, \x20); {OWNER}, {OTHER}, {NOWIN} and {PREVIEW} (the next
#     unused preview host) stand for window handles written in decimal
#   how the run ends: key (the full-screen window comes up, a key ends it), second (the same, with a second run
#     started meanwhile), destroy (the preview child comes up in the host, the host is destroyed), enter or esc
#     (the about dialog comes up and gets that key), none (the run ends by itself, within 15 seconds)
#   the exit code (signed; Wine's own exit status is its low byte, 255 for -1)
#   for dialogs the owner window (OWNER, OTHER or 0); for /a, mpr=HANDLE for the one call to PwdChangePasswordA
#     or nompr for none; password: the screen-saver password is on for the run, and the key goes through
#     VerifyScreenSavePwd (which says yes)
#   when the system changes the bytes on the way: the command line as the program receives it; command lines
#     with bytes outside printable ASCII are checked to arrive as this, or unchanged when it is empty
cases=(
    # Full screen: the letter S after any mix of blanks, '-' and '/'; whatever follows it is ignored.
    "/s                                   | @PLAIN /s                 | key     |  0 |"
    "-S                                   | @PLAIN -S                 | key     |  0 |"
    "s                                    | @PLAIN s                  | key     |  0 |"
    "/ /s                                 | @PLAIN / /s               | key     |  0 |"
    "/s 1234: the number is ignored       | @PLAIN /s 1234            | key     |  0 |"
    "a tab between program and switch     | @PLAIN\t/s                | key     |  0 |"
    "a second /s while one runs           | @PLAIN /s                 | second  |  0 |"
    # Preview: P or L, spaces, a decimal window handle of a real window.
    "/p HWND                              | @PLAIN /p {PREVIEW}       | destroy |  0 |"
    "/pHWND, no space                     | @PLAIN /p{PREVIEW}        | destroy |  0 |"
    "/P  HWND, two spaces                 | @PLAIN /P  {PREVIEW}      | destroy |  0 |"
    "/l HWND                              | @PLAIN /l {PREVIEW}       | destroy |  0 |"
    "/p:HWND reads handle 0               | @PLAIN /p:{OWNER}         | none    | -1 |"
    "/p 0                                 | @PLAIN /p 0               | none    | -1 |"
    "/p with a number that is no window   | @PLAIN /p {NOWIN}         | none    | -1 |"
    "/p, a tab, HWND: only spaces skipped | @PLAIN /p\t{OWNER}        | none    | -1 |"
    "/p without a number                  | @PLAIN /p                 | none    | -1 |"
    # The about dialog: owned by the window after /c:, otherwise by the foreground window; no owner without
    # a switch.
    "/c:HWND                              | @PLAIN /c:{OTHER}         | enter   |  1 | OTHER"
    "/c HWND, no colon: foreground owner  | @PLAIN /c {OTHER}         | esc     |  2 | OWNER"
    "/c                                   | @PLAIN /c                 | esc     |  2 | OWNER"
    "/c:0                                 | @PLAIN /c:0               | enter   |  1 | OWNER"
    "/c: with a number that is no window  | @PLAIN /c:{NOWIN}         | esc     |  2 | OWNER"
    "empty argument text                  | @PLAIN                    | esc     |  2 | 0"
    "only spaces                          | @PLAIN\x20\x20\x20\x20    | enter   |  1 | 0"
    "-                                    | @PLAIN -                  | esc     |  2 | 0"
    "/                                    | @PLAIN /                  | enter   |  1 | 0"
    "a mix of spaces, '-' and '/'         | @PLAIN -/ -//\x20         | esc     |  2 | 0"
    # Change password: Windows 95/98/Me only; a missing or bad handle means the foreground window.
    "/a HWND on Windows 98                | @WIN98 /a {OTHER}         | none    |  0 | mpr=OTHER"
    "/aHWND on Windows 98                 | @WIN98 /a{OTHER}          | none    |  0 | mpr=OTHER"
    "/a on Windows 98                     | @WIN98 /a                 | none    |  0 | mpr=OWNER"
    "/a no window on Windows 98           | @WIN98 /a {NOWIN}         | none    |  0 | mpr=OWNER"
    "/a HWND on NT                        | @PLAIN /a {OTHER}         | none    | -1 | nompr"
    # Windows 95 as first released: every mode, full screen with and without the password.
    "/s on Windows 95                     | @WIN95 /s                 | key     |  0 |"
    "/s on Windows 95 with a password     | @WIN95 /s                 | key     |  0 | password"
    "/p HWND on Windows 95                | @WIN95 /p {PREVIEW}       | destroy |  0 |"
    "/c on Windows 95                     | @WIN95 /c                 | esc     |  2 | OWNER"
    "/a HWND on Windows 95                | @WIN95 /a {OTHER}         | none    |  0 | mpr=OTHER"
    # Anything else: -1 at once.
    "/x                                   | @PLAIN /x                 | none    | -1 |"
    "/?                                   | @PLAIN /?                 | none    | -1 |"
    "a digit: /1234                       | @PLAIN /1234              | none    | -1 |"
    "a tab right after '/'                | @PLAIN /\ts               | none    | -1 |"
    "fullwidth S (Shift-JIS 82 72)        | @PLAIN /\x82\x72          | none    | -1 |"
    "fullwidth s (Shift-JIS 82 93)        | @PLAIN /\x82\x93          | none    | -1 |"
    "byte D3 ('S' + 0x80, katakana mo)    | @PLAIN /\xd3              | none    | -1 |"
    "bytes F3 40 ('s' + 0x80, user char)  | @PLAIN /\xf3\x40          | none    | -1 |"
    # A lead byte with nothing after it is not a character: Wine drops it when it passes the command line
    # on, and the saver gets "/" alone.
    "lone lead byte 82 after '/'          | @PLAIN /\x82              | esc     |  2 | 0     | @PLAIN /"
    # The program name: in quotes up to the closing quote, otherwise up to the first blank.
    "quoted path with a space, nothing    | @QUOTED                   | esc     |  2 | 0"
    "quoted path with a space, /c:HWND    | @QUOTED /c:{OTHER}        | enter   |  1 | OTHER"
    "quoted path, /s right after quote    | @QUOTED/s                 | key     |  0 |"
    "quoted path with a space, /p HWND    | @QUOTED /p {PREVIEW}      | destroy |  0 |"
    "unquoted path with a space: ...saver | @SPACED /x                | key     |  0 |"
)

trim() { sed 's/^[[:space:]]*//; s/[[:space:]]*$//' <<<"$1"; }
hex() { od -An -tx1 -v | tr -d ' \n'; }
# Expands a command-line field; sets line_hex (the bytes in hex) and line_app (the program to start).
expand_line() {
    local field=$1 prefix rest
    prefix=${field%%[ \\/]*}
    [[ $field == @* ]] || prefix=
    rest=${field#"$prefix"}
    rest=${rest//\{OWNER\}/$owner}
    rest=${rest//\{OTHER\}/$other}
    rest=${rest//\{NOWIN\}/$no_window}
    rest=${rest//\{PREVIEW\}/$preview_host}
    local name
    case $prefix in
    @PLAIN) name=$plain_path line_app=$plain_path ;;
    @WIN98) name=$win98_path line_app=$win98_path ;;
    @WIN95) name=$win95_path line_app=$win95_path ;;
    @SPACED) name=$spaced_path line_app=$spaced_path ;;
    @QUOTED) name="\"$spaced_path\"" line_app=$spaced_path ;;
    *) name='' line_app=$plain_path ;;
    esac
    line_hex=$( (printf '%s' "$name" && printf '%b' "$rest") | hex)
    line_args_hex=$(printf '%b' "$rest" | hex)
}
# True when the hex bytes hold one outside printable ASCII.
unusual_bytes() {
    local h=$1 i byte
    for ((i = 0; i < ${#h}; i += 2)); do
        byte=$((16#${h:i:2}))
        ((byte < 0x20 || byte > 0x7e)) && return 0
    done
    return 1
}

# The started run: its exit code once ended ("running" before), its process id.
run_code() { tr -d '\r' <"$work/$1.out" | sed -n 's/^exit //p'; }
run_pid() { tr -d '\r' <"$work/$1.out" | sed -n 's/^started //p'; }
# Waits up to $2 seconds for run $1 to end and prints its exit code; ends it and prints "running" if it does
# not end. The launcher's code and Wine's exit status (its low byte) must agree, otherwise "status N" follows.
finish() { # name seconds
    if [ "$(wait_exit "$1" "$2")" = running ]; then
        quiet "$wine_run" "$windows" terminate "$(run_pid "$1")"
        wait_exit "$1" 10 >/dev/null
        echo running
        return
    fi
    local code rc
    code=$(run_code "$1")
    rc=$(cat "$work/$1.rc")
    if [ -n "$code" ] && [ "$rc" = $((code & 255)) ]; then echo "$code"; else echo "${code:-none} status $rc"; fi
}
# Waits up to $2 seconds for window $1 to be the foreground window.
wait_foreground() { # window seconds
    local deadline=$((SECONDS + $2))
    until [[ $(run_windows "$windows" foreground) == "foreground $1 "* ]]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}
handle_of() { case $1 in OWNER) echo "$owner" ;; OTHER) echo "$other" ;; *) echo "$1" ;; esac; }

results=()
number=0
for row in "${cases[@]}"; do
    IFS='|' read -r what line ending expected check arrives <<<"$row"
    what=$(trim "$what") line=$(trim "$line") ending=$(trim "$ending") expected=$(trim "$expected")
    check=$(trim "${check:-}") arrives=$(trim "${arrives:-}")
    number=$((number + 1))
    tag="case $number ($what)"
    problems=()
    preview_host=
    if [[ $line == *"{PREVIEW}"* ]]; then
        preview_host=${preview_hosts[$next_preview]:-}
        next_preview=$((next_preview + 1))
        [ -n "$preview_host" ] || { fail "$tag: no preview host left"; continue; }
    fi
    expand_line "$line"
    app=$line_app sent=$line_hex

    # Bytes outside printable ASCII: see what the program receives.
    if unusual_bytes "$line_args_hex"; then
        expected_hex=$sent
        [ -n "$arrives" ] && { expand_line "$arrives" && expected_hex=$line_hex; }
        received=$(run_windows "$launch" "$(windows_path "$echo_program")" "$sent" | sed -n 2p)
        [ "$received" = "$expected_hex" ] || problems+=("received ${received:-nothing}, expected $expected_hex")
    fi

    # Dialogs and password changes start with the owner window in front, so that a foreground owner is known.
    if [[ $ending == enter || $ending == esc || $check == mpr=* || $check == nompr ]]; then
        front=$(run_windows "$windows" front "$owner")
        [ "$front" = "foreground $owner" ] || problems+=("the owner window could not be brought to the front ($front)")
    fi
    : >"$log"

    name=run$number
    [ "$check" = password ] &&
        quiet "$wine_run" reg add "$desktop_key" /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f
    start "$name" "$launch" "$app" "$sent"
    got=
    case $ending in
    key | second)
        shown=$(run_windows "$windows" window "Screen Saver" 20)
        if [ "$shown" = "${shown#window }" ] || [[ $shown != *" class WindowsScreenSaverClass" ]]; then
            problems+=("no full-screen window (${shown:-nothing})")
        else
            saver_window=${shown#window }
            saver_window=${saver_window%% *}
            # Input is sent once the show runs: Wine may take seconds to start it on a busy machine.
            wait_show "$name" 30 || problems+=("the show did not start")
            front=$(run_windows "$windows" foreground)
            [[ $front == "foreground $saver_window "* ]] || problems+=("the full-screen window is not in front ($front)")
            if [ "$ending" = second ]; then
                start "$name-2" "$launch" "$app" "$sent"
                second=$(finish "$name-2" 10)
                [ "$second" = 0 ] || problems+=("the second run ended with $second, expected 0 at once")
                alive "$name" || problems+=("the first run ended along with the second")
            fi
            # Without a window manager Wine does not always move the X keyboard focus along with the foreground
            # window: a window of another program that had it keeps it, and keys go there. So the key is typed
            # into the saver's own X window.
            xdotool windowfocus "$(xdotool search --name '^Screen Saver$' | head -1)"
            sleep 0.2
            xdotool key a
        fi
        got=$(finish "$name" 10)
        ;;
    destroy)
        child=$(run_windows "$windows" child "$preview_host" 20)
        [ "$child" = "child WindowsScreenSaverClass|Preview" ] ||
            problems+=("the preview host holds ${child:-nothing}, expected the saver's Preview child")
        sleep 1
        alive "$name" || problems+=("the preview ended by itself")
        quiet "$wine_run" "$windows" close "$preview_host"
        got=$(finish "$name" 10)
        ;;
    enter | esc)
        dialog=$(run_windows "$windows" dialog 20)
        if [[ $dialog =~ ^dialog\ [0-9]+\ owner\ ([0-9]+)\ owner-enabled\ ([01])\ title\ ([0-9a-f]*)$ ]]; then
            dialog_owner=${BASH_REMATCH[1]} owner_enabled=${BASH_REMATCH[2]} title=${BASH_REMATCH[3]}
            want_owner=$(handle_of "$check")
            [ "$dialog_owner" = "$want_owner" ] || problems+=("dialog owner $dialog_owner, expected $check ($want_owner)")
            [ "$dialog_owner" = 0 ] || [ "$owner_enabled" = 0 ] || problems+=("the owner stays enabled under the modal dialog")
            [ "$title" = 4b65737472756e658145 ] || problems+=("dialog title bytes $title, expected Kestrune・")
            # The key is typed once the dialog is the foreground window, which takes the keyboard.
            wait_foreground "$(cut -d' ' -f2 <<<"$dialog")" 20 || problems+=("the about dialog never came to the front")
            if [ "$ending" = enter ]; then xdotool key Return; else xdotool key Escape; fi
        else
            problems+=("no about dialog (${dialog:-nothing})")
        fi
        got=$(finish "$name" 10)
        ;;
    none)
        got=$(finish "$name" 15)
        ;;
    esac

    [ "$check" = password ] && quiet "$wine_run" reg delete "$desktop_key" /v ScreenSaveUsePassword /f
    [ "$check" != password ] || grep -q '^VerifyScreenSavePwd returns' "$log" ||
        problems+=("the key did not go through VerifyScreenSavePwd")
    calls=$(tr -d '\r' <"$log" 2>/dev/null | grep '^PwdChangePasswordA' | sed 's/ tick=[0-9]*//')
    case $check in
    mpr=*)
        want="PwdChangePasswordA provider=SCRSAVE hwnd=$(handle_of "${check#mpr=}") flags=0 reserved=0"
        [ "$calls" = "$want" ] || problems+=("MPR.DLL got '${calls:-no call}', expected '$want'")
        ;;
    *) [ -z "$calls" ] || problems+=("MPR.DLL got '$calls', expected no call") ;;
    esac

    [ "$got" = "$expected" ] || problems+=("exit code $got, expected $expected")
    if [ ${#problems[@]} -eq 0 ]; then
        pass "$tag: exit $got"
        verdict=ok
    else
        for problem in "${problems[@]}"; do fail "$tag: $problem"; done
        verdict=FAIL
    fi
    results+=("$(printf '%-4s %-40s %8s %8s' "$verdict" "$what" "$expected" "$got")")
done

# The host must have outlived everything, its owner window still there.
[ "$(run_windows "$windows" iswindow "$owner")" = yes ] || fail "the owner window went away"
quiet "$wine_run" "$windows" close "$owner"
[ "$(wait_exit host 10)" = 0 ] || fail "the host did not end"

echo
printf '%-4s %-40s %8s %8s\n' "" "case" expected got
printf '%s\n' "${results[@]}"
echo "$failures failure(s)"
exit $((failures > 0))
