"""A Windows executable on an emulated x86 processor: the image mapped at its preferred base, each
import bound to a stub of the caller's choice, and the stubs entered and left as the target's
calling convention says.

A stub is a handler, called with the function's arguments, and the kinds of those arguments:
  'u' a 32-bit value (UINT, DWORD, BOOL), 'p' a pointer or handle, 'c' a COORD passed by value.
Its result goes back as the kind named for it ('u', 'p', or None for a function that does not
return). Anything the program does against the convention ends the run with a fault.
"""
import struct

import pefile
import unicorn
from unicorn import x86_const as x86

PAGE = 0x1000
STUB_BASE = 0x7000_0000
SENTINEL = STUB_BASE + PAGE - 16  # the address the entry would return to
STACK_TOP = 0x0200_0000
HEAP_BASE = 0x0300_0000
HEAP_SIZE = 0x10_0000
STACK_FILL = 0xCC  # what a stack slot holds before the program writes it
JUNK = 0x5EED_0BAD_DEAD_BEEF
CALL_SITE_DEPTHS = 2  # the places a function with a call to Windows may be called from  # what a callee may leave in the registers it need not keep

# A scratch register's value or a 32-bit result's upper half is left as junk, as a real callee
# may leave it: a program that relies on either fails.
I686_SCRATCH = [x86.UC_X86_REG_ECX, x86.UC_X86_REG_EDX]
I686_SCRATCH_XMM = [getattr(x86, f"UC_X86_REG_XMM{n}") for n in range(8)]
WIN64_ARGUMENTS = [x86.UC_X86_REG_RCX, x86.UC_X86_REG_RDX, x86.UC_X86_REG_R8, x86.UC_X86_REG_R9]
WIN64_SCRATCH = WIN64_ARGUMENTS + [x86.UC_X86_REG_R10, x86.UC_X86_REG_R11]
WIN64_SCRATCH_XMM = [getattr(x86, f"UC_X86_REG_XMM{n}") for n in range(6)]
SYSV_ARGUMENTS = [x86.UC_X86_REG_RDI, x86.UC_X86_REG_RSI, x86.UC_X86_REG_RDX,
                  x86.UC_X86_REG_RCX]


class Fault(Exception):
    """Something the program did that a Windows process must not do."""


class Convention:
    """How a stub finds its arguments and returns. The stub of `twisted` breaks the convention on
    purpose, to show that the checks see it: it pops `extra_slots` slots more than it should."""

    def __init__(self, twisted=None, extra_slots=0):
        self.twisted, self.extra_slots = twisted, extra_slots

    def leave(self, machine, name, count, value):
        uc = machine.uc
        sp = machine.reg(self.sp)
        for register in self.scratch:
            uc.reg_write(register, JUNK & machine.pointer_mask)
        for register in self.scratch_xmm:
            uc.reg_write(register, JUNK << 64 | JUNK)
        popped = self.popped(count) + (self.extra_slots if name == self.twisted else 0)
        uc.reg_write(self.result, value)
        uc.reg_write(self.sp, sp + self.slot * (1 + popped))
        uc.reg_write(self.pc, machine.pointer(sp))


class Stdcall(Convention):
    """32-bit Windows: arguments in 32-bit stack slots above the return address, a COORD in one
    slot, the result in EAX, and the callee pops the arguments with its return."""
    mode, slot, stack_alignment = unicorn.UC_MODE_32, 4, 4
    sp, pc, result = x86.UC_X86_REG_ESP, x86.UC_X86_REG_EIP, x86.UC_X86_REG_EAX
    scratch, scratch_xmm = I686_SCRATCH, I686_SCRATCH_XMM

    def entry_stack(self, top, offset):
        """The stack the loader hands the entry: the return address over one argument, the return
        address slot `offset` bytes past a 16-byte boundary."""
        sp = (top - 64) & ~15
        return sp + offset, [SENTINEL, 0]

    def arguments(self, machine, name, count):
        sp = machine.reg(self.sp)
        return [machine.u32(sp + 4 * (k + 1)) for k in range(count)]

    def popped(self, count):
        return count


