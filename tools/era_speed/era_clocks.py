"""Prices callgrind's per-instruction counts of the show's frames with the clock counts of an i486 and a
Pentium (cache hits assumed), and prints frames per second per pixel format. Used by scripts/measure-era-speed:
era_clocks.py WORKDIR FRAMES KINDS, where WORKDIR holds the objdump disassembly and one callgrind output per
format. The clock counts are those of Intel's manuals: the i486 Processor Programmer's Reference Manual (1990)
and the Pentium Processor Family Developer's Manual, volume 3 (1995); where a count is a range the middle
is taken, noted below."""
import re
import sys
from collections import defaultdict

I486_MHZ, PENTIUM_MHZ = 66.0, 100.0
FORMATS = [("8", "8 bpp"), ("565", "16 bpp"), ("24", "24 bpp"), ("32", "32 bpp")]

ALU = {"add", "sub", "and", "or", "xor", "adc", "sbb"}
SHIFTS = {"shl", "shr", "sar", "sal", "rol", "ror"}
SIMPLE = {"mov", "lea", "inc", "dec", "cmp", "test", "push", "pop", "nop", "neg", "not"} | ALU

# i486 clocks by mnemonic: (register or immediate form, form with a memory operand); a third entry is the
# form storing to memory where it differs. Ranges: imul/mul 13-42 -> 26, fild m32 9-12 -> 11, fistp 29-34
# -> 32, fadd 8-20 -> 10, fsqrt 83-87 -> 85.
I486 = {
    "mov": (1, 1), "movzx": (3, 3), "movsx": (3, 3), "lea": (1, 1), "xchg": (3, 5),
    "cmp": (1, 2), "test": (1, 2), "inc": (1, 3), "dec": (1, 3), "neg": (1, 3), "not": (1, 3),
    "push": (1, 4), "pop": (4, 6), "imul": (26, 26), "mul": (26, 26), "div": (40, 40), "idiv": (43, 43),
    "cdq": (3, 3), "cwde": (3, 3), "cbw": (3, 3), "shld": (2, 3), "shrd": (2, 3), "bswap": (1, 1),
    "jmp": (3, 5), "call": (3, 5), "ret": (5, 5), "leave": (5, 5), "nop": (1, 1), "sahf": (2, 2),
    "stos": (1, 1), "movs": (3, 3), "cmps": (7, 7), "scas": (6, 6), "lods": (5, 5),
    "fld": (4, 3), "fild": (11, 11), "fst": (3, 8), "fstp": (3, 8), "fist": (32, 32), "fistp": (32, 32),
    "fadd": (10, 10), "faddp": (10, 10), "fsub": (10, 10), "fsubp": (10, 10), "fsubr": (10, 10),
    "fsubrp": (10, 10), "fmul": (16, 14), "fmulp": (16, 16), "fdiv": (73, 73), "fdivp": (73, 73),
    "fdivr": (73, 73), "fdivrp": (73, 73), "fiadd": (22, 22), "fimul": (23, 23), "fxch": (4, 4),
    "fld1": (4, 4), "fldz": (4, 4), "fchs": (6, 6), "fabs": (3, 3), "fcom": (4, 4), "fcomp": (4, 4),
    "fucom": (4, 4), "fucomp": (4, 4), "fucompp": (5, 5), "fcompp": (5, 5), "ftst": (4, 4),
    "fnstsw": (3, 3), "fnstcw": (3, 3), "fldcw": (4, 4), "frndint": (25, 25), "fsqrt": (85, 85),
    "fscale": (31, 31), "fstp_st": (3, 3), "ffree": (3, 3), "fwait": (2, 2),
}
for _op in ALU:
    I486[_op] = (1, 2, 3)
for _op in SHIFTS:
    I486[_op] = (2, 4)

