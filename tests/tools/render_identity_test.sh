#!/usr/bin/env bash
# Another build's render tool must write the native build's frames byte for byte, in each of the five
# formats: a digest of every one of FRAMES frames at 16 ms (and the raw bytes of every 100th), then of 300
# frames at irregular times, the clock now and then going backwards; and end with the native tool's exit
# code on good and bad command lines alike.
#
#   render_identity_test.sh NATIVE FRAMES COMMAND...
#
# COMMAND... starts the other render tool (e.g. wine-run orvelle-render.exe, or an emulator and the tool).
# Ends with 77, the code CTest counts as a skip, when the other tool cannot run on this machine.
set -uo pipefail
native=$1
frames=$2
shift 2
other=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=../test_lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../test_lib.sh"

# Deterministic irregular times: steps of 0 to 96 ms, every 37th one 50 ms back.
irregular=$(awk 'BEGIN { t = 1000; for (i = 1; i <= 300; i++) { t += (i % 37 == 0) ? -50 : (i * 7919) % 97;
                         printf "%s%d", (i > 1 ? "," : ""), t } }')
compare() { # label, then the options for both tools
    local label=$1
    shift
    "$native" "$@" --digest --out "$work/native-$label" >"$work/native-$label.txt" ||
        { fail "native render $label"; return; }
    local status=0
    "${other[@]}" "$@" --digest --out "$work/other-$label" >"$work/other-$label.raw.txt" || status=$?
    [[ $status -ne 77 ]] || skip "the other render tool cannot run on this machine"
    tr -d '\r' <"$work/other-$label.raw.txt" >"$work/other-$label.txt"
    [[ $status -eq 0 ]] || { fail "other render $label exited with $status"; return; }
    if ! cmp -s "$work/native-$label.txt" "$work/other-$label.txt"; then
        fail "$label: frame digests differ, first difference:"
        diff "$work/native-$label.txt" "$work/other-$label.txt" | head -4
    fi
    for raw in "$work/native-$label"/*.raw; do
        [[ -e $raw ]] || continue
        cmp -s "$raw" "$work/other-$label/$(basename "$raw")" ||
            fail "$label: $(basename "$raw") differs"
    done
    echo "$label: $(wc -l <"$work/native-$label.txt") frames compared"
}
for format in 8 555 565 24 32; do
    compare "$format-regular" --format "$format" --tick-ms 16 --frames "$frames" --every 100 --raw
    compare "$format-irregular" --format "$format" --ms "$irregular"
done
# One option table serves both tools: they accept and refuse the same command lines.
for args in "--frames 0 --digest" "--every 0 --digest" "--tick-ms 0 --frames 2 --digest" "--ms 1,,2 --digest" \
    "--ms 1,2 --frames 3 --digest" "--raw --digest" "--frames 3" "--format 7 --digest" "--frames"; do
    # shellcheck disable=SC2086 # the words of args are the options
    "$native" $args >/dev/null 2>&1
    expected=$?
    # shellcheck disable=SC2086
    "${other[@]}" $args >/dev/null 2>&1
    got=$?
    [[ $got -eq $expected ]] ||
        fail "'$args': exit code $got, the native tool's $expected"
done
exit $((failures > 0))
