#!/usr/bin/env python3
"""Both Windows programs run instruction by instruction on an emulated processor, from their
entry points, each import answered by the small scripted Windows of emulated/:
 - start-up: the calls in their order with their arguments; and each start-up failure ending
   through ExitProcess(1) after ReleaseAll's calls in order, with no frame;
 - 2,100 passes of the frame loop on a scripted 10 MHz counter: every frame byte for byte the
   replay tool's for the same readings, none for a repeated reading, waveOutWrite before exactly
   the frames the replay tool marks as floor bounces, the prepared sound the replay tool's, the
   header's size in every header call, and the entry never returning;
 - the calling conventions as the stubs enforce them; on i686, the entry run with its stack at
   each of the four 4-byte offsets modulo 16 (the whole script at the first, its first 400
   passes and every start-up failure at the others), and no instruction that needs 16-byte
   aligned memory where it may not have it;
 - that the checks bite: stubs that pop one slot too many or too few (i686), that take their
   arguments from the wrong registers or stack slots (x86_64), and a frame with one byte
   flipped, each make a run fail.

usage: windows_emulated.py I686_EXE X86_64_EXE REPLAY_TOOL [TOOLCHAIN]
TOOLCHAIN is mingw (the default) or clang-cl. The clang-cl build reads the counter in a function
of its own that realigns its stack and restores it from its frame pointer, so a wrong pop count
of QueryPerformanceCounter changes nothing there, and only the other two pop mutations apply.
With both programs missing and ZORVENDALE_NO_WINDOWS_BUILD=1 set, the check is skipped (77).
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "emulated"))
sys.dont_write_bytecode = True  # nothing written into the source tree

# pylint: disable=wrong-import-position
import alignment
import counter
from expected import Expected
from machine import SYSV_ARGUMENTS, Image, Machine, Stdcall, Win64
from windows import (CONSOLE, DEVICE, FAILURES, HEAP_NO_SERIALIZE, NO_FREQUENCY, PROCESS_HEAP,
                     STD_OUTPUT_HANDLE, ScriptedWindows)

WAVE_FORMAT = (1, 2, 11025, 22050, 2, 8, 0)  # PCM, channels, rate, bytes/s, align, bits, extra
WINDOW = (0, 0, 59, 39)
# The imports whose pop count, one slot off, each build's code must feel.
POPS_FELT = {"mingw": ("QueryPerformanceCounter", "WriteConsoleOutputA", "waveOutWrite"),
             "clang-cl": ("WriteConsoleOutputA", "waveOutWrite")}
SHORT_PASSES = 400  # at the other stack offsets: three floor bounces, some 300 frames


class Target:
    def __init__(self, name, exe, convention, header_size, stack_offsets, mutations):
        self.name, self.image, self.convention = name, Image(exe), convention
        self.header_size, self.stack_offsets, self.mutations = header_size, stack_offsets, mutations
        self.header = None  # the header's address, as the first run prepared it


def run(target, expected, convention=None, stack_offset=0, failure=None, flip=None,
        passes=None):
    windows = ScriptedWindows(expected, failure, flip, passes)
    machine = Machine(target.image, convention or target.convention(), windows.stubs())
    windows.machine = machine
    machine.run(stack_offset)
    return windows


def expected_calls(target, windows, failure):
    """Start-up's calls up to the step that `failure` makes fail, then ReleaseAll's and
    ExitProcess(1); otherwise up to the frame loop's first counter read."""
    grid, sound = (windows.blocks + [0, 0])[:2]
    steps = [
        [("AllocConsole",), ("GetStdHandle", STD_OUTPUT_HANDLE)],
        [("SetConsoleTitleA", b"Zorvendale"), ("SetConsoleDisplayMode", CONSOLE, 2, 0),
         ("SetConsoleWindowInfo", CONSOLE, 1, WINDOW), ("SetConsoleScreenBufferSize", CONSOLE,
                                                        (60, 40)),
         ("SetConsoleCursorInfo", CONSOLE, (1, 0)),
         ("HeapAlloc", PROCESS_HEAP, HEAP_NO_SERIALIZE, 9600)],
        [("HeapAlloc", PROCESS_HEAP, HEAP_NO_SERIALIZE, 4800)],
        [("waveOutOpen", 0, WAVE_FORMAT, 0, 0, 0)],
        [("waveOutPrepareHeader", DEVICE, target.header, target.header_size)],
    ]
    last = FAILURES.index(failure) if failure in FAILURES else len(steps) - 1
    calls = [call for step in steps[:last + 1] for call in step]
    if failure not in FAILURES:
        return calls + [("QueryPerformanceFrequency",), ("QueryPerformanceCounter",)]
    device = DEVICE if failure == FAILURES[-1] else 0
    return calls + [("waveOutUnprepareHeader", device, target.header, target.header_size),
                    ("waveOutClose", device), ("HeapFree", PROCESS_HEAP, 0, sound),
                    ("HeapFree", PROCESS_HEAP, 0, grid), ("FreeConsole",), ("ExitProcess", 1)]