# Pentium clocks; floating-point operations at their issue rate (fmul one each two clocks, fadd one a clock),
# not their latency. Simple integer instructions pair (below).
PENTIUM = {
    "mov": 1, "lea": 1, "movzx": 3, "movsx": 3, "xchg": 2, "imul": 10, "mul": 11, "div": 41, "idiv": 46,
    "cdq": 2, "cwde": 3, "cbw": 3, "shld": 4, "shrd": 4, "bswap": 1, "jmp": 1, "call": 1, "ret": 2,
    "leave": 3, "nop": 1, "sahf": 2, "stos": 1, "movs": 1, "cmps": 4, "scas": 4, "lods": 2,
    "fld": 1, "fild": 3, "fst": 2, "fstp": 2, "fist": 6, "fistp": 6, "fadd": 1, "faddp": 1, "fsub": 1,
    "fsubp": 1, "fsubr": 1, "fsubrp": 1, "fmul": 2, "fmulp": 2, "fdiv": 39, "fdivp": 39, "fdivr": 39,
    "fdivrp": 39, "fiadd": 4, "fimul": 4, "fxch": 1, "fld1": 2, "fldz": 2, "fchs": 1, "fabs": 1,
    "fcom": 1, "fcomp": 1, "fucom": 1, "fucomp": 1, "fucompp": 1, "fcompp": 1, "ftst": 1, "fnstsw": 6,
    "fnstcw": 2, "fldcw": 8, "frndint": 15, "fsqrt": 70, "fscale": 25, "fstp_st": 1, "ffree": 1, "fwait": 1,
}
U_PAIRABLE = SIMPLE | SHIFTS
V_PAIRABLE = SIMPLE | {"jmp", "call"}
REGISTER = re.compile(r"\b(e?[abcd]x|[abcd][lh]|e?[sd]i|e?[sb]p)\b")


def family(register):
    return "e" + register[-2:] if register[-1] in "xip" else "e" + register[0] + "x"


def mnemonic_and_operands(text):
    parts = text.split(None, 1)
    words = parts[0:1] if parts else ["?"]
    if words[0] in ("rep", "repz", "repe", "repnz", "repne") and len(parts) > 1:
        parts = parts[1].split(None, 1)
        words = parts[0:1]
    op = re.sub(r"(s[bwd])$", "", words[0]) if words[0].startswith(("stos", "movs", "cmps", "scas", "lods")) \
        and words[0] not in ("movsx",) else words[0]
    operands = parts[1] if len(parts) > 1 else ""
    if op == "fstp" and operands.startswith("st"):
        op = "fstp_st"
    return op, operands


def read_disassembly(path):
    instructions = {}
    for line in open(path):
        match = re.match(r"\s*([0-9a-f]+):\t(.*)", line)
        if match and match.group(2).strip():
            op, operands = mnemonic_and_operands(match.group(2).split("#")[0].strip())
            instructions[int(match.group(1), 16)] = (op, operands)
    return instructions


def read_counts(path):
    """Self counts by address, taken counts of conditional jumps by address, and the function of each."""
    counts, taken, functions = defaultdict(int), defaultdict(int), {}
    skip_next, jump_taken, function = False, None, "?"
    for line in open(path):
        if line.startswith("fn="):
            name = line[3:].strip().replace("(anonymous namespace)::", "").split("(")[0]
            function = name.split(" ")[-1] if " " in name and "<" not in name else name.replace("void ", "")
            continue
        if line.startswith("calls="):
            skip_next = True
            continue
        if line.startswith("jcnd="):
            jump_taken = int(line[5:].split("/")[0])
            continue
        if not line.startswith("0x"):
            continue
        fields = line.split()
        address = int(fields[0], 16)
        if jump_taken is not None:
            taken[address] += jump_taken
            jump_taken = None
        if skip_next:
            skip_next = False
            continue
        if len(fields) >= 3:
            counts[address] += int(fields[2])
            functions[address] = function
    return counts, taken, functions


def i486_clocks(op, operands, count, taken):
    if op.startswith("j") and op not in ("jmp",):
        return 3 * taken + 1 * (count - taken)
    if op.startswith("set"):
        return 4 * count
    forms = I486.get(op)
    if forms is None:
        return None
    memory = "[" in operands
    if memory and len(forms) == 3 and operands.split(",")[0].find("[") >= 0:
        return forms[2] * count
    return forms[1 if memory else 0] * count


def writes(op, operands):
    if op in ("cmp", "test", "push", "nop", "jmp", "call"):
        return set()
    first = operands.split(",")[0]
    return {family(r) for r in REGISTER.findall(first)} if "[" not in first else set()


def reads(operands):
    return {family(r) for r in REGISTER.findall(operands)}


