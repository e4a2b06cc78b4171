#!/usr/bin/env bash
# The screen-saver password as a lock on the full-screen show, under Wine with the stand-in PASSWORD.CPL in the
# system directory. One group of checks per call, each in its own private X server:
#   settings  Windows 98: which "ScreenSaveUsePassword" values turn the check on; the running-saver flag; the
#             200 ms pause after a failed attempt; "QueryCancelAutoPlay" with and without a password
#   platform  the NT platform: no library, no registry read of the setting, no running-saver flag, a key ends
#             the show at once
#   lock      Windows 98 with a password and a verifier that says no: every way in, one by one and in bursts
#             while the verifier's dialog is up, goes through the verifier, and the show goes on and keeps
#             the screen covered; once the verifier says yes the next activity ends the run with 0
#   password_lock_test.sh GROUP DRIVER.exe LOCK_SENDER.exe PASSWORD.CPL   (run by CTest)
# Checks report as `condition && pass || fail` (or the reverse): pass and fail always succeed, so one runs.
# Functions run by name (through traps, eventually, or declare -f in another shell) are reached.
# shellcheck disable=SC2015,SC2317
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)"

# shellcheck source=../saver_window/saver_test_lib.sh
. "$here/../saver_window/saver_test_lib.sh"
# Everything below runs inside one private X server, which also keeps every other Wine program out while
# the registry setting is changed.
x_server_rerun_on_xvfb ORVELLE_PASSWORD_LOCK_INSIDE "$0" "$@"

group=$1
work=$(mktemp -d)
# Each run says itself how long the verifier takes.
unset ORVELLE_TEST_PASSWORD_DELAY_MS ORVELLE_TEST_PASSWORD_ANSWERS
as_win98="$root/tests/windows/fixtures/as-win98"
desktop_key='HKCU\Control Panel\Desktop'

# The saver under a name of its own, once with the Windows 98 version and once without, the stand-in
# PASSWORD.CPL in the system directory of a private copy of the prefix; the sender in the same virtual desktop, so that it finds the saver's window.
saver98=orvelle_lock_saver.exe
saver_nt=orvelle_lock_saver_nt.exe
mkdir -p "$work/win98" "$work/nt"
cp "$2" "$work/win98/$saver98"
cp "$2" "$work/nt/$saver_nt"
use_private_prefix
install_system_library "$4" PASSWORD.CPL
cp "$3" "$work/orvelle_lock_sender.exe"
sender="$work/orvelle_lock_sender.exe"

windows_path() { echo "Z:${1//\//\\}"; }

quiet() { "$@" >/dev/null 2>&1; }

# The setting as it was before, put back however the test ends.
saved_setting=
if quiet "$wine_run" reg query "$desktop_key" /v ScreenSaveUsePassword; then
    saved_setting="$work/desktop.reg"
    quiet "$wine_run" reg export "$desktop_key" "$(windows_path "$saved_setting")" /y
fi
restore_setting() {
    quiet "$wine_run" reg delete "$desktop_key" /v ScreenSaveUsePassword /f
    [ -n "$saved_setting" ] && quiet "$wine_run" reg import "$(windows_path "$saved_setting")"
    remove_private_prefix
    rm -rf "$work"
}
trap restore_setting EXIT

use_password_setting() { # dword N | binary HEX | absent
    case $1 in
    dword) quiet "$wine_run" reg add "$desktop_key" /v ScreenSaveUsePassword /t REG_DWORD /d "$2" /f ;;
    binary) quiet "$wine_run" reg add "$desktop_key" /v ScreenSaveUsePassword /t REG_BINARY /d "$2" /f ;;
    absent) quiet "$wine_run" reg delete "$desktop_key" /v ScreenSaveUsePassword /f ;;
    esac
}

use_virtual_desktop 1024x768 "$saver98" "$saver_nt" "$(basename "$sender")"
# The NT saver must see the prefix's own (NT) version: no per-program Windows version for its name.
quiet "$wine_run" reg delete "HKCU\\Software\\Wine\\AppDefaults\\$saver_nt" /v Version /f