def frame_loop_problems(target, windows, expected):
    """What is wrong with a run of the whole counter script."""
    if windows.machine.faults:
        return windows.machine.faults
    if windows.machine.ending != "the counter script ran out":
        return [f"the run ended with {windows.machine.ending}"]
    start = expected_calls(target, windows, windows.failure)
    if windows.calls[:len(start)] != start:
        return [difference("start-up", windows.calls[:len(start)], start)]
    loop = {("QueryPerformanceCounter",),
            ("WriteConsoleOutputA", CONSOLE, (60, 40), (0, 0), WINDOW),
            ("waveOutWrite", DEVICE, target.header, target.header_size)}
    problems = [f"frame loop call {call}" for call in set(windows.calls[len(start):]) - loop]
    if windows.frames != expected.frames_for(windows.counter_reads):
        problems.append(f"{windows.frames} frames, the replay tool gives "
                        f"{expected.frames_for(windows.counter_reads)}")
    if windows.header[1] != (windows.blocks[1], 4800, 0, 0, 0, 0, 0, 0):
        problems.append(f"the header as prepared: {windows.header[1]}")
    if windows.prepared != expected.wave:
        problems.append("the prepared buffer is not the replay tool's sound")
    return problems


def failure_problems(target, windows, failure):
    wanted = expected_calls(target, windows, failure)
    if windows.machine.faults:
        return windows.machine.faults
    if windows.calls != wanted:
        return [difference("the", windows.calls, wanted)]
    return []


def difference(which, calls, wanted):
    at = next((k for k, (a, b) in enumerate(zip(calls, wanted)) if a != b),
              min(len(calls), len(wanted)))
    return (f"{which} call {at + 1} is {calls[at] if at < len(calls) else 'missing'}, "
            f"expected {wanted[at] if at < len(wanted) else 'none'}")


def check_target(target, expected):
    """The whole counter script with the entry's stack at the first offset, the first passes of
    it at the others, and each start-up failure at every offset."""
    problems = []
    for offset in target.stack_offsets:
        began = time.monotonic()
        passes = None if offset == target.stack_offsets[0] else SHORT_PASSES
        windows = run(target, expected, stack_offset=offset, passes=passes)
        if windows.header and not target.header:
            target.header = windows.header[0]
        found = frame_loop_problems(target, windows, expected)
        sounds = sum(call[0] == "waveOutWrite" for call in windows.calls)
        run_name = target.name
        if len(target.stack_offsets) > 1:
            run_name += f", entry stack at 16n+{offset}"
        print(f"{run_name}: {windows.frames} frames from {windows.counter_reads - 1} readings, "
              f"{sounds} sounds, {time.monotonic() - began:.1f} s{', FAIL' if found else ''}")
        for failure in FAILURES:
            windows = run(target, expected, stack_offset=offset, failure=failure)
            found += [f"{failure}: {p}" for p in failure_problems(target, windows, failure)]
        problems += [f"{run_name}: {p}" for p in found]
    windows = run(target, expected, failure=NO_FREQUENCY, passes=SHORT_PASSES)
    problems += [f"{target.name}, {NO_FREQUENCY}: {p}"
                 for p in frame_loop_problems(target, windows, expected)]
    if not problems:
        print(f"{target.name}: each start-up failure ends through ReleaseAll and ExitProcess(1); "
              f"with {NO_FREQUENCY}, the clock runs at 10 MHz")
    return problems