def pentium_clocks(ordered, counts, taken):
    """Clocks with simple pairing: an instruction pairs with the one after it when both are simple, the
    second does not use a register the first writes, and the first is no jump; a pair costs one clock."""
    total = 0
    paired_with_previous = False
    for index, (address, (op, operands)) in enumerate(ordered):
        count = counts.get(address, 0)
        if count == 0:
            paired_with_previous = False
            continue
        if op.startswith("j") or op.startswith("set"):
            clocks = 1
        else:
            clocks = PENTIUM.get(op, 1)
        if op in ALU | {"inc", "dec", "neg", "not"} and "[" in operands.split(",")[0]:
            clocks = 3
        if op in SHIFTS and "cl" in operands:
            clocks = 4
        total += clocks * count
        if paired_with_previous:
            paired_with_previous = False
            continue
        if index + 1 < len(ordered) and op in U_PAIRABLE and clocks == 1:
            next_address, (next_op, next_operands) = ordered[index + 1]
            next_count = counts.get(next_address, 0)
            v_ok = next_op in V_PAIRABLE or (next_op.startswith("j") and next_op != "jmp")
            if v_ok and not (writes(op, operands) & reads(next_operands)):
                total -= min(count, next_count)  # the second of each pair costs nothing more
                paired_with_previous = True
    return total


def measure(workdir, format_name, instructions, frames, kinds):
    counts, taken, functions = read_counts(f"{workdir}/{format_name}.out")
    executed = sum(counts.values())
    i486, unknown, frame_stores = 0, defaultdict(int), 0
    by_kind, by_function = defaultdict(int), defaultdict(int)
    for address, count in counts.items():
        op, operands = instructions.get(address, ("?", ""))
        clocks = i486_clocks(op, operands, count, taken.get(address, 0))
        if clocks is None:
            unknown[op] += count
            clocks = count
        i486 += clocks
        by_kind[op] += clocks
        by_function[functions[address]] += clocks
        destination = operands.split(",")[0]
        if op == "mov" and "PTR [" in destination and "esp" not in destination and "ebp" not in destination:
            frame_stores += count  # a store to memory other than the stack: at 8 bpp, to the frame
    ordered = sorted((a, instructions[a]) for a in counts if a in instructions)
    pentium = pentium_clocks(ordered, counts, taken)
    if kinds:
        top = sorted(by_kind.items(), key=lambda item: -item[1])[:14]
        print("  i486 clocks per frame by kind: " + ", ".join(f"{op} {c / frames:,.0f}" for op, c in top))
        top = sorted(by_function.items(), key=lambda item: -item[1])[:8]
        print("  i486 clocks per frame by function: " + "; ".join(f"{name} {c / frames:,.0f}" for name, c in top))
    if unknown:
        print("  priced at 1 clock (no table entry): " + ", ".join(f"{op} {c / frames:,.0f}" for op, c in
                                                                   sorted(unknown.items())))
    return executed / frames, i486 / frames, pentium / frames, frame_stores / frames


def main():
    workdir, frames, kinds = sys.argv[1], int(sys.argv[2]), sys.argv[3] == "1"
    instructions = read_disassembly(f"{workdir}/disassembly")
    print(f"{'format':8} {'instructions':>13} {'i486 clocks':>12} {'DX2-66 fps':>11} {'P5 clocks':>10} "
          f"{'P100 fps':>9}")
    for name, label in FORMATS:
        executed, i486, pentium, stores = measure(workdir, name, instructions, frames, kinds and name == "8")
        print(f"{label:8} {executed:13,.0f} {i486:12,.0f} {I486_MHZ * 1e6 / i486:11.1f} {pentium:10,.0f} "
              f"{PENTIUM_MHZ * 1e6 / pentium:9.1f}")
        if name == "8":
            # The display bus at 8 bpp: the clear's dword stores and the pixels' stores (every store other
            # than to the stack), each a VL-bus write of about 3 bus clocks at 33 MHz (two for a write with
            # zero wait states, and one wait state of the card's).
            writes_per_frame = 640 * 480 / 4 + stores
            bus_ms = writes_per_frame * 3 / 33e6 * 1e3
            print(f"         display bus at 8 bpp over a VL-bus: {writes_per_frame:,.0f} writes a frame, "
                  f"about {bus_ms:.1f} ms (not in the figures)")


main()
