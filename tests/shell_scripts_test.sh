#!/usr/bin/env bash
# The project's shell scripts, the helpers they source (scripts/lib) and the tests' pass shellcheck, with the
# settings of .shellcheckrc. Run from the top of the tree (the first argument), where the files sourced as
# "$root/scripts/..." are found; the files are found when the test runs, so a new one is checked at once.
set -euo pipefail
cd "$1"
mapfile -t files < <(
    find scripts -maxdepth 2 -type f
    find tests -name '*.sh'
    echo tests/windows/fixtures/as-win98
    echo web/build-page
    echo packaging/build-msi
)
exec shellcheck "${files[@]}"
