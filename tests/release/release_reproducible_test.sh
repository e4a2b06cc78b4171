#!/usr/bin/env bash
# The release is the same bytes however it is made: scripts/release runs twice on clean clones of the
# repository's HEAD, in two folders of different names, one after the other, the second as the user nobody
# when this runs as root (as the same user elsewhere, which it says); every file must be the same, and a
# Debian package is there for each Linux architecture. Where one differs, cmp names the file and its first
# differing byte. Before that, a clone with a changed file is refused in one line.
#   release_reproducible_test.sh REPOSITORY
set -euo pipefail
repository=$(cd "$1" && pwd -P)
# The unsigned release, whatever the caller's environment names.
unset ORVELLE_SIGN_CERT ORVELLE_SIGN_KEY ORVELLE_SIGN_PASSWORD_FILE ORVELLE_SIGN_TIMESTAMP_URL
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
fail() { echo "release_reproducible_test: $*" >&2; exit 1; }

commit=$(git -C "$repository" rev-parse HEAD)
for clone in first/orvelle second-folder/orvelle-rebuilt; do
    git clone --quiet --no-local "$repository" "$work/$clone"
    git -C "$work/$clone" checkout --quiet --detach "$commit"
done

echo changed >>"$work/first/orvelle/README.md"
if refusal=$("$work/first/orvelle/scripts/release" 2>&1); then
    fail "a work tree with a changed file was released"
fi
[[ $(wc -l <<<"$refusal") -eq 1 && $refusal == *uncommitted* ]] || fail "refused with '$refusal', not one line"
git -C "$work/first/orvelle" checkout --quiet README.md

"$work/first/orvelle/scripts/release" || fail "the first release failed"
sleep 1 # so that no time of the second run can equal the first's
as_other=()
if [[ $EUID -eq 0 ]]; then
    chown -R nobody:nogroup "$work/second-folder"
    as_other=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$work/second-folder")
else
    echo "release_reproducible_test: not root, so both releases are made as $(id -un)"
fi
"${as_other[@]}" "$work/second-folder/orvelle-rebuilt/scripts/release" || fail "the second release failed"

first=$work/first/orvelle/build/release
second=$work/second-folder/orvelle-rebuilt/build/release
names=$(cd "$first" && printf '%s ' *)
[[ $names == "$(cd "$second" && printf '%s ' *)" ]] ||
    fail "the releases hold different files: $names / $(cd "$second" && printf '%s ' *)"
for architecture in amd64 arm64 armhf i386; do
    [[ $names == *_"$architecture".deb* ]] || fail "no package for $architecture among $names"
done
status=0
for name in $names; do
    cmp "$first/$name" "$second/$name" || status=1
done
[[ $status -eq 0 ]] || fail "the two releases differ (above: the file and its first differing byte)"
echo "release_reproducible_test: the two releases are the same bytes: $names"
