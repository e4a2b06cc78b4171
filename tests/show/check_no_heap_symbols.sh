#!/usr/bin/env bash
# Fails when the show's library (or a program of ours, such as the X11 saver) refers to any heap or
# exception function: the show allocates nothing and throws nothing, and this checks it on the object code
# of every build.
set -euo pipefail
nm_tool=$1
library=$2
undefined=$("$nm_tool" --undefined-only --demangle "$library" | sed -nE 's/^ *U //p' | sort -u)
forbidden=$(grep -E '^_*(malloc|calloc|realloc|free|strdup)$|operator new|operator delete|__cxa_allocate_exception|__cxa_throw|_Unwind_Resume' <<<"$undefined" || true)
if [ -n "$forbidden" ]; then
    echo "$(basename "$library") refers to heap or exception functions:"
    echo "$forbidden"
    exit 1
fi
echo "no heap or exception functions among $(wc -l <<<"$undefined") undefined symbols"
