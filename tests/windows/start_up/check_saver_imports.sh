#!/usr/bin/env bash
# Checks the import table of Orvelle.scr: it may import only system libraries that Windows 95 and later
# have, and it must not be marked as using no exception handlers, since start-up's fault guard is one.
#
# With a size limit, it also checks that the file is no larger, so that a change that bloats the saver shows.
#
#   check_saver_imports.sh OBJDUMP Orvelle.scr [MAX_BYTES]
set -euo pipefail
objdump_tool=$1
saver=$2
max_bytes=${3:-}
allowed="ADVAPI32.DLL DDRAW.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL WINMM.DLL"

headers=$("$objdump_tool" -p "$saver")
imported=$(sed -nE 's/^[[:space:]]*DLL Name: (.*)$/\1/p' <<<"$headers" | tr '[:lower:]' '[:upper:]' | sort -u)
if [[ -z $imported ]]; then
    echo "no import table found in $saver"
    exit 1
fi
status=0
for library in $imported; do
    if [[ " $allowed " != *" $library "* ]]; then
        echo "imports $library, which is not among: $allowed"
        status=1
    fi
done
characteristics=$(sed -nE 's/^DllCharacteristics[[:space:]]+([0-9a-fA-F]+).*/\1/p' <<<"$headers")
if (((0x$characteristics & 0x400) != 0)); then
    echo "marked IMAGE_DLLCHARACTERISTICS_NO_SEH: the system would not call the fault guard's handler"
    status=1
fi
# shellcheck disable=SC2086  # the names on one line
echo "imports:" $imported
size=$(stat -c %s "$saver")
echo "size: $size bytes"
if [[ -n $max_bytes ]] && ((size > max_bytes)); then
    echo "larger than $max_bytes bytes"
    status=1
fi
exit $status