# A full-screen run in the background, as "show": its verifier answers what $work/answer says, logs to
# $log and takes ORVELLE_TEST_PASSWORD_DELAY_MS (the caller's) for each call.
log=
run_show() { # win98|nt
    log="$work/run$((++runs)).log"
    echo 0 >"$work/answer"
    rm -f "$work/show.rc"
    (
        export ORVELLE_TEST_LOG ORVELLE_TEST_PASSWORD_ANSWER_FILE
        ORVELLE_TEST_LOG=$(windows_path "$log")
        ORVELLE_TEST_PASSWORD_ANSWER_FILE=$(windows_path "$work/answer")
        if [ "$1" = win98 ]; then
            "$as_win98" "$work/win98/$saver98" s
        else
            "$wine_run" "$work/nt/$saver_nt" s
        fi >"$work/show.out" 2>&1
        echo $? >"$work/show.rc"
    ) &
    wait_show show 60 || fail "no show"
}
runs=0

answer() { echo "$1" >"$work/answer"; }

# Verifier calls so far in this run's log; "returns" lines are not calls.
calls() {
    local count
    count=$(grep -sc '^VerifyScreenSavePwd tick' "$log")
    echo "${count:-0}"
}

logged() { grep -sq "$1" "$log"; }

# The result of one sender action ("running", "autoplay", ...).
sent() { # action
    "$wine_run" "$sender" "$1" 2>/dev/null | tr -d '\r' | sed -n 's/.* result=//p'
}

# Passes when the value is the one expected, else fails with both.
expect() { # description expected actual
    if [ "$2" = "$3" ]; then pass "$1"; else fail "$1 (expected $2, got $3)"; fi
}

ended_with_0() { # description seconds
    expect "$1" 0 "$(wait_exit show "$2")"
    alive show && stop_all
}

# Checks of one run that ended: the library was freed and the running-saver flag is down again.
after_armed_run() { # tag
    logged 'PASSWORD.CPL free' && pass "$1: PASSWORD.CPL freed at the end" || fail "$1: PASSWORD.CPL not freed"
    expect "$1: the running-saver flag is down after the run" 0 "$(sent running)"
}

settings_checks() {
    # Which stored values turn the check on. With it, a key asks the verifier: a no keeps the show, a yes
    # ends it. Without it, the first key ends the show and PASSWORD.CPL is never even loaded.
    local setting
    for setting in "REG_DWORD 1|dword 1|on" "REG_BINARY 01 00 00 00|binary 01000000|on" \
        "REG_DWORD 0|dword 0|off" "absent|absent|off"; do
        IFS='|' read -r tag value state <<<"$setting"
        # shellcheck disable=SC2086
        use_password_setting $value
        quiet "$wine_run" "$sender" set-running=0
        run_show win98
        if [ "$state" = on ]; then
            logged 'PASSWORD.CPL load' && pass "$tag: PASSWORD.CPL loaded" || fail "$tag: PASSWORD.CPL not loaded"
            expect "$tag: no verifier call before any input" 0 "$(calls)"
            expect "$tag: the running-saver flag is up during the run" 1 "$(sent running)"
            xdotool key a
            sleep 1
            alive show && pass "$tag: a wrong password keeps the show" || fail "$tag: the show ended on a wrong password"
            expect "$tag: the key asked the verifier once" 1 "$(calls)"
            answer 1
            xdotool key b
            ended_with_0 "$tag: the right password ends the show with 0" 10
            expect "$tag: verifier calls in the run" 2 "$(calls)"
            after_armed_run "$tag"
        else
            expect "$tag: the running-saver flag stays down" 0 "$(sent running)"
            xdotool key a
            ended_with_0 "$tag: the first key ends the show with 0" 5
            logged VerifyScreenSavePwd && fail "$tag: the verifier was called" || pass "$tag: no verifier call"
            logged 'PASSWORD.CPL load' && fail "$tag: PASSWORD.CPL was loaded" || pass "$tag: PASSWORD.CPL never loaded"
        fi
    done

    # Closes within 200 ms of the end of a failed attempt are refused without asking; later ones ask again.
    use_password_setting dword 1
    run_show win98
    local pause
    for pause in "two keys at once|1|xdotool key a key b" \
        "two closes posted at once|1|$wine_run $sender post-close post-close" \
        "two keys 400 ms apart|2|xdotool key a sleep 0.4 key b" \
        "a key 600 ms after the last attempt|1|xdotool key c"; do
        IFS='|' read -r tag more command <<<"$pause"
        local before
        before=$(calls)
        $command >/dev/null 2>&1
        sleep 0.6
        expect "$tag: verifier calls" $((before + more)) "$(calls)"
    done
    alive show && pass "the show goes on after the refused closes" || fail "refused closes ended the show"
    answer 1
    xdotool key d
    ended_with_0 "a key ends the show once the verifier approves" 10

    # "QueryCancelAutoPlay" answers 1 (cancel AutoPlay) while a password guards the show and 0 without one;
    # either way it posts a close, which goes through the verifier when there is one.
    run_show win98
    expect "with a password: QueryCancelAutoPlay answers" 1 "$(sent autoplay)"
    sleep 0.7
    expect "with a password: the close it posted asked the verifier" 1 "$(calls)"
    alive show && pass "with a password: a refused close keeps the show" || fail "with a password: the show ended"
    answer 1
    expect "with a password, approved: QueryCancelAutoPlay answers" 1 "$(sent autoplay)"
    ended_with_0 "with a password, approved: the posted close ends the show with 0" 10
    expect "with a password: verifier calls in the run" 2 "$(calls)"
    use_password_setting dword 0
    run_show win98
    expect "without a password: QueryCancelAutoPlay answers" 0 "$(sent autoplay)"
    ended_with_0 "without a password: the posted close ends the show with 0" 5
    expect "without a password: verifier calls" 0 "$(calls)"
}

