# shellcheck shell=bash
# Private X servers: starting one (Xvfb or Xorg) on the first free display, stopping it, and the Wine lock
# that keeps other Wine programs out meanwhile. Sourced by xvfb-run-here and two-monitor-run-here (and the
# tests that start an Xvfb of their own); it only defines functions.
#
# A wineserver stays bound to the X display its first program used, so the wineserver of the project's
# prefix (the one ORVELLE_WINE_ARCH names, see wine-env) is stopped before and after the command that runs
# on a private server. That would kill programs that other wine-run calls have running, hence the exclusive
# lock: Wine programs started on a private server run one at a time, and never alongside wine-run calls
# from outside. The command itself finds ORVELLE_WINE_LOCKED=1, so that what it runs takes no lock again.

x_server_scripts="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)"
x_server_pid=
x_server_tmp=
x_server_exclusive=

# Starts an X server in the background, COMMAND with -displayfd 3 added and its output in LOG, and waits up
# to SECONDS for it to write its display number to FOLDER/display, which it does once it accepts
# connections. Then sets x_server_display, exports DISPLAY and unsets WAYLAND_DISPLAY. Returns 1 when the
# server ended first (x_server_pid is emptied), 2 when it reported no display number in time.
x_server_start() { # folder seconds log command [args...]
    local folder=$1 tries=$(($2 * 20)) log=$3 i
    shift 3
    "$1" -displayfd 3 "${@:2}" 3>"$folder/display" </dev/null >"$log" 2>&1 9>&- &
    x_server_pid=$!
    for ((i = 0; i < tries; i++)); do
        [[ -s $folder/display ]] && break
        if ! kill -0 "$x_server_pid" 2>/dev/null; then
            x_server_pid=
            return 1
        fi
        sleep 0.05
    done
    x_server_display=
    read -r x_server_display <"$folder/display" || true
    [[ $x_server_display =~ ^[0-9]+$ ]] || return 2
    export DISPLAY=":$x_server_display"
    unset WAYLAND_DISPLAY
}

# Stops the wineserver of the project's prefix, if the prefix is there. The Wine settings are read in a
# subshell only, so the caller keeps its own locale and environment.
x_server_stop_wineserver() {
    (
        # shellcheck source=../wine-env
        . "$x_server_scripts/wine-env"
        if [[ -d $WINEPREFIX ]]; then
            wineserver -k
            wineserver -w
        fi
    ) >/dev/null 2>&1 || true
}

# shellcheck disable=SC2317  # called through the EXIT trap
x_server_cleanup() {
    if [[ -n $x_server_pid ]]; then
        x_server_stop_wineserver
        kill "$x_server_pid" 2>/dev/null || true
        wait "$x_server_pid" 2>/dev/null || true
    fi
    rm -rf "$x_server_tmp"
}

# Makes the folder x_server_tmp for the server's files, has the server stopped and the folder removed
# however the script ends, takes the Wine lock on descriptor 9 as the argument says (exclusive, unless the caller
# holds it already; or shared, that is none: see xvfb-run-here --shared), and stops the wineserver.
x_server_prepare() { # exclusive|shared
    local lock
    # shellcheck source=../wine-env disable=SC2031  # each subshell reads the settings for itself
    lock="$(. "$x_server_scripts/wine-env" && echo "$ORVELLE_WINE_LOCK")"
    mkdir -p "$(dirname "$lock")"
    x_server_tmp="$(mktemp -d)"
    trap x_server_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    if [[ -z ${ORVELLE_WINE_LOCKED:-} && $1 == exclusive ]]; then
        exec 9>"$lock"
        flock -x 9
        x_server_exclusive=1
    fi
    x_server_stop_wineserver
}

# Runs the command on the server, without the lock's descriptor, and exits with its exit code. What it runs
# takes no Wine lock again where this script holds the exclusive one.
x_server_run() { # command [args...]
    [[ -z ${x_server_exclusive:-} ]] || export ORVELLE_WINE_LOCKED=1
    local status=0
    "$@" 9>&- || status=$?
    exit "$status"
}

# Runs the calling script again, with its arguments, on a private Xvfb server of xvfb-run-here's (XVFB_WIDTH,
# XVFB_HEIGHT and XVFB_DEPTH set its screen), with VARIABLE set to 1 there; returns at once where VARIABLE is
# set already, that is in the second run.
x_server_rerun_on_xvfb() { # variable script [args...]
    [[ -z ${!1:-} ]] || return 0
    export "$1=1"
    exec "$x_server_scripts/xvfb-run-here" "${@:2}"
}
