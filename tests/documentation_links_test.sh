#!/usr/bin/env bash
# README.md and every page in docs/ point only at what exists: every relative link and image names a file or
# folder, every #anchor a heading of the page it leads to, and every scripts/... command named is in the tree.
# The checker first shows, on planted copies, that it reports each kind of break.
#   documentation_links_test.sh ROOT
# shellcheck disable=SC2015,SC2016  # check && pass || fail, which always succeed; markdown's backquotes
set -euo pipefail
# shellcheck source=test_lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"

# The anchors of a page's headings, as GitHub makes them: lower case, punctuation dropped, spaces as dashes.
anchors() {
    sed -n 's/^#\{1,6\} \{1,\}//p' "$1" | tr '[:upper:]' '[:lower:]' | sed 's/[^[:alnum:] _-]//g; s/ /-/g'
}

# Prints one line for each reference in ROOT's README.md and docs/*.md that leads nowhere.
broken_references() {
    local root=$1 page target path anchor file name
    for page in "$root/README.md" "$root"/docs/*.md; do
        [[ -f $page ]] || continue
        while read -r target; do
            [[ ! $target =~ ^(https?|mailto): ]] || continue
            path=${target%%#*} anchor=${target#*#} file=$page
            [[ $target == *#* ]] || anchor=
            [[ -z $path ]] || file=$(dirname "$page")/$path
            if [[ ! -e $file ]]; then
                echo "${page#"$root"/}: $target: no such file"
            elif [[ -n $anchor ]] && ! anchors "$file" | grep -qxF "$anchor"; then
                echo "${page#"$root"/}: $target: no such heading"
            fi
        done < <(grep -oE '\]\([^) ]+\)' "$page" | sed 's/^](//; s/)$//')
        while read -r name; do
            [[ -e $root/$name ]] || echo "${page#"$root"/}: $name: no such command"
        done < <(grep -oE '(^|[^/[:alnum:]_.-])scripts/[[:alnum:]_./-]*[[:alnum:]_-]' "$page" | sed 's/^[^s]//' | sort -u)
    done
}

# Planted breaks, one per row (what, the line added to a sound README): each must be reported, once.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/docs" "$work/scripts"
touch "$work/docs/picture.png" "$work/scripts/run"
printf '# A page\n\n## The `first` part, in short\n\n[back](../README.md#the-saver)\n' >"$work/docs/page.md"
sound='# The saver
[a page](docs/page.md) [its part](docs/page.md#the-first-part-in-short) ![a picture](docs/picture.png)
Run scripts/run, or `scripts/run`; https://example.com/scripts/none is not ours. [top](#the-saver)'
planted=(
    "a link to no file|[gone](docs/gone.md)"
    "an image of no file|![gone](docs/gone.png)"
    "an anchor of no heading|[part](docs/page.md#the-second-part)"
    "an anchor on its own page|[top](#the-end)"
    "a command that does not exist|run scripts/gone first"
)
echo "$sound" >"$work/README.md"
report=$(broken_references "$work")
[[ -z $report ]] && pass "a sound README passes" || fail "a sound README reported: $report"
for row in "${planted[@]}"; do
    case_name=${row%%|*}
    printf '%s\n%s\n' "$sound" "${row#*|}" >"$work/README.md"
    report=$(broken_references "$work")
    [[ $(grep -c . <<<"$report") == 1 ]] && pass "$case_name: $report" || fail "reported '$report'"
done
case_name=

report=$(broken_references "$1")
[[ -z $report ]] && pass "README.md and docs/: every link, image, anchor and command resolves"
while read -r line; do [[ -z $line ]] || fail "$line"; done <<<"$report"
exit $((failures > 0))
