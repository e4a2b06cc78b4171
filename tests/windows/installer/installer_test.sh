#!/usr/bin/env bash
# The Windows Installer packages of both savers, built by packaging/build-msi as scripts/release builds them,
# read with msiinfo and installed under 64-bit Wine, in a private copy of the prefix. For each package: its
# tables hold the system folder, the upgrade code that every version keeps, the per-machine install and the
# SETSAVER setting; msiexec /i /qn puts the saver into system32 (the 64-bit one) or syswow64 (the 32-bit one),
# with an uninstall entry naming Orvelle, its version and Kestrune, and without SETSAVER no saver setting;
# the installed saver runs its show from there; the same package again changes nothing; a package of a
# higher version replaces it, and with SETSAVER=1 makes it the user's saver; msiexec /x removes the file and
# the entry.
#   installer_test.sh ORVELLE64.scr ORVELLE32.scr   (run by CTest; starts its own X server)
# Checks report as `condition && pass || fail`: pass and fail always succeed, so one runs.
# shellcheck disable=SC2015
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)"
# shellcheck source=../saver_window/saver_test_lib.sh
. "$here/../saver_window/saver_test_lib.sh"
for tool in wixl msibuild msiinfo faketime; do
    command -v "$tool" >/dev/null || skip "$tool is missing (scripts/setup installs it)"
done
XVFB_WIDTH=800 XVFB_HEIGHT=600 XVFB_DEPTH=24 x_server_rerun_on_xvfb ORVELLE_INSTALLER_SESSION "$0" "$@"

# The 64-bit prefix, whose wine-env the helpers take in their own shells.
# shellcheck disable=SC2031
export ORVELLE_WINE_ARCH=win64 SOURCE_DATE_EPOCH=1700000000
work=$(mktemp -d)
trap 'remove_private_prefix; rm -rf "$work"' EXIT
use_private_prefix
use_virtual_desktop 800x600 Orvelle64.scr Orvelle.scr
# Wine's own programs, in the private prefix, by the 64-bit loader, which starts 32-bit programs itself.
w() { (. "$root/scripts/wine-env" && wine "$@"); }
desktop_key='HKCU\Control Panel\Desktop'
# A value from the registry, or nothing where the key or the value is missing.
reg_value() { w reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
# The uninstall entries that name Orvelle, in one view of the registry.
entries() { w reg query "$1" /s 2>/dev/null | tr -d '\r' | grep -c 'DisplayName *REG_SZ *Orvelle$'; }
install() { w msiexec "$@" /qn >"$work/msiexec.out" 2>&1; }
has_row() { msiinfo export "$1" "$2" | tr -d '\r' | grep -qxF "$3"; }
product() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }

