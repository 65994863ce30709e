"""The small Windows behind the stubs: a console that records its set-up calls and compares every
frame it is given with the replay tool's, a heap of zeroed blocks, a performance counter that
plays a script, and a waveform-audio device that records what it is given. Any one start-up step
can be made to fail.

Every call is recorded as a tuple (name, arguments...), pointers replaced by what they point to
where that is what matters (the title, the window rectangle, the cursor, the audio format).
"""
import struct

from machine import Fault

STD_OUTPUT_HANDLE = 0xFFFF_FFF5  # (DWORD)-11
CONSOLE = 0x1C
PROCESS_HEAP = 0x0079_0000
DEVICE = 0x0C0F_FEE0
FREQUENCY = 10_000_000
HEAP_NO_SERIALIZE = 1
MMSYSERR_BADDEVICEID = 2
MMSYSERR_INVALPARAM = 11
WHDR_PREPARED = 2
CELL_BYTES = 60 * 40 * 4

# The start-up steps that can be made to fail, each as the program meets it.
FAILURES = ("GetStdHandle gives INVALID_HANDLE_VALUE", "HeapAlloc fails for the grid",
            "HeapAlloc fails for the sound", "waveOutOpen refuses", "waveOutPrepareHeader refuses")
# A failure the program goes on from, taking the counter to run at 10 MHz.
NO_FREQUENCY = "QueryPerformanceFrequency failing"


