# shellcheck shell=bash
# The probe that tells whether 32-bit x86 code runs: a 96-byte static i386 Linux program that only exits with
# code 42. Sourced by scripts/runs-32-bit, which runs it here, and scripts/emulated-32-bit, which runs it in
# its namespace; it only defines a function.

# Writes the probe into the project's build folder, rather than /tmp, which may be mounted without execution
# rights, and prints its path; the caller removes it.
probe_32_bit_make() { # root
    local probe
    mkdir -p "$1/build"
    probe=$(mktemp "$1/build/.runs-32-bit.XXXXXX")
    # ELF header, one loadable segment, then: mov ebx, 42; mov eax, 1 (exit); int 0x80.
    {
        printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
        printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
        printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'
        printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'
        printf '\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00'
        printf '\x00\x10\x00\x00\xbb\x2a\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80'
    } >"$probe"
    chmod +x "$probe"
    echo "$probe"
}
