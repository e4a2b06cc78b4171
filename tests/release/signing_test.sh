#!/usr/bin/env bash
# Signing the savers as scripts/release does (scripts/lib/sign.sh), with a throwaway self-signed certificate
# made here: each signed file passes osslsigncode verify against that certificate (and the unsigned one does
# not), two signings at the same SOURCE_DATE_EPOCH give the same bytes, a certificate without its key is
# refused, and the signed saver still runs under Wine (a switch it refuses ends it with -1).
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
saver=0
for original in "$@"; do
    saver=$((saver + 1))
    cp "$original" "$work/$saver.scr"
    cp "$original" "$work/$saver-again.scr"
    verifies "$work/$saver.scr" && fail "$original verifies before it was signed"
    if ! orvelle_sign "$work/$saver.scr" "$work/$saver-again.scr"; then
        fail "$original: signing failed"
        continue
    fi
    verifies "$work/$saver.scr" && pass "$original: signed, and the signature verifies" ||
        fail "$original: the signature does not verify"
    cmp -s "$work/$saver.scr" "$work/$saver-again.scr" && pass "$original: signed twice, the same bytes" ||
        fail "$original: two signings differ"
done

refusal=$(ORVELLE_SIGN_KEY='' && orvelle_signing_requested 2>&1) && fail "a certificate without a key was taken"
[[ $refusal == *"both ORVELLE_SIGN_CERT and ORVELLE_SIGN_KEY"* ]] && pass "a certificate without a key is refused" ||
    fail "a certificate without a key: '$refusal'"

rc=0
"$root/scripts/wine-run" "$work/1.scr" x >/dev/null 2>&1 || rc=$?
[[ $rc == 255 ]] && pass "the signed saver runs under Wine" || fail "the signed saver ended with $rc, not 255"
echo "$failures failure(s)"
exit $((failures > 0))
