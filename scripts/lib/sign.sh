# shellcheck shell=bash
# Authenticode signatures on the Windows savers, made with osslsigncode: sourced by scripts/release and by
# the test of signing. Reads, from the environment:
#   ORVELLE_SIGN_CERT            the certificate, PEM or DER (a PEM file may hold the chain after it)
#   ORVELLE_SIGN_KEY             its private key
#   ORVELLE_SIGN_PASSWORD_FILE   a file holding the key's password, if it has one
#   ORVELLE_SIGN_TIMESTAMP_URL   an RFC 3161 timestamp server, so that the signature outlives the certificate
# Without a timestamp server the signing time is SOURCE_DATE_EPOCH (the commit's) where that is set, and the
# signed files are the same bytes on every run with the same key.

# True when both the certificate and the key are named; false when neither is. Naming only one is a
# mistake that ends the caller with a message.
orvelle_signing_requested() {
    if [[ -n ${ORVELLE_SIGN_CERT:-} && -n ${ORVELLE_SIGN_KEY:-} ]]; then
        return 0
    fi
    if [[ -n ${ORVELLE_SIGN_CERT:-}${ORVELLE_SIGN_KEY:-} ]]; then
        echo "signing needs both ORVELLE_SIGN_CERT and ORVELLE_SIGN_KEY" >&2
        exit 1
    fi
    return 1
}

# Signs each file in place with SHA-256, naming the program and the maker's page in the signature.
orvelle_sign() { # file...
    local file options=(-certs "$ORVELLE_SIGN_CERT" -key "$ORVELLE_SIGN_KEY" -h sha256 -n Orvelle
        -i https://kestrune.example.com/)
    [[ -z ${ORVELLE_SIGN_PASSWORD_FILE:-} ]] || options+=(-readpass "$ORVELLE_SIGN_PASSWORD_FILE")
    if [[ -n ${ORVELLE_SIGN_TIMESTAMP_URL:-} ]]; then
        options+=(-ts "$ORVELLE_SIGN_TIMESTAMP_URL")
    elif [[ -n ${SOURCE_DATE_EPOCH:-} ]]; then
        options+=(-time "$SOURCE_DATE_EPOCH")
    fi
    for file in "$@"; do
        osslsigncode sign "${options[@]}" -in "$file" -out "$file.signed" >/dev/null ||
            { rm -f "$file.signed"; echo "signing $file failed" >&2; return 1; }
        mv "$file.signed" "$file"
    done
}
