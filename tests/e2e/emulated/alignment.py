"""The instructions of a 32-bit program that may touch memory at an address that isn't a multiple
of 16 while needing one: the aligned moves, and any other SSE instruction with a memory operand
except those that take unaligned memory (unaligned and partial moves, scalar arithmetic and
conversions). 32-bit Windows aligns the stack to 4 bytes and heap blocks to 8, and the emulator
does not fault on a misaligned access, so they are looked for in the disassembly.

An operand that is a fixed address, a multiple of 16, is safe: it is a constant of the image,
which is never loaded at other than its base (it has no relocations), and that base is a
multiple of 64 KiB. The compiler uses such constants for sign masks.
"""
import re
import subprocess

OBJDUMP = "i686-w64-mingw32-objdump"
UNALIGNED = re.compile(r"mov(ups|upd|dqu|ss|sd|q|d|lps|hps|lpd|hpd)|lddqu|cvtps2pd|cvtdq2pd"
                       r"|(?!p)[a-z0-9]+s[sd]|cvtt?s[sd]2si[lq]?|cvtsi2s[sd][lq]?")
INSTRUCTION = re.compile(r"^\s*([0-9a-f]+):\s+([a-z0-9.]+)\s+(.*)$")
FIXED_ADDRESS = re.compile(r"(%ds:)?0x([0-9a-f]+)")


def memory_operands(operands):
    """The operands of an AT&T-syntax operand list that are memory: not a register, not an
    immediate."""
    found = []
    for operand in re.split(r",(?![^(]*\))", operands):
        operand = operand.strip()
        if not operand.startswith(("%", "$")) or ":" in operand:
            found.append(operand)
    return found


def needs_alignment(mnemonic, operands):
    if "%xmm" not in operands or UNALIGNED.fullmatch(mnemonic):
        return False
    for operand in memory_operands(operands):
        fixed = FIXED_ADDRESS.fullmatch(operand)
        if not fixed or int(fixed[2], 16) % 16:
            return True
    return False


def scan(exe):
    """(SSE instructions with a memory operand seen, those that may meet a misaligned address)."""
    listing = subprocess.run([OBJDUMP, "-d", "--no-show-raw-insn", exe], check=True,
                             stdout=subprocess.PIPE, text=True).stdout
    seen, misaligned = 0, []
    for line in listing.splitlines():
        match = INSTRUCTION.match(line)
        if not match or "%xmm" not in match[3] or not memory_operands(match[3]):
            continue
        seen += 1
        if needs_alignment(match[2], match[3]):
            misaligned.append(line.strip())
    return seen, misaligned
