#!/usr/bin/env bash
# Checks the import table of Orvelle.scr: it may import only KERNEL32, USER32, GDI32, ADVAPI32 and SHELL32,
# libraries that the system always takes from its own directory (WINMM is not one, and is found at run
# time), no wide-character (...W) function but TextOutW, which Windows 95 has, for the Japanese texts outside
# code page 932, and the 32-bit saver only functions of the list below, each one that Windows 95 as first
# released exports: where a DLL or a function is missing, Windows refuses to load the program at all; nor
# may its header ask for a later subsystem than Windows 95's (4.0). It must not be marked as using no
# exception handlers, since start-up's fault guard is one.
#
# With a size limit, it also checks that the file is no larger, so that a change that bloats the saver shows.
#
#   check_saver_imports.sh OBJDUMP Orvelle.scr [MAX_BYTES]
set -euo pipefail
objdump_tool=$1
saver=$2
max_bytes=${3:-}
allowed="ADVAPI32.DLL GDI32.DLL KERNEL32.DLL SHELL32.DLL USER32.DLL"
wide_allowed="GDI32.DLL!TextOutW"
windows95="
ADVAPI32.DLL!RegCloseKey ADVAPI32.DLL!RegOpenKeyA ADVAPI32.DLL!RegQueryValueExA
GDI32.DLL!CreateCompatibleDC GDI32.DLL!CreateFontIndirectA GDI32.DLL!DeleteDC GDI32.DLL!DeleteObject GDI32.DLL!GetClipBox GDI32.DLL!GetObjectA
GDI32.DLL!GetStockObject GDI32.DLL!GetTextMetricsA GDI32.DLL!SelectObject GDI32.DLL!SetStretchBltMode
GDI32.DLL!StretchBlt GDI32.DLL!TextOutA GDI32.DLL!TextOutW
KERNEL32.DLL!ExitProcess KERNEL32.DLL!FreeLibrary KERNEL32.DLL!GetACP KERNEL32.DLL!GetCommandLineA
KERNEL32.DLL!GetModuleHandleA KERNEL32.DLL!GetSystemDirectoryA
KERNEL32.DLL!GetProcAddress KERNEL32.DLL!GetTickCount KERNEL32.DLL!GetVersionExA KERNEL32.DLL!LoadLibraryA
KERNEL32.DLL!LoadLibraryExA
KERNEL32.DLL!RtlUnwind KERNEL32.DLL!Sleep KERNEL32.DLL!UnhandledExceptionFilter
SHELL32.DLL!ShellExecuteExA
USER32.DLL!BeginPaint USER32.DLL!CharNextA USER32.DLL!ClientToScreen USER32.DLL!CreateWindowExA
USER32.DLL!DefWindowProcA USER32.DLL!DestroyWindow USER32.DLL!DialogBoxParamA USER32.DLL!DispatchMessageA
USER32.DLL!EndDialog USER32.DLL!EndPaint USER32.DLL!FindWindowA
USER32.DLL!GetClientRect USER32.DLL!GetCursorPos USER32.DLL!GetDC USER32.DLL!GetDlgItem USER32.DLL!GetForegroundWindow USER32.DLL!GetMessageA
USER32.DLL!GetParent USER32.DLL!GetWindowLongA USER32.DLL!InvalidateRect USER32.DLL!IsWindow USER32.DLL!LoadBitmapA
USER32.DLL!LoadIconA USER32.DLL!MapWindowPoints USER32.DLL!PeekMessageA USER32.DLL!PostMessageA
USER32.DLL!PostQuitMessage USER32.DLL!RegisterClassA USER32.DLL!RegisterWindowMessageA USER32.DLL!ReleaseDC
USER32.DLL!ScreenToClient USER32.DLL!SendMessageA USER32.DLL!SetCursor USER32.DLL!SetFocus
USER32.DLL!SetForegroundWindow USER32.DLL!SetWindowPos USER32.DLL!SetWindowTextA
USER32.DLL!ShowWindow USER32.DLL!SystemParametersInfoA USER32.DLL!TranslateMessage USER32.DLL!wsprintfA"

headers=$("$objdump_tool" -p "$saver")
# One DLL!function line per import, the DLL's name in capitals.
imports=$(awk '/^\tDLL Name: / { dll = toupper($3); next }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll "!" $3 }
    /^$/ { dll = "" }' <<<"$headers" | sort -u)
if [[ -z $imports ]]; then
    echo "no import table found in $saver"
    exit 1
fi
status=0
libraries=$(cut -d'!' -f1 <<<"$imports" | sort -u)
for library in $libraries; do
    if [[ " $allowed " != *" $library "* ]]; then
        echo "imports $library, which is not among: $allowed"
        status=1
    fi
done
win32=$("$objdump_tool" -f "$saver" | grep -c 'file format pei-i386' || true)
for import in $imports; do
    if [[ $import == *[a-z]W && " $wide_allowed " != *" $import "* ]]; then
        echo "imports $import, a wide-character function"
        status=1
    elif ((win32)) && [[ " ${windows95//$'\n'/ } " != *" $import "* ]]; then
        echo "imports $import, which is not on the list of Windows 95 functions"
        status=1
    fi
done
subsystem=$(sed -nE 's/^MajorSubsystemVersion[[:space:]]+([0-9]+).*/\1/p' <<<"$headers")
if ((win32 && subsystem > 4)); then
    echo "subsystem version $subsystem: Windows 95 loads no image above 4.0"
    status=1
fi
characteristics=$(sed -nE 's/^DllCharacteristics[[:space:]]+([0-9a-fA-F]+).*/\1/p' <<<"$headers")
if (((0x$characteristics & 0x400) != 0)); then
    echo "marked IMAGE_DLLCHARACTERISTICS_NO_SEH: the system would not call the fault guard's handler"
    status=1
fi
# shellcheck disable=SC2086  # the names on one line
echo "imports $(wc -l <<<"$imports") functions of:" $libraries
size=$(stat -c %s "$saver")
echo "size: $size bytes"
if [[ -n $max_bytes ]] && ((size > max_bytes)); then
    echo "larger than $max_bytes bytes"
    status=1
fi
exit $status