# A run with Wine's registry trace on, ended by a key. Run the program itself, not through wine-run: that sets
# WINEDEBUG=-all whatever the caller asked for. Leaves the trace in $work/trace-NAME.out.
traced_run() { # win98|nt
    local program=$work/nt/$saver_nt
    if [ "$1" = win98 ]; then
        program=$work/win98/$saver98
        quiet "$wine_run" reg add "HKCU\\Software\\Wine\\AppDefaults\\$saver98" /v Version /t REG_SZ /d win98 /f
    fi
    rm -f "$work/show.rc"
    (
        . "$root/scripts/wine-env"
        export WINEDEBUG=+reg
        wine "$program" s >"$work/trace-$1.out" 2>&1
        echo $? >"$work/show.rc"
    ) &
    wait_show show 60 "$work/trace-$1.out" || fail "$1 traced run: no show"
    xdotool key a
    ended_with_0 "$1 traced run: a key ends the show with 0" 10
}

platform_checks() {
    # The password setting is on, PASSWORD.CPL lies beside the saver, yet on NT nothing of it acts.
    use_password_setting dword 1
    quiet "$wine_run" "$sender" set-running=0
    run_show nt
    logged 'PASSWORD.CPL load' && fail "NT: PASSWORD.CPL was loaded" || pass "NT: PASSWORD.CPL not loaded"
    expect "NT: the running-saver flag stays down" 0 "$(sent running)"
    # No AutoPlay message is registered there: the message is an unknown one, answered 0, and posts no close.
    expect "NT: QueryCancelAutoPlay answers" 0 "$(sent autoplay)"
    sleep 1
    alive show && pass "NT: QueryCancelAutoPlay posts no close" || fail "NT: QueryCancelAutoPlay ended the show"
    xdotool key a
    ended_with_0 "NT: the first key ends the show with 0" 5
    logged VerifyScreenSavePwd && fail "NT: the verifier was called" || pass "NT: no verifier call"
    logged 'PASSWORD.CPL' && fail "NT: PASSWORD.CPL was loaded" || pass "NT: PASSWORD.CPL never loaded"

    # No registry read of the setting on NT. The same program as Windows 98 reads it, which shows that the
    # trace would name it.
    use_password_setting dword 0 # no password: the Windows 98 run ends at the first key too
    traced_run win98
    traced_run nt
    local named traced
    named=$(grep -c ScreenSaveUsePassword "$work/trace-win98.out")
    holds "$named > 0" && pass "Windows 98: the registry trace names ScreenSaveUsePassword ($named lines)" ||
        fail "Windows 98: the registry trace does not name ScreenSaveUsePassword"
    traced=$(grep -c 'trace:reg' "$work/trace-nt.out")
    holds "$traced > 0" && pass "NT: the registry trace is on ($traced lines)" || fail "NT: no registry trace at all"
    expect "NT: trace lines naming ScreenSaveUsePassword" 0 "$(grep -c ScreenSaveUsePassword "$work/trace-nt.out")"
}

# Whether the saver's window still covers the screen: not minimized, and black in the top left corner,
# outside the centred picture, where the desktop would show.
covering() {
    local minimized corner
    minimized=$(sent iconic)
    import -window root "$work/screen.png"
    corner=$(region "$work/screen.png" 100 100 0 0 maxima)
    if [ "$minimized" = 0 ] && holds "$corner == 0"; then echo covered; else echo "uncovered (minimized=$minimized, corner=$corner)"; fi
}

