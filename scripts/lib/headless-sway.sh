# shellcheck shell=bash
# A private headless sway for the Wayland saver's test and its measuring: software rendering, no input
# devices, in a fresh folder of its own (mode 700) that holds its configuration, its log and its sockets.
# sway refuses to run as root, so as root it runs as nobody. Sourced; it only defines a function.

# Starts sway in the background on OUTPUTS headless outputs, with the configuration lines given, in a new
# folder inside PARENT (which the user nobody must be able to enter when this runs as root). Sets sway_pid
# and sway_dir; clients reach it with XDG_RUNTIME_DIR=$sway_dir WAYLAND_DISPLAY=wayland-1 once it is up.
# shellcheck disable=SC2034  # sway_pid and sway_dir are for the caller
headless_sway_start() { # parent outputs configuration
    local as_user=()
    sway_dir=$(mktemp -d "$1/sway.XXXXXX")
    printf '%s\n' "$3" >"$sway_dir/config"
    if [[ $EUID -eq 0 ]]; then
        chown -R nobody "$sway_dir"
        as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
    chmod 700 "$sway_dir"
    "${as_user[@]}" env -i PATH="$PATH" HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" WLR_BACKENDS=headless \
        WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS="$2" WLR_LIBINPUT_NO_DEVICES=1 sway -c "$sway_dir/config" \
        >"$sway_dir/sway.log" 2>&1 &
    sway_pid=$!
}
