"""What the program must show for a counter script, from the replay tool: the frames (one per
new reading), their floor bounces and the bounce sound."""
import subprocess

from counter import reading
from machine import Fault

COLUMNS, ROWS = 60, 40
FNV_OFFSET, FNV_PRIME = 0xCBF29CE484222325, 0x100000001B3


def fnv1a(data):
    value = FNV_OFFSET
    for byte in data:
        value = ((value ^ byte) * FNV_PRIME) & 0xFFFF_FFFF_FFFF_FFFF
    return value


class Expected:
    def __init__(self, replay, counter):
        self.counter = counter
        readings = [reading(value, counter[0]) for value in counter]
        # The counter read of each frame: a pass whose reading differs from the last frame's.
        self.frame_reads = []
        for index in range(1, len(counter)):
            if not self.frame_reads or readings[index] != readings[self.frame_reads[-1]]:
                self.frame_reads.append(index)
        self.readings = [readings[index] for index in self.frame_reads]
        self.grids, self.bounces = replay_frames(replay, self.readings)
        self.wave = subprocess.run([replay, "--wave", "-"], check=True,
                                   stdout=subprocess.PIPE).stdout

    def frames_for(self, counter_reads):
        """How many frames the first `counter_reads` counter values give."""
        return sum(1 for index in self.frame_reads if index < counter_reads)

    def check_frame(self, number, counter_read, grid, writes):
        """Frame `number` (from 0), shown after counter read `counter_read`, with `writes`
        waveOutWrite calls since the frame before."""
        if number >= len(self.frame_reads) or counter_read != self.frame_reads[number]:
            wanted = self.frame_reads[number] if number < len(self.frame_reads) else None
            raise Fault(f"frame {number + 1} follows counter read {counter_read}, the replay "
                        f"tool's follows read {wanted} (a repeated reading drawn, or a new one "
                        "not drawn)")
        if grid != self.grids[number]:
            at = next(k for k in range(len(grid)) if grid[k] != self.grids[number][k])
            cell = at // 4
            raise Fault(f"frame {number + 1} (reading {self.readings[number]}): cell "
                        f"({cell % COLUMNS}, {cell // COLUMNS}) byte {at % 4} is {grid[at]:#04x}, "
                        f"the replay tool's {self.grids[number][at]:#04x}")
        if writes != int(self.bounces[number]):
            raise Fault(f"frame {number + 1} (reading {self.readings[number]}) follows {writes} "
                        f"waveOutWrite calls; floor bounce in the replay trace: "
                        f"{self.bounces[number]}")


def replay_frames(replay, readings):
    """Each frame's 9,600 cell bytes and its floor-bounce mark. The cell dump holds each cell's
    character and attribute low byte; the frame line's hash, over all four bytes of each cell,
    shows the two bytes the dump leaves out to be zero."""
    text = subprocess.run([replay, "--frames"], input="".join(f"{r}\n" for r in readings),
                          check=True, stdout=subprocess.PIPE, text=True).stdout
    lines = text.splitlines()
    grids, bounces = [], []
    for start in range(0, len(lines), ROWS + 1):
        fields = lines[start].split()
        pairs = bytes.fromhex(" ".join(lines[start + 1:start + 1 + ROWS]).replace(":", " "))
        grid = bytearray(COLUMNS * ROWS * 4)
        grid[0::4], grid[2::4] = pairs[0::2], pairs[1::2]
        if fnv1a(grid) != int(fields[9], 16):
            raise SystemExit(f"replay frame {fields[0]}: the cell dump does not match its hash")
        grids.append(bytes(grid))
        bounces.append(fields[7] == "1")
    if len(grids) != len(readings):
        raise SystemExit(f"the replay tool gave {len(grids)} frames for {len(readings)} readings")
    return grids, bounces
