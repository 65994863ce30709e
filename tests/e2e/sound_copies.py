#!/usr/bin/env python3
"""Copies of the replay tool's bounce sound in what a sound device or a sink received.

    sound_copies.py [--wide] [--cut] [--stall] CAPTURE REPLAY_TOOL LEAST MOST

fails unless CAPTURE holds whole, exact copies of the sound and no other, at least as many as the
replay tool's floor bounces in the first LEAST seconds and at most as many as in the first MOST.
--wide: the capture holds the sound as the Linux program hands it to ALSA, each 8-bit sample b as
the 16-bit little-endian (b - 128) * 256. --cut: a last copy may be cut short, the program having
been ended while it played. --stall: copies back to back (within 50 ms) count as one, the capture
running on through silence: a program that reads a real clock (the Windows program under Wine)
advances by uneven steps, a late first frame among them, and at a floor bounce its ball may then
stay beyond the floor line for a while, every frame reporting a bounce and a new play following
the one that ends.
"""
import re
import subprocess
import sys

LOUD = re.compile(rb"[^\x80]")  # any 8-bit sample but silence
# The most silence between copies played back to back: Wine leaves about 10 ms, a period of its
# own buffer. 50 ms of 8-bit stereo at 11,025 frames a second.
BACK_TO_BACK = 2 * 11025 // 20


def find_copies(data, sound):
    """Where each whole, exact copy of sound begins in 8-bit data; where one cut short by the end
    of the data begins, or None; and where each loud byte that belongs to no copy lies."""
    lead = LOUD.search(sound).start()
    starts, strays, at = [], [], 0
    while loud := LOUD.search(data, at):
        begin = loud.start() - lead
        piece = data[begin:begin + len(sound)]
        if begin < at or piece != sound[:len(piece)]:
            strays.append(loud.start())
            at = loud.start() + 1
        elif len(piece) < len(sound):
            return starts, begin, strays
        else:
            starts.append(begin)
            at = begin + len(sound)
    return starts, None, strays


def bounce_sound(replay):
    return subprocess.run([replay, "--wave", "-"], capture_output=True, check=True).stdout


def floor_bounces(replay, seconds):
    """The times of the replay tool's floor bounces in the first seconds given, in seconds."""
    readings = "".join(f"{ms}\n" for ms in range(int(seconds * 1000) + 1))
    frames = subprocess.run([replay], input=readings.encode(), capture_output=True, check=True)
    return [int(fields[1]) / 1000 for fields in map(str.split, frames.stdout.decode().splitlines())
            if fields[7] == "1"]


def main(argv):
    flags = {argument for argument in argv[1:] if argument.startswith("--")}
    arguments = [argument for argument in argv[1:] if not argument.startswith("--")]
    if len(arguments) != 4 or not flags <= {"--wide", "--cut", "--stall"}:
        sys.exit(__doc__)
    capture, replay, least, most = arguments
    with open(capture, "rb") as f:
        data = f.read()
    if "--wide" in flags:
        if len(data) % 2 != 0 or any(data[0::2]):
            sys.exit("FAIL: the capture is not 16-bit samples widened from 8 bits")
        data = bytes(high ^ 0x80 for high in data[1::2])
    sound = bounce_sound(replay)
    starts, partial, strays = find_copies(data, sound)
    if "--stall" in flags:
        runs = [start for n, start in enumerate(starts)
                if n == 0 or start - (starts[n - 1] + len(sound)) > BACK_TO_BACK]
        if len(runs) < len(starts):
            print(f"{len(starts)} copies, {len(runs)} once those back to back count as one")
            starts = runs
    bounces = floor_bounces(replay, max(float(least), float(most)))
    least, most = (sum(time <= float(limit) for time in bounces) for limit in (least, most))
    at = ", ".join(f"{start / 2 / 11025:.3f}" for start in starts)
    print(f"{len(starts)} whole copies of the bounce sound in {len(data)} bytes, at {at} s")
    faults = [f"bytes at {strays[0]} are not a copy of the bounce sound"] if strays else []
    if partial is not None and "--cut" not in flags:
        faults.append(f"a copy cut short at byte {partial}")
    if not least <= len(starts) <= most:
        faults.append(f"{len(starts)} whole copies of the bounce sound, expected {least} to {most}")
    for fault in faults:
        print(f"FAIL: {fault}", file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
