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
# shellcheck source=../../test_lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../test_lib.sh"
"$tool" "$work" || { echo "FAIL: orvelle-make-resources failed"; exit 1; }
for file in show_still.bmp orvelle.ico; do
    cmp "$committed/$file" "$work/$file" || fail "windows/resources/$file differs from what the tool draws now"
done
written=$(cd "$work" && echo *)
[[ $written == "orvelle.ico show_still.bmp" ]] || fail "the tool wrote $written"
"$tool" >/dev/null 2>&1 && fail "the tool ran without a directory"
((failures == 0)) && echo "windows/resources/show_still.bmp and windows/resources/orvelle.ico are up to date"
exit $((failures > 0))
