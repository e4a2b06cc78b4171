# Helpers for the saver window tests, sourced by the test scripts. They run Windows programs of the
# Windows build under the project's Wine prefix, inside a Wine virtual desktop of the X server's size (so
# that keyboard input reaches the saver without a window manager), and look at screenshots.
# shellcheck shell=bash
# The scripts that source this file set work (their own folder) and read started.
# shellcheck disable=SC2034,SC2154

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd -P)"
wine_run="$root/scripts/wine-run"
# failures, fail and pass; x_server_rerun_on_xvfb.
# shellcheck source=../../test_lib.sh
. "$root/tests/test_lib.sh"
# shellcheck source=../../../scripts/lib/x-server.sh
. "$root/scripts/lib/x-server.sh"

# Makes the programs named run inside a virtual desktop of the given size.
use_virtual_desktop() { # size exe...
    local size=$1
    shift
    (
        . "$root/scripts/wine-env"
        for exe in "$@"; do
            wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\Explorer" /v Desktop /t REG_SZ /d Orvelle /f
        done
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Orvelle /t REG_SZ /d "$size" /f
        wineserver -w
    ) >/dev/null 2>&1
}

# Runs every later Wine program of this test in a private copy of the prefix: the test may then put
# libraries into the system directory without touching the prefix that other tests share. The copy lies
# in build/, on the prefix's own file system, since it is made of hard links; remove_private_prefix (in
# the test's exit trap) ends its Wine programs and removes it.
use_private_prefix() {
    local dir
    if ! dir=$(mktemp -d "$root/build/wine-private.XXXXXX") ||
        ! (. "$root/scripts/wine-env" && orvelle_wine_prefix_copy "$dir"); then
        echo "cannot copy the Wine prefix" >&2
        exit 1
    fi
    export ORVELLE_WINE_PREFIX=$dir
}

remove_private_prefix() {
    [ -n "${ORVELLE_WINE_PREFIX:-}" ] || return 0
    stop_all
    rm -rf "$ORVELLE_WINE_PREFIX"
}

# Puts a library into the private prefix's system directory, where the saver looks for its libraries.
# Both prefixes run programs of their own width, whose system directory is system32 (a 32-bit program in a
# 64-bit prefix would look in syswow64).
install_system_library() { # file name
    # Lower case, as the prefix's own files are named: the system finds either spelling, but two files
    # differing in case alone would leave it to chance which one it takes.
    local system="$ORVELLE_WINE_PREFIX/drive_c/windows/system32" name=${2,,}
    rm -f "$system/$name"
    cp "$1" "$system/$name"
}

# Starts a program in the background under the name given. Its output goes to $work/NAME.out and, once
# it has ended, its exit code to $work/NAME.rc; $started holds the name.
start() { # name program args...
    local name=$1
    shift
    rm -f "$work/$name.rc"
    ("$wine_run" "$@" >"$work/$name.out" 2>&1; echo $? >"$work/$name.rc") &
    started=$name
}

alive() { [ ! -f "$work/$1.rc" ]; }

# Waits up to $2 seconds for the program started as $1 to end; prints its exit code, or "running".
wait_exit() { # name seconds
    local tenths=$(($2 * 10))
    while alive "$1" && [ $tenths -gt 0 ]; do
        sleep 0.1
        tenths=$((tenths - 1))
    done
    if alive "$1"; then echo running; else cat "$work/$1.rc"; fi
}

# Ends whatever Wine programs are still running in the prefix.
stop_all() { (. "$root/scripts/wine-env" && wineserver -k) >/dev/null 2>&1; }

# Waits until an X window with this exact name exists.
wait_window() { # name seconds
    local tenths=$(($2 * 10))
    while [ $tenths -gt 0 ]; do
        xdotool search --name "^$1\$" >/dev/null 2>&1 && return 0
        sleep 0.1
        tenths=$((tenths - 1))
    done
    return 1
}

# Waits until the program started as $1 shows its saver window and the picture on the screen moves, that is
# until the show runs and takes input; else says why (the program's state and output, $work/NAME.out unless
# named) and returns 1. Wine may take many seconds to start a program on a busy machine, and a key sent before
# the window is active is lost.
wait_show() { # name seconds [output]
    local tries=$(($2 * 2))
    if wait_window "Screen Saver" "$2"; then
        while [ $tries -gt 0 ] && alive "$1"; do
            import -window root "$work/$1.before.png"
            sleep 0.5
            import -window root "$work/$1.after.png"
            holds "$(differing_pixels "$work/$1.before.png" "$work/$1.after.png") > 0" && return 0
            tries=$((tries - 1))
        done
    fi
    echo "no moving saver window: $(alive "$1" && echo "still running" || echo "ended with $(cat "$work/$1.rc")")" >&2
    sed 's/^/    /' "${3:-$work/$1.out}" >&2
    return 1
}

# Statistics of a region of a picture, as ImageMagick fx expressions: prints the value.
region() { # picture width height x y expression
    convert "$1" -crop "$2x$3+$4+$5" +repage -format "%[fx:$6]" info:
}

# Pixels that differ between two pictures.
differing_pixels() {
    compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1
}

# 1 when the floating-point comparison holds.
holds() { awk "BEGIN { exit !($1) }"; }
