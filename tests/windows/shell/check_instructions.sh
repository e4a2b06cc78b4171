#!/usr/bin/env bash
# Reads the disassembly of 32-bit Windows programs. The saver must run on an i486 with its FPU: every
# instruction in it must be one of that processor's (no cmov, fcomi or fcmov of the Pentium Pro, no
# cmpxchg8b, rdtsc or cpuid of the Pentium, no long nop, no MMX or SSE). The other programs, tools that run
# where the tests run, must hold no MMX, SSE or later SIMD instruction.
#
#   check_instructions.sh OBJDUMP SAVER.scr SAVER.map [PROGRAM...]
#
# The saver is stripped: its code is read up to the linker's list of static initialisers (from its link
# map), which ends the code section and is data. The other programs are read symbol by symbol, and the
# tables that the linker places among the code (exception tables, constructor lists) are skipped.
set -uo pipefail
objdump_tool=$1 saver=$2 map=$3
shift 3
status=0

# The i486's instructions with its FPU, as objdump names them in Intel syntax (prefixes apart); jcc and
# setcc by pattern below. nop only in its one-byte form: the multi-byte nop is the Pentium Pro's.
i486="aaa aad aam aas adc add and arpl bound bsf bsr bswap bt btc btr bts call cbw cdq clc cld cli cmc cmp
cmps cmpxchg cwd cwde daa das dec div enter hlt idiv imul in inc ins int int3 into iret jmp lahf lar lds lea
leave les lfs lgs lods loop loope loopne lret lsl lss mov movs movsx movzx mul neg nop not or out outs pop
popa popf push pusha pushf rcl rcr ret rol ror sahf sal sar sbb scas shl shld shr shrd stc std sti stos sub
test xadd xchg xlat xor fwait
f2xm1 fabs fadd faddp fbld fbstp fchs fcom fcomp fcompp fcos fdecstp fdiv fdivp fdivr fdivrp ffree fiadd
ficom ficomp fidiv fidivr fild fimul fincstp fist fistp fisub fisubr fld fld1 fldcw fldenv fldl2e fldl2t
fldlg2 fldln2 fldpi fldz fmul fmulp fnclex fninit fnop fnsave fnstcw fnstenv fnstsw fpatan fprem fprem1
fptan frndint frstor fscale fsin fsincos fsqrt fst fstp fsub fsubp fsubr fsubrp ftst fucom fucomp fucompp
fxam fxch fxtract fyl2x fyl2xp1"
end=$(sed -nE 's/^ +(0x[0-9a-f]+) +_+CTOR_LIST__ = \..*/\1/p' "$map" | head -1)
if [[ -z $end ]]; then
    echo "no static initialiser list in $map"
    exit 1
fi
found=$("$objdump_tool" -d -M intel --no-show-raw-insn --stop-address="$end" "$saver" | awk -F'\t' -v i486="$i486" '
    BEGIN { n = split(i486, names, /[ \n]+/); for (i = 1; i <= n; i++) known[names[i]] = 1 }
    /^ *[0-9a-f]+:\t/ {
        split($2, words, " ")
        w = 1
        while (words[w] ~ /^(rep[a-z]*|lock|data16|addr16|[c-gs]s)$/) w++
        m = words[w]
        if (m == "nop" && words[w + 1] != "") m = "long nop"
        if (!(m in known) && m !~ /^(j|set)(n?(a|ae|b|be|c|e|g|ge|l|le|o|p|s|z)|pe|po)$/ && m !~ /^j(e?cxz)$/) {
            print $0; count++ }
    }
    END { exit count > 0 }')
if [[ -n $found ]]; then
    echo "$(basename "$saver"): $(wc -l <<<"$found") instructions that an i486 lacks, the first:"
    head -5 <<<"$found"
    status=1
else
    echo "$(basename "$saver"): only i486 instructions, up to $end"
fi

for program in "$@"; do
    found=$("$objdump_tool" -d --no-show-raw-insn "$program" | awk '
        /^[0-9a-f]+ <.*>:$/ { data = ($2 ~ /^<(\.gcc_except_table|__CTOR_LIST__|__DTOR_LIST__)/); symbol = $2; next }
        data { next }
        /%[xyz]?mm[0-9]|\t(emms|femms|ldmxcsr|stmxcsr|[ls]fence|mfence|movnti|clflush|prefetch[a-z0-9]*|fisttp[a-z]*)\b/ {
            print symbol ": " $0; count++ }
        END { exit count > 0 }') && { echo "$(basename "$program"): no SIMD instruction"; continue; }
    echo "$(basename "$program"): $(wc -l <<<"$found") SIMD instructions, the first:"
    head -5 <<<"$found"
    status=1
done
exit $status
