#!/usr/bin/env bash
# Reads the disassembly of 32-bit Windows programs and fails on any MMX, SSE or later SIMD instruction: the
# 32-bit saver must run on processors without them, and on Windows 95, which never enables the SSE registers.
#
#   check_no_simd.sh OBJDUMP PROGRAM...
#
# Code is read symbol by symbol where the program has symbols; the tables that the linker places among the
# code (exception tables, constructor lists) are data and are skipped.
set -uo pipefail
objdump_tool=$1
shift
status=0
for program in "$@"; do
    found=$("$objdump_tool" -d --no-show-raw-insn "$program" | awk '
        /^[0-9a-f]+ <.*>:$/ { data = ($2 ~ /^<(\.gcc_except_table|__CTOR_LIST__|__DTOR_LIST__)/); symbol = $2; next }
        data { next }
        /%[xyz]?mm[0-9]|\t(emms|femms|ldmxcsr|stmxcsr|[ls]fence|mfence|movnti|clflush|prefetch[a-z0-9]*|fisttp[a-z]*)\b/ {
            print symbol ": " $0; count++ }
        END { exit count > 0 }') && continue
    echo "$(basename "$program"): $(wc -l <<<"$found") SIMD instructions, the first:"
    head -5 <<<"$found"
    status=1
done
[[ $status -eq 0 ]] && echo "no SIMD instruction in: $(for p in "$@"; do basename "$p"; done | tr '\n' ' ')"
exit $status
