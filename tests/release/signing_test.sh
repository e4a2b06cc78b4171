#!/usr/bin/env bash
# Signing the savers and their installer packages as scripts/release does (scripts/lib/sign.sh), with a
# throwaway self-signed certificate made here: each signed file passes osslsigncode verify against that
# certificate (and the unsigned one does not), two signings at the same SOURCE_DATE_EPOCH give the same
# bytes, a saver grows by its certificate table alone (appended after the image, whose size the 32-bit
# saver's limit applies to), a certificate without its key is refused, and the signed saver still runs under
# Wine (a switch it refuses ends it with -1).
#   signing_test.sh ORVELLE.scr [OTHER-ORVELLE.scr]   (the first one is run)
# Checks report as `condition && pass || fail`: pass and fail always succeed, so one runs.
# shellcheck disable=SC2015
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd -P)"
# shellcheck source=../test_lib.sh
. "$root/tests/test_lib.sh"
# shellcheck source=../../scripts/lib/sign.sh
. "$root/scripts/lib/sign.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset ORVELLE_SIGN_PASSWORD_FILE ORVELLE_SIGN_TIMESTAMP_URL

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Orvelle test signer" \
    -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 || fail "openssl made no certificate"
export ORVELLE_SIGN_CERT=$work/cert.pem ORVELLE_SIGN_KEY=$work/key.pem SOURCE_DATE_EPOCH=1700000000

verifies() { osslsigncode verify -CAfile "$ORVELLE_SIGN_CERT" -in "$1" 2>&1 | grep -q '^Signature verification: ok'; }
# A little-endian number of $3 bytes at offset $2 of file $1.
number_at() { od -An -tu"$3" -j"$2" -N"$3" "$1" | tr -d ' '; }
# The certificate table's file offset and size, from the PE header's data directory 4.
certificate_table() {
    local header directories
    header=$(($(number_at "$1" 60 4) + 24))
    directories=$((header + ($(number_at "$1" "$header" 2) == 0x20b ? 112 : 96)))
    echo "$(number_at "$1" $((directories + 32)) 4) $(number_at "$1" $((directories + 36)) 4)"
}
"$root/packaging/build-msi" x64 "$1" 1.0 "$work/orvelle.msi" 2>/dev/null || fail "build-msi failed"
saver=0
for original in "$@" "$work/orvelle.msi"; do
    saver=$((saver + 1))
    cp "$original" "$work/$saver.${original##*.}"
    cp "$original" "$work/$saver-again.${original##*.}"
    verifies "$work/$saver.${original##*.}" && fail "$original verifies before it was signed"
    if ! orvelle_sign "$work/$saver.${original##*.}" "$work/$saver-again.${original##*.}"; then
        fail "$original: signing failed"
        continue
    fi
    verifies "$work/$saver.${original##*.}" && pass "$original: signed, and the signature verifies" ||
        fail "$original: the signature does not verify"
    cmp -s "$work/$saver.${original##*.}" "$work/$saver-again.${original##*.}" && pass "$original: signed twice, the same bytes" ||
        fail "$original: two signings differ"
    [[ $original == *.msi ]] && continue
    unsigned=$(stat -c %s "$original") signed=$(stat -c %s "$work/$saver.scr")
    read -r at size <<<"$(certificate_table "$work/$saver.scr")"
    ((at == (unsigned + 7) / 8 * 8 && at + size == signed)) &&
        pass "$original: $unsigned bytes unsigned, $signed signed: only the $size bytes of the certificate table added" ||
        fail "$original: $unsigned bytes unsigned, $signed signed, the certificate table at $at, $size bytes"
done

refusal=$(ORVELLE_SIGN_KEY='' && orvelle_signing_requested 2>&1) && fail "a certificate without a key was taken"
[[ $refusal == *"both ORVELLE_SIGN_CERT and ORVELLE_SIGN_KEY"* ]] && pass "a certificate without a key is refused" ||
    fail "a certificate without a key: '$refusal'"

rc=0
"$root/scripts/wine-run" "$work/1.scr" x >/dev/null 2>&1 || rc=$?
[[ $rc == 255 ]] && pass "the signed saver runs under Wine" || fail "the signed saver ended with $rc, not 255"
echo "$failures failure(s)"
exit $((failures > 0))
