#!/usr/bin/env bash
# The Debian package of the Linux savers: built by CPack from the build folder, it holds the X11 program in
# XScreenSaver's program folder and its description in the configuration folder, and the Wayland program in
# /usr/bin, stripped, depends on the X libraries the program links, is made for the build's architecture, and
# lintian finds no error or warning in it.
#   debian_package_test.sh BUILD_DIR [ARCHITECTURE [EMULATOR...]]
# ARCHITECTURE is Debian's name of the build's processor (by default this machine's); EMULATOR... runs the
# build's programs here (qemu-user for another processor's).
set -euo pipefail
architecture=${2:-$(dpkg --print-architecture)}
emulator=("${@:3}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB -B "$work" --config "$1/CPackConfig.cmake" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(echo "$work"/orvelle_*.deb)
dpkg-deb -x "$deb" "$work/root"
fail() { echo "debian_package_test: $*" >&2; exit 1; }
program=$(find "$work/root" -path '*/xscreensaver/orvelle' -type f)
[[ -x $program ]] || fail "no program in an xscreensaver folder: $(dpkg-deb -c "$deb")"
[[ -f $(dirname "$program")/../../share/xscreensaver/config/orvelle.xml ]] || fail "no orvelle.xml beside it"
[[ -x $work/root/usr/bin/orvelle-wayland ]] || fail "no Wayland saver in /usr/bin: $(dpkg-deb -c "$deb")"
readelf -S "$program" | grep -q '\.symtab' && fail "program not stripped"
[[ $(dpkg-deb -f "$deb" Architecture) == "$architecture" ]] ||
    fail "architecture $(dpkg-deb -f "$deb" Architecture), not $architecture"
[[ $deb == *_"$architecture".deb ]] || fail "file name $(basename "$deb") does not name $architecture"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libx11-6 libxext6; do
    [[ $depends == *"$library"* ]] || fail "Depends '$depends' lacks $library"
done
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(cat "$work/lintian.log")"
fi
status=0
version=$("${emulator[@]}" "$program" --version) || status=$?
if [[ $status -eq 77 ]]; then # the emulator is missing: it says so
    echo "$version; all but the program's version checked"
    exit 77
fi
[[ $version == "orvelle $(dpkg-deb -f "$deb" Version)" ]] || fail "version '$version' differs from the package's"
echo "debian_package_test: $(basename "$deb") holds $(dpkg-deb -c "$deb" | grep -c '^-') files; Depends: $depends"
