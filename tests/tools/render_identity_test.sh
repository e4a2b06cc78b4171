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
# Runs the other tool with the options, its stdout to OUT and its stderr to OUT.err, and sets status to its
# exit code. Wine now and then fails a program's connection to its server ("wine client error: ...", exit code
# 1) before or while the program runs; such a run says nothing of the tool, so it is run once more, saying so.
run_other() { # out, then the options
    local out=$1 attempt wine_failure
    shift
    for attempt in first again; do
        status=0
        "${other[@]}" "$@" >"$out" 2>"$out.err" || status=$?
        wine_failure=$(grep -Em1 '^wine( client error|:)' "$out.err")
        [[ $status -ne 0 && -n $wine_failure && $attempt == first ]] || return 0
        echo "note: Wine failed to run the other tool with '$*' ($wine_failure): once more"
    done
}
compare() { # label, then the options for both tools
    local label=$1
    shift
    "$native" "$@" --digest --out "$work/native-$label" >"$work/native-$label.txt" ||
        { fail "native render $label"; return; }
    run_other "$work/other-$label.raw.txt" "$@" --digest --out "$work/other-$label"
    [[ $status -ne 77 ]] || skip "the other render tool cannot run on this machine: $(cat "$work/other-$label.raw.txt.err")"
    tr -d '\r' <"$work/other-$label.raw.txt" >"$work/other-$label.txt"
    [[ $status -eq 0 ]] || { fail "other render $label exited with $status: $(cat "$work/other-$label.raw.txt.err")"; return; }
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
    run_other "$work/other-options.txt" $args
    [[ $status -eq $expected ]] ||
        fail "'$args': exit code $status, the native tool's $expected; it said: $(tr -d '\r' <"$work/other-options.txt.err")"
done
exit $((failures > 0))
