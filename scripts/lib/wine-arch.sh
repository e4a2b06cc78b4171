# shellcheck shell=bash
# Which of the project's Wine prefixes a Windows program needs, read from its own PE header. Sourced by
# wine-env, and by the scripts that choose the prefix before they take wine-env's settings; it only defines
# functions.

# The prefix a Windows program needs, from the machine field of its PE header: win64 for x86-64 (8664),
# win32 for i386 (014c). Prints nothing for anything else, such as a Wine builtin like `reg`.
orvelle_wine_arch_of() {
    [[ -f $1 && -r $1 ]] || return 0
    local offset
    offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 0
    [[ $offset =~ ^[0-9]+$ ]] || return 0
    [[ $(od -An -c -j"$offset" -N4 "$1" 2>/dev/null | tr -d ' ') == 'PE\0\0' ]] || return 0
    case $(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ') in
    8664) echo win64 ;;
    014c) echo win32 ;;
    esac
    return 0
}

# Exports ORVELLE_WINE_ARCH, which wine-env reads, as the program's header asks; leaves it as it is where
# the header names no prefix.
orvelle_wine_arch_pick() { # program
    local arch
    arch=$(orvelle_wine_arch_of "$1")
    [[ -z $arch ]] || export ORVELLE_WINE_ARCH=$arch
}