class ScriptedWindows:
    """One run's Windows. `expected` holds the counter script and the frames it must give, of
    which the first `passes` passes of the frame loop are played (all when None); a failure from
    FAILURES, or NO_FREQUENCY, makes that step fail; flip=(frame, offset) shows that frame to the
    comparison with one byte of its grid inverted."""

    def __init__(self, expected, failure=None, flip=None, passes=None):
        self.expected, self.failure, self.flip = expected, failure, flip
        self.counter_end = len(expected.counter) if passes is None else passes + 1
        self.calls = []
        self.blocks = []  # heap blocks handed out, in order
        self.header = None  # (address, fields) as waveOutPrepareHeader found it
        self.prepared = None  # the buffer as waveOutPrepareHeader found it
        self.counter_reads = 0
        self.frames = 0
        self.writes_since_frame = 0
        self.machine = None

    def stubs(self):
        return {
            "AllocConsole": (self.record("AllocConsole", 1), "", "u"),
            "GetStdHandle": (self.get_std_handle, "u", "p"),
            "SetConsoleTitleA": (self.set_title, "p", "u"),
            "SetConsoleDisplayMode": (self.record("SetConsoleDisplayMode", 1), "pup", "u"),
            "SetConsoleWindowInfo": (self.set_window_info, "pup", "u"),
            "SetConsoleScreenBufferSize": (self.record("SetConsoleScreenBufferSize", 1), "pc",
                                           "u"),
            "SetConsoleCursorInfo": (self.set_cursor_info, "pp", "u"),
            "WriteConsoleOutputA": (self.write_console_output, "ppccp", "u"),
            "FreeConsole": (self.record("FreeConsole", 1), "", "u"),
            "GetProcessHeap": (lambda: PROCESS_HEAP, "", "p"),
            "HeapAlloc": (self.heap_alloc, "pup", "p"),
            "HeapFree": (self.record("HeapFree", 1), "pup", "u"),
            "QueryPerformanceFrequency": (self.query_frequency, "p", "u"),
            "QueryPerformanceCounter": (self.query_counter, "p", "u"),
            "ExitProcess": (self.exit_process, "u", None),
            "waveOutOpen": (self.wave_out_open, "pupppu", "u"),
            "waveOutPrepareHeader": (self.wave_out_prepare, "ppu", "u"),
            "waveOutWrite": (self.wave_out_write, "ppu", "u"),
            "waveOutUnprepareHeader": (self.record("waveOutUnprepareHeader", 0), "ppu", "u"),
            "waveOutClose": (self.record("waveOutClose", 0), "p", "u"),
        }

    def record(self, name, result):
        def stub(*arguments):
            self.calls.append((name, *arguments))
            return result
        return stub

    # The console.
    def get_std_handle(self, which):
        self.calls.append(("GetStdHandle", which))
        if self.failure == FAILURES[0]:
            return -1  # INVALID_HANDLE_VALUE, at the pointer's full width
        return CONSOLE if which == STD_OUTPUT_HANDLE else 0

    def set_title(self, title):
        self.calls.append(("SetConsoleTitleA", self.machine.read(title, 64).split(b"\0")[0]))
        return 1

    def set_window_info(self, handle, absolute, rect):
        self.calls.append(("SetConsoleWindowInfo", handle, absolute, self.small_rect(rect)))
        return 1

    def set_cursor_info(self, handle, cursor):
        self.calls.append(("SetConsoleCursorInfo", handle,
                           struct.unpack("<II", self.machine.read(cursor, 8))))
        return 1

    def small_rect(self, address):
        return struct.unpack("<hhhh", self.machine.read(address, 8))

    def write_console_output(self, handle, cells, size, origin, rect):
        self.calls.append(("WriteConsoleOutputA", handle, size, origin, self.small_rect(rect)))
        grid = bytearray(self.machine.read(cells, CELL_BYTES))
        if self.flip and self.flip[0] == self.frames:
            grid[self.flip[1]] ^= 0xFF
        self.expected.check_frame(self.frames, self.counter_reads - 1, bytes(grid),
                                  self.writes_since_frame)
        self.frames += 1
        self.writes_since_frame = 0
        return 1

    # The heap.
    def heap_alloc(self, heap, flags, size):
        self.calls.append(("HeapAlloc", heap, flags, size))
        number = len(self.blocks)
        if (number, self.failure) in ((0, FAILURES[1]), (1, FAILURES[2])):
            return 0
        block = self.machine.heap_block(size, 2 * self.machine.convention.slot)
        self.blocks.append(block)
        return block

    # The counter.
    def query_frequency(self, frequency):
        self.calls.append(("QueryPerformanceFrequency",))
        if self.failure == NO_FREQUENCY:
            return 0
        self.machine.write(frequency, FREQUENCY.to_bytes(8, "little"))
        return 1

    def query_counter(self, counter):
        self.calls.append(("QueryPerformanceCounter",))
        if self.counter_reads == self.counter_end:
            self.machine.stop("the counter script ran out")
            return 0
        self.machine.write(counter, self.expected.counter[self.counter_reads].to_bytes(8, "little"))
        self.counter_reads += 1
        return 1

    def exit_process(self, code):
        self.calls.append(("ExitProcess", code))
        self.machine.stop(f"ExitProcess({code})")

    # The waveform-audio device.
    def wave_out_open(self, device, device_id, format_address, callback, instance, flags):
        wave_format = struct.unpack("<HHIIHHH", self.machine.read(format_address, 18))
        self.calls.append(("waveOutOpen", device_id, wave_format, callback, instance, flags))
        if self.failure == FAILURES[3]:
            return MMSYSERR_BADDEVICEID
        self.machine.write_pointer(device, DEVICE)
        return 0

    def header_fields(self, address):
        """lpData, dwBufferLength, dwBytesRecorded, dwUser, dwFlags, dwLoops, lpNext, reserved."""
        layout = "<IIIIIIII" if self.machine.convention.slot == 4 else "<QIIQIIQQ"
        return struct.unpack(layout, self.machine.read(address, struct.calcsize(layout)))

    def wave_out_prepare(self, device, header, size):
        self.calls.append(("waveOutPrepareHeader", device, header, size))
        fields = self.header_fields(header)
        self.header = (header, fields)
        self.prepared = self.machine.read(fields[0], fields[1])
        if self.failure == FAILURES[4]:
            return MMSYSERR_INVALPARAM
        self.machine.write(header + (16 if self.machine.convention.slot == 4 else 24),
                           struct.pack("<I", fields[4] | WHDR_PREPARED))
        return 0

    def wave_out_write(self, device, header, size):
        self.calls.append(("waveOutWrite", device, header, size))
        fields = self.header_fields(header)
        if self.machine.read(fields[0], fields[1]) != self.prepared:
            raise Fault("the buffer changed after it was prepared")
        self.writes_since_frame += 1
        return 0
