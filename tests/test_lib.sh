# shellcheck shell=bash
# What the shell tests share: counting failed checks, saying which passed, skipping, and polling. Sourced by
# the tests; it only sets failures to 0 and defines functions.
#
# A test whose checks run case by case sets case_name, which then heads each failure it reports. A test
# ends with `exit $((failures > 0))`, or with 77, the code CTest counts as a skip, through skip.
# shellcheck disable=SC2154  # case_name is set by the tests that name their cases

failures=0

# Counts a failed check and says which. Always succeeds, so that `check && pass || fail` runs one of them.
fail() {
    echo "FAIL: ${case_name:+$case_name: }$*"
    failures=$((failures + 1))
}

pass() {
    echo "ok: $*"
}

# Ends the test as skipped, with the reason.
skip() {
    echo "SKIPPED: $*"
    exit 77
}

# Polls a command until it succeeds, for up to eventually_seconds (60 unless the test sets it: a sanitizer
# build on a busy machine is slow); fails when it never does.
eventually() {
    local tries=$((${eventually_seconds:-60} * 10))
    for ((; tries > 0; tries--)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