class Win64(Convention):
    """64-bit Windows: the first four arguments in RCX, RDX, R8 and R9, the rest in stack slots
    above 32 bytes of shadow space, the result in RAX, and the caller pops everything. On entry to
    a function the stack is 8 bytes past a 16-byte boundary."""
    mode, slot, stack_alignment = unicorn.UC_MODE_64, 8, 16
    sp, pc, result = x86.UC_X86_REG_RSP, x86.UC_X86_REG_RIP, x86.UC_X86_REG_RAX
    scratch, scratch_xmm = WIN64_SCRATCH, WIN64_SCRATCH_XMM

    def __init__(self, twisted=None, extra_slots=0, registers=WIN64_ARGUMENTS,
                 first_stack_slot=0x28):
        # The stub of `twisted` also takes its arguments from these registers and stack offset.
        super().__init__(twisted, extra_slots)
        self.registers, self.first_stack_slot = registers, first_stack_slot

    def entry_stack(self, top, offset):
        sp = (top - 64) & ~15
        return sp - 8, [SENTINEL]

    def arguments(self, machine, name, count):
        registers, first = WIN64_ARGUMENTS, 0x28
        if name == self.twisted:
            registers, first = self.registers, self.first_stack_slot
        sp = machine.reg(self.sp)
        values = [machine.reg(r) for r in registers[:count]]
        values += [machine.u64(sp + first + 8 * k) for k in range(count - len(values))]
        return values

    def popped(self, count):
        return 0


class Machine:
    """One run of one executable. `stubs` maps each imported name to (handler, argument kinds,
    result kind)."""

    def __init__(self, image, convention, stubs):
        self.convention = convention
        self.pointer_mask = (1 << (8 * convention.slot)) - 1
        self.uc = unicorn.Uc(unicorn.UC_ARCH_X86, convention.mode)
        self.ending = None
        self.faults = []
        self.call_depths = {}  # return address -> stack pointers at the call
        self.stubs = {}
        self.entry = image.load(self)
        self.bind(image, stubs)
        stack = STACK_TOP - image.stack_reserve
        self.uc.mem_map(stack, image.stack_reserve, unicorn.UC_PROT_READ | unicorn.UC_PROT_WRITE)
        self.uc.mem_write(stack, bytes([STACK_FILL]) * image.stack_reserve)
        self.uc.mem_map(HEAP_BASE, HEAP_SIZE, unicorn.UC_PROT_READ | unicorn.UC_PROT_WRITE)
        self.heap_next = HEAP_BASE
        self.uc.hook_add(unicorn.UC_HOOK_CODE, self.on_stub, begin=STUB_BASE,
                         end=STUB_BASE + PAGE - 1)
        self.uc.hook_add(unicorn.UC_HOOK_INTR, self.on_interrupt)

    def bind(self, image, stubs):
        # int3 everywhere: a jump into the stub page anywhere but a stub's first byte stops.
        self.uc.mem_map(STUB_BASE, PAGE, unicorn.UC_PROT_READ | unicorn.UC_PROT_EXEC)
        self.uc.mem_write(STUB_BASE, b"\xcc" * PAGE)
        for number, (slot, name) in enumerate(image.imports):
            if name not in stubs:
                raise Fault(f"the program imports {name}, which nothing here provides")
            address = STUB_BASE + 16 * number
            self.stubs[address] = (name, *stubs[name])
            self.uc.mem_write(slot, address.to_bytes(self.convention.slot, "little"))

    def run(self, stack_offset=0, timeout_s=30):
        """Runs the entry until a stub ends the run, or a fault does; `stack_offset` places the
        entry's stack (32-bit only)."""
        sp, pushed = self.convention.entry_stack(STACK_TOP, stack_offset)
        for k, value in enumerate(pushed):
            self.uc.mem_write(sp + k * self.convention.slot,
                              value.to_bytes(self.convention.slot, "little"))
        self.uc.reg_write(self.convention.sp, sp)
        try:
            self.uc.emu_start(self.entry, SENTINEL, timeout=timeout_s * 1_000_000)
        except unicorn.UcError as error:
            pc = self.reg(self.convention.pc)
            self.faults.append(f"processor fault at {pc:#x}: {error}")
        if self.reg(self.convention.pc) == SENTINEL:
            self.faults.append("the entry returned")
        if self.ending is None and not self.faults:
            self.faults.append(f"the run stopped at {self.reg(self.convention.pc):#x} with no "
                               f"ending (the time limit is {timeout_s} s)")
        return self

    def stop(self, ending):
        self.ending = self.ending or ending
        self.uc.emu_stop()

    def fault(self, message):
        self.faults.append(message)
        self.uc.emu_stop()

    def on_interrupt(self, uc, number, _):
        self.fault(f"interrupt {number} at {self.reg(self.convention.pc):#x}")

    def on_stub(self, uc, address, size, _):
        if address not in self.stubs:
            return  # an int3: on_interrupt reports it
        name, handler, kinds, result = self.stubs[address]
        try:
            self.check_call_site(name)
            raw = self.convention.arguments(self, name, len(kinds))
            value = handler(*[self.decode(v, kind) for v, kind in zip(raw, kinds)])
        except (Fault, unicorn.UcError) as error:
            self.fault(f"{name}: {error}")
            return
        if result is None or self.ending is not None or self.faults:
            uc.emu_stop()
            return
        if result == "u":  # only the low half is the result
            value = (JUNK & ~0xFFFF_FFFF | (value & 0xFFFF_FFFF)) & self.pointer_mask
        self.convention.leave(self, name, len(kinds), value & self.pointer_mask)

    def check_call_site(self, name):
        """Each call site sees the stack at the target's alignment, and at one of a few depths
        every time it runs: one for each place its function is called from (a function not
        inlined may be called at start-up and in the loop). A stack left off by a call drifts
        further on every pass of the loop, and soon goes past them."""
        sp = self.reg(self.convention.sp)
        if (sp + self.convention.slot) % self.convention.stack_alignment:
            raise Fault(f"called with the stack at {sp:#x}, off its "
                        f"{self.convention.stack_alignment}-byte alignment")
        caller = self.pointer(sp)
        depths = self.call_depths.setdefault(caller, [])
        if sp not in depths:
            depths.append(sp)
        if len(depths) > CALL_SITE_DEPTHS:
            raise Fault(f"the stack at the call from {caller:#x} moved by "
                        f"{', '.join(f'{d - depths[0]:+d}' for d in depths[1:])} bytes "
                        "since its first run")

    def decode(self, value, kind):
        if kind == "u":
            return value & 0xFFFF_FFFF
        if kind == "c":
            return (value & 0xFFFF, (value >> 16) & 0xFFFF)
        return value & self.pointer_mask

    def heap_block(self, size, alignment):
        address = (self.heap_next + alignment - 1) & -alignment
        self.heap_next = address + size
        return address  # the heap's pages start zeroed

    # Memory and registers.
    def reg(self, register):
        return self.uc.reg_read(register)

    def read(self, address, size):
        return bytes(self.uc.mem_read(address, size))

    def write(self, address, data):
        self.uc.mem_write(address, bytes(data))

    def u32(self, address):
        return struct.unpack("<I", self.read(address, 4))[0]

    def u64(self, address):
        return struct.unpack("<Q", self.read(address, 8))[0]

    def pointer(self, address):
        return self.u32(address) if self.convention.slot == 4 else self.u64(address)

    def write_pointer(self, address, value):
        self.write(address, (value & self.pointer_mask).to_bytes(self.convention.slot, "little"))


