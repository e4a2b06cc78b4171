#!/usr/bin/env bash
# orvelle-render end to end: file names and sizes of kept frames, and bad options ending with exit code 2
# and one line on stderr.
set -uo pipefail
render=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=../test_lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../test_lib.sh"

"$render" --format 24 --tick-ms 16 --frames 6 --every 3 --raw --out "$work/frames" || fail "render run failed"
for n in 00003 00006; do
    [ -f "$work/frames/frame-$n.png" ] || fail "frame-$n.png missing"
    size=$(stat -c %s "$work/frames/frame-$n.raw" 2>/dev/null || echo 0)
    [ "$size" = $((640 * 480 * 3)) ] || fail "frame-$n.raw has $size bytes"
done
[ "$(find "$work/frames" -mindepth 1 | wc -l)" = 4 ] || fail "other frames kept: $(ls "$work/frames")"

"$render" --format 8 --ms 100,250 --out "$work/last" || fail "--ms run failed"
[ "$(ls "$work/last")" = "frame-00002.png" ] || fail "by default only the last frame is kept: $(ls "$work/last")"

digest=$("$render" --format 565 --frames 3 --digest) || fail "--digest run failed"
[ "$(wc -l <<<"$digest")" = 3 ] || fail "one digest line per frame expected: $digest"

"$render" --help | grep -q -- '--format' || fail "--help shows no usage"

for args in "--format 7" "--frames" "--tick-ms x" "--every 0 --digest" "--unknown" "" "--out /proc/forbidden/x"; do
    # shellcheck disable=SC2086
    "$render" $args >"$work/out" 2>"$work/err"
    code=$?
    expected=2
    [ "$args" = "--out /proc/forbidden/x" ] && expected=1
    [ $code = $expected ] || fail "'$args' exited with $code, expected $expected"
    [ "$(wc -l <"$work/err")" = 1 ] || fail "'$args' should say one line on stderr: $(cat "$work/err")"
done

[ $failures = 0 ] && echo "render command line: all good"
exit $((failures > 0))