# Package, saver, system folder (its name in the tables, and in the prefix), file name, uninstall entries'
# view, upgrade code.
cases=(
    "x64 $1 System64Folder system32 Orvelle64.scr Software 5C0B7A3E-2F6D-4E41-9B8A-3D1E6F0C7A64"
    "x86 $2 SystemFolder syswow64 Orvelle.scr Software\\Wow6432Node 5C0B7A3E-2F6D-4E41-9B8A-3D1E6F0C7A86"
)
route=$("$root/scripts/runs-32-bit" --route)
for row in "${cases[@]}"; do
    read -r arch saver folder_id folder name view upgrade_code <<<"$row"
    case_name=$arch
    old=$work/orvelle-1.1-$arch.msi new=$work/orvelle-1.2-$arch.msi
    "$root/packaging/build-msi" "$arch" "$saver" 1.1 "$old" && "$root/packaging/build-msi" "$arch" "$saver" 1.2 "$new" ||
        { fail "build-msi failed"; continue; }

    # The tables: one row each, as the installer reads it.
    tab=$'\t'
    rows=(
        "Directory|$folder_id${tab}TARGETDIR$tab."
        "File|Saver${tab}Saver$tab$name$tab$(stat -c %s "$saver")$tab${tab}${tab}512${tab}1"
        "Property|UpgradeCode${tab}{$upgrade_code}"
        "Property|ALLUSERS${tab}1"
        "Property|ARPPRODUCTICON${tab}orvelle.ico"
        "Property|SecureCustomProperties${tab}SETSAVER;WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED"
        "Upgrade|{$upgrade_code}$tab${tab}1.1$tab${tab}1$tab${tab}WIX_UPGRADE_DETECTED"
        "Registry|CurrentSaver${tab}1${tab}Control Panel\\Desktop${tab}SCRNSAVE.EXE${tab}[#Saver]${tab}CurrentSaver"
    )
    for entry in "${rows[@]}"; do
        has_row "$old" "${entry%%|*}" "${entry#*|}" && pass "${entry%%|*}: ${entry#*|}" ||
            fail "no row '${entry#*|}' in the ${entry%%|*} table"
    done
    # Installed only with SETSAVER=1 (its condition), and kept by the uninstall (16, permanent).
    setting=$(msiinfo export "$old" Component | tr -d '\r' | awk -F'\t' '$1 == "CurrentSaver" { print $4 "|" $5 }')
    [[ ${setting#*|} == 'SETSAVER = "1"' ]] && ((${setting%|*} & 16)) && pass "the setting: $setting" ||
        fail "the setting's component is '$setting', not permanent under SETSAVER = \"1\""
    old_code=$(product "$old") new_code=$(product "$new")
    has_row "$new" Property "UpgradeCode$tab{$upgrade_code}" && [[ -n $old_code && $old_code != "$new_code" ]] &&
        pass "1.2 keeps the upgrade code, with a product code of its own" ||
        fail "1.2's codes: upgrade code kept, product codes $old_code and $new_code"

    w reg delete "$desktop_key" /v SCRNSAVE.EXE /f >/dev/null 2>&1
    installed=$ORVELLE_WINE_PREFIX/drive_c/windows/$folder/$name
    uninstall="HKLM\\$view\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
    entry_key=$uninstall\\$old_code
    install /i "Z:${old//\//\\}" && cmp -s "$saver" "$installed" && pass "installed into $folder" ||
        fail "msiexec /i: the saver is not in $folder ($(cat "$work/msiexec.out"))"
    listed="$(reg_value "$entry_key" DisplayName)|$(reg_value "$entry_key" DisplayVersion)|$(reg_value "$entry_key" Publisher)"
    [[ $listed == "Orvelle|1.1|Kestrune" ]] && pass "uninstall entry: $listed" || fail "uninstall entry: '$listed'"
    [[ -z $(reg_value "$desktop_key" SCRNSAVE.EXE) ]] && pass "no saver setting without SETSAVER" ||
        fail "the saver setting was written without SETSAVER"

    if [[ $arch == x64 || $route == native ]]; then
        rm -f "$work/$name.rc"
        (w "C:\\windows\\$folder\\$name" s >"$work/$name.out" 2>&1; echo $? >"$work/$name.rc") &
        wait_show "$name" 60 && pass "the installed saver runs its show" || fail "the installed saver shows nothing"
        stop_all
    else
        echo "not checked: the installed 32-bit saver's show, since 32-bit programs run here only $route"
    fi

    before=$(w reg query "$entry_key" 2>/dev/null | tr -d '\r' | sort)
    install /i "Z:${old//\//\\}" && cmp -s "$saver" "$installed" &&
        [[ $(w reg query "$entry_key" 2>/dev/null | tr -d '\r' | sort) == "$before" ]] &&
        [[ $(entries "$uninstall") == 1 ]] &&
        pass "the same package again changes nothing" || fail "the same package again: $(cat "$work/msiexec.out")"

    install /i "Z:${new//\//\\}" SETSAVER=1
    new_key=$uninstall\\$new_code
    [[ -f $installed && $(reg_value "$new_key" DisplayVersion) == 1.2 && -z $(reg_value "$entry_key" DisplayName) ]] &&
        [[ $(entries "$uninstall") == 1 ]] &&
        pass "1.2 replaces 1.1" || fail "1.2 did not replace 1.1: $(cat "$work/msiexec.out")"
    saver_setting=$(reg_value "$desktop_key" SCRNSAVE.EXE)
    [[ $saver_setting == "C:\\windows\\$folder\\$name" ]] && pass "SETSAVER=1: $saver_setting" ||
        fail "SETSAVER=1 set '$saver_setting'"

    install /x "Z:${new//\//\\}" && [[ ! -e $installed && $(entries "$uninstall") == 0 ]] &&
        pass "msiexec /x removes the saver and its entry" || fail "msiexec /x: $(cat "$work/msiexec.out")"
done
case_name=
echo "$failures failure(s)"
exit $((failures > 0))