class Image:
    """The executable as the loader sees it: sections with their protections, the imports' slots,
    the entry point and the stack size asked for."""

    def __init__(self, path):
        pe = pefile.PE(path)
        header = pe.OPTIONAL_HEADER
        self.base, self.entry_rva = header.ImageBase, header.AddressOfEntryPoint
        self.stack_reserve = header.SizeOfStackReserve
        self.headers = pe.header[:header.SizeOfHeaders]
        self.sections = [(s.VirtualAddress, s.Misc_VirtualSize, s.get_data()[:s.Misc_VirtualSize],
                          s.Characteristics) for s in pe.sections]
        self.imports = [(i.address, i.name.decode()) for d in pe.DIRECTORY_ENTRY_IMPORT
                        for i in d.imports]
        pe.close()

    def load(self, machine):
        uc = machine.uc
        uc.mem_map(self.base, PAGE, unicorn.UC_PROT_READ)
        uc.mem_write(self.base, self.headers)
        for rva, size, data, characteristics in self.sections:
            protection = unicorn.UC_PROT_READ
            if characteristics & pefile.SECTION_CHARACTERISTICS["IMAGE_SCN_MEM_WRITE"]:
                protection |= unicorn.UC_PROT_WRITE
            if characteristics & pefile.SECTION_CHARACTERISTICS["IMAGE_SCN_MEM_EXECUTE"]:
                protection |= unicorn.UC_PROT_EXEC
            uc.mem_map(self.base + rva, (size + PAGE - 1) & -PAGE, protection)
            uc.mem_write(self.base + rva, data)
        return self.base + self.entry_rva