# One attempt to get past the lock: the show must go on and keep the screen covered, and the verifier must
# have been asked exactly as many times more as given.
attempt() { # description more command...   (more: the verifier calls it makes, or LEAST..MOST)
    local what=$1 least=${2%..*} most=${2#*..} before made
    shift 2
    before=$(calls)
    "$@" >/dev/null 2>&1
    sleep 0.7 # past the 200 ms pause, so that the next attempt is asked again
    alive show && pass "$what: the show goes on" || fail "$what: ENDED THE SHOW"
    made=$(($(calls) - before))
    if [ "$least" = "$most" ]; then
        expect "$what: verifier calls" "$least" "$made"
    else
        [ "$made" -ge "$least" ] && [ "$made" -le "$most" ] && pass "$what: verifier calls ($made)" ||
            fail "$what: verifier calls (expected $least to $most, got $made)"
    fi
    expect "$what: the screen stays covered" covered "$(covering)"
}

# Waits until the log holds this many lines matching the pattern.
wait_logged() { # pattern count seconds
    local tenths=$(($3 * 10))
    while [ "$(grep -sc "$1" "$log")" -lt "$2" ] && [ $tenths -gt 0 ]; do
        sleep 0.1
        tenths=$((tenths - 1))
    done
}

# The ticks of the n-th verifier call and of its return.
call_tick() { grep '^VerifyScreenSavePwd tick' "$log" | sed -n "$1s/.*tick=\([0-9]*\).*/\1/p"; }
return_tick() { grep '^VerifyScreenSavePwd returns' "$log" | sed -n "$1s/.*tick=\([0-9]*\).*/\1/p"; }

# A key opens the verifier's dialog (a call of ORVELLE_TEST_PASSWORD_DELAY_MS), and while it is up the
# sender's action (burst or all) and the keys and clicks of xdotool arrive. No activity posts a close then,
# and every close that arrives is refused without asking again: the dialog stays one call.
dialog_burst() { # tag sender-action calls-before
    local tag=$1 action=$2 call=$(($3 + 1))
    local keys=(key b key Escape key alt+F4 click 1 click 2 click 3 mousemove_relative 30 30 key c)
    xdotool key a
    wait_logged '^VerifyScreenSavePwd tick' "$call" 5
    xdotool "${keys[@]}"
    "$wine_run" "$sender" "$action" 2>/dev/null | tr -d '\r' >"$work/burst.out"
    [ "$action" = burst ] && xdotool "${keys[@]}"
    wait_logged '^VerifyScreenSavePwd returns' "$call" 10
    sleep 0.7
    alive show && pass "$tag: the show goes on" || fail "$tag: ENDED THE SHOW"
    expect "$tag: verifier calls" "$call" "$(calls)"
    # The messages from outside really came while the dialog was up, and each was answered at once.
    local first last answered
    first=$(call_tick "$call")
    last=$(return_tick "$call")
    answered=$(awk -v from="$first" -v to="$last" '
        / tick=/ { split($2, t, "="); if (t[2] + 0 < from + 0 || t[2] + 0 > to + 0) late = 1 }
        /timeout|no saver/ { late = 1 }
        END { print (NR >= 9 && !late) ? "inside" : "not inside" }' "$work/burst.out")
    expect "$tag: every message from outside answered during the dialog" inside "$answered"
    grep -q '^autoplay .*result=1$' "$work/burst.out" && pass "$tag: QueryCancelAutoPlay answered 1" ||
        fail "$tag: QueryCancelAutoPlay answered otherwise: $(tr '\n' ' ' <"$work/burst.out")"
    expect "$tag: the screen stays covered" covered "$(covering)"
}

lock_checks() {
    use_password_setting dword 1
    quiet "$wine_run" "$sender" set-running=0

    # Every way in, one at a time, the verifier answering no at once. Each attempt is asked once, but for
    # alt+F4 pressed together: the Alt key's close is asked, and F4's close (Alt+F4 is SC_CLOSE, which sends
    # WM_CLOSE) comes within 200 ms of that failed attempt and is refused without asking. With Alt held for
    # half a second, F4's close is asked too. A click is a button down and up; only the down closes.
    # Losing activation comes last: the display device minimizes the window then.
    run_show win98
    expect "the running-saver flag is up during the run" 1 "$(sent running)"
    attempt "key a" 1 xdotool key a
    attempt "key Escape" 1 xdotool key Escape
    attempt "key Return" 1 xdotool key Return
    attempt "key space" 1 xdotool key space
    attempt "key ctrl+Escape" 1 xdotool key ctrl+Escape
    attempt "key F1" 1 xdotool key F1
    attempt "left click" 1 xdotool click 1
    attempt "middle click" 1 xdotool click 2
    attempt "right click" 1 xdotool click 3
    attempt "mouse movement of 20 pixels" 1 xdotool mousemove_relative 20 0
    attempt "mouse movement of 20 pixels back" 1 xdotool mousemove_relative -- -20 0
    attempt "alt+F4 together" 1 xdotool key alt+F4
    attempt "alt held, then F4" 2 xdotool keydown alt sleep 0.5 key F4 keyup alt
    attempt "SendMessage WM_CLOSE" 1 "$wine_run" "$sender" close
    attempt "PostMessage WM_CLOSE" 1 "$wine_run" "$sender" post-close
    attempt "WM_SYSCOMMAND SC_CLOSE" 1 "$wine_run" "$sender" sc-close
    attempt "WM_POWER PWR_CRITICALRESUME" 1 "$wine_run" "$sender" power-resume
    attempt "WM_POWERBROADCAST PBT_APMSUSPEND" 1 "$wine_run" "$sender" broadcast=4
    attempt "WM_POWERBROADCAST PBT_APMRESUMESUSPEND" 1 "$wine_run" "$sender" broadcast=7
    attempt "QueryCancelAutoPlay" 1 "$wine_run" "$sender" autoplay
    # Everything from outside at once: the first close is asked, the rest fall within 200 ms of it. 32-bit
    # code emulated by qemu-i386 (scripts/emulated-32-bit) may be too slow for that: then any of the nine
    # closes may come later and be asked.
    if [ "${ORVELLE_32_BIT_EMULATED:-0}" = 1 ]; then
        echo "note: 32-bit code emulated: the burst may outlast the 200 ms pause, so 1 to 9 calls are expected"
        attempt "all messages from outside at once" 1..9 "$wine_run" "$sender" burst
    else
        attempt "all messages from outside at once" 1 "$wine_run" "$sender" burst
    fi
    attempt "WM_ACTIVATEAPP 0 from outside" 1 "$wine_run" "$sender" deactivate
    attempt "another program's window takes the foreground" 1 "$wine_run" "$sender" foreground=500
    attempt "a key after the loss of activation" 1 xdotool key a
    answer 1
    xdotool key a
    ended_with_0 "with the verifier saying yes, a key ends the run with 0" 10
    after_armed_run "one attempt at a time"

    # Bursts while the verifier's dialog is up (each call lasts 3 s and dispatches the window's messages).
    ORVELLE_TEST_PASSWORD_DELAY_MS=3000 run_show win98
    dialog_burst "burst 1 in the dialog" burst 0
    sleep 0.5
    dialog_burst "burst 2 in the dialog" burst 1
    answer 1
    xdotool mousemove_relative 10 0
    ended_with_0 "with the verifier saying yes, a mouse movement ends the run with 0" 15
    expect "verifier calls in the run with the dialog" 3 "$(calls)"
    after_armed_run "with the dialog"

    # The same with the loss of activation inside the burst; then the keyboard must still reach the saver
    # (a key asks the verifier again) and Alt+F4 must not get past it.
    ORVELLE_TEST_PASSWORD_DELAY_MS=3000 run_show win98
    dialog_burst "burst with WM_ACTIVATEAPP 0 in the dialog" all 0
    xdotool key a
    wait_logged '^VerifyScreenSavePwd returns' 2 6
    expect "after the dialog: a key asks the verifier" 2 "$(calls)"
    sleep 0.5
    xdotool key alt+F4
    wait_logged '^VerifyScreenSavePwd returns' 3 6
    sleep 0.5
    alive show && pass "after the dialog: alt+F4 keeps the show" || fail "after the dialog: alt+F4 ENDED THE SHOW (exit code $(cat "$work/show.rc"))"
    expect "after the dialog: alt+F4 asks the verifier" 3 "$(calls)"
    answer 1
    xdotool key a
    ended_with_0 "after the dialog: with the verifier saying yes, a key ends the run with 0" 15
}

case $group in
settings) settings_checks ;;
platform) platform_checks ;;
lock) lock_checks ;;
*)
    echo "unknown group $group" >&2
    exit 2
    ;;
esac
echo "$failures failure(s)"
exit $((failures > 0))