def check_mutations(target, expected):
    """Each deliberately broken stub or frame must make a run fail."""
    problems = []
    for description, convention, flip in target.mutations:
        windows = run(target, expected, convention=convention, flip=flip)
        found = frame_loop_problems(target, windows, expected)
        if found:
            print(f"{target.name}, caught: {description}: {found[0]}")
        else:
            problems.append(f"{target.name}: not caught: {description}")
    return problems


def check_alignment(exe):
    seen, misaligned = alignment.scan(exe)
    problems = [f"i686: may need 16-byte aligned memory: {line}" for line in misaligned]
    if seen == 0:
        problems.append("i686: the disassembly scan found no SSE memory operand at all")
    # What the scan must not let through, as the compiler writes it.
    for line in ("movaps %xmm0,0x10(%esp)", "mulpd (%eax),%xmm1", "xorps 0x401ad8,%xmm5"):
        if not alignment.needs_alignment(*line.split()):
            problems.append(f"the disassembly scan passes {line}")
    print(f"i686: {seen} SSE instructions with a memory operand, {len(misaligned)} of them "
          "needing 16-byte alignment the stack or heap may not give")
    return problems


def mutations(wrong_conventions):
    # A cell's character byte, which the cell dump shows, and its attribute's high byte, which
    # only the frame line's hash covers.
    cell = 4 * (20 * 60 + 30)
    return wrong_conventions + [
        ("frame 40 with one character byte flipped", None, (39, cell)),
        ("frame 40 with one attribute high byte flipped", None, (39, cell + 3)),
    ]


def main(i686_exe, x86_64_exe, replay, toolchain="mingw"):
    if (not os.path.exists(i686_exe) and not os.path.exists(x86_64_exe)
            and os.environ.get("ZORVENDALE_NO_WINDOWS_BUILD") == "1"):
        print("SKIP: the Windows programs were not built (ZORVENDALE_NO_WINDOWS_BUILD=1)")
        return 77
    for exe in (i686_exe, x86_64_exe):
        if not os.path.isfile(exe):
            print(f"FAIL: {exe} is missing", file=sys.stderr)
            return 1
    targets = [
        Target("i686", i686_exe, Stdcall, 32, (0, 4, 8, 12), mutations([
            (f"{name} pops {abs(slots)} slot {'more' if slots > 0 else 'fewer'}",
             Stdcall(name, slots), None)
            for name in POPS_FELT[toolchain] for slots in (1, -1)])),
        Target("x86_64", x86_64_exe, Win64, 48, (0,), mutations([
            ("WriteConsoleOutputA takes its arguments from RDI, RSI, RDX, RCX, R8",
             Win64("WriteConsoleOutputA", registers=SYSV_ARGUMENTS), None),
            ("WriteConsoleOutputA takes its 5th argument from [rsp+0x20]",
             Win64("WriteConsoleOutputA", first_stack_slot=0x20), None),
            ("waveOutOpen takes its 5th and 6th arguments with no shadow space, from [rsp+0x08]",
             Win64("waveOutOpen", first_stack_slot=0x08), None),
            ("QueryPerformanceCounter pops its argument slot as in 32-bit Windows",
             Win64("QueryPerformanceCounter", extra_slots=1), None)])),
    ]
    began = time.monotonic()
    script = counter.script()
    expected = Expected(replay, script)
    print(f"replay tool: {len(expected.grids)} frames from {len(script) - 1} readings, "
          f"{sum(expected.bounces)} floor bounces")
    problems = []
    for target in targets:
        problems += check_target(target, expected)
    problems += check_alignment(i686_exe)
    for target in targets:
        problems += check_mutations(target, expected)
    for problem in problems:
        print(f"FAIL: {problem}", file=sys.stderr)
    print(f"{'FAIL' if problems else 'PASS'} in {time.monotonic() - began:.1f} s")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) not in (4, 5) or sys.argv[4:] not in ([], ["mingw"], ["clang-cl"]):
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
