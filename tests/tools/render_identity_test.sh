#!/usr/bin/env bash
# The native and the Windows render tool (run under Wine) must write byte-identical frames: a digest of every
# one of 600 frames at 16 ms in each of the five formats, and the raw bytes of every 100th frame.
set -uo pipefail
native=$1
wine_run=$2
windows=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
for format in 8 555 565 24 32; do
    "$native" --format "$format" --tick-ms 16 --frames 600 --digest --every 100 --raw --out "$work/native-$format" \
        >"$work/native-$format.txt" || { echo "FAIL: native render $format"; failures=$((failures + 1)); continue; }
    "$wine_run" "$windows" --format "$format" --tick-ms 16 --frames 600 --digest --every 100 --raw \
        --out "$work/windows-$format" | tr -d '\r' >"$work/windows-$format.txt" ||
        { echo "FAIL: Windows render $format"; failures=$((failures + 1)); continue; }
    if ! cmp -s "$work/native-$format.txt" "$work/windows-$format.txt"; then
        echo "FAIL: format $format: frame digests differ, first difference:"
        diff "$work/native-$format.txt" "$work/windows-$format.txt" | head -4
        failures=$((failures + 1))
    fi
    for raw in "$work/native-$format"/*.raw; do
        cmp -s "$raw" "$work/windows-$format/$(basename "$raw")" ||
            { echo "FAIL: format $format: $(basename "$raw") differs"; failures=$((failures + 1)); }
    done
    echo "format $format: $(wc -l <"$work/native-$format.txt") frames compared, $(ls "$work/native-$format"/*.raw | wc -l) raw files identical"
done
exit $((failures > 0))
