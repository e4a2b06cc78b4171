#!/usr/bin/env bash
# The committed still and icon are byte for byte what orvelle-make-resources draws from the show now.
#
# A change to the show or to the tool that alters them needs them regenerated with
#   cmake --build build/native --target regenerate-resources
set -uo pipefail
tool=$1
committed=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" "$work" || { echo "FAIL: orvelle-make-resources failed"; exit 1; }
failures=0
for file in show_still.bmp orvelle.ico; do
    if ! cmp "$committed/$file" "$work/$file"; then
        echo "FAIL: resources/$file differs from what the tool draws now"
        failures=$((failures + 1))
    fi
done
written=$(cd "$work" && echo *)
[[ $written == "orvelle.ico show_still.bmp" ]] || { echo "FAIL: the tool wrote $written"; failures=$((failures + 1)); }
"$tool" >/dev/null 2>&1 && { echo "FAIL: the tool ran without a directory"; failures=$((failures + 1)); }
((failures == 0)) && echo "resources/show_still.bmp and resources/orvelle.ico are up to date"
exit $((failures > 0))
