#!/usr/bin/env bash
# Fails when the show's library holds a fused multiply-add instruction (ARM's fmadd, fmla and their kin, VFPv4's
# vfma, x86's vfmadd...): rounding a product and a sum once instead of twice changes the last bit of a double,
# and with it, now and then, a pixel. The build asks for none (-ffp-contract=off); this checks the object code.
#   check_no_fused_multiply_add.sh OBJDUMP LIBRARY
set -euo pipefail
objdump_tool=$1
library=$2
code=$("$objdump_tool" --disassemble --no-show-raw-insn "$library")
fused=$(grep -E $'\t(fn?m(add|sub)|fml[as]|vfn?m[as]|vfn?m(add|sub)[0-9a-z]*)[. \t]' <<<"$code" || true)
if [ -n "$fused" ]; then
    echo "$(basename "$library") holds $(wc -l <<<"$fused") fused multiply-adds, the first:"
    head -5 <<<"$fused"
    exit 1
fi
echo "no fused multiply-add among $(grep -c $'^ *[0-9a-f]*:\t' <<<"$code") instructions"
