#!/usr/bin/env python3
"""Copies of the bounce sound in what a sound device or a sound server's sink received, against
the replay tool's sound and floor bounces. 8-bit captures hold the sound as it is, silence being
128; 16-bit ones (--wide) hold it as the Linux program hands it to ALSA, each sample b as
(b - 128) * 256, little-endian.

    sound_copies.py [--wide] [--cut] CAPTURE REPLAY_TOOL LEAST MOST

checks that CAPTURE holds whole, exact copies of the bounce sound and nothing else (with --cut, a
last copy may be cut short: the program was ended while it played), at least as many as the
replay tool's floor bounces in the first LEAST seconds and at most as many as in the first MOST.
Prints the count, and each fault; exits 1 when there is one.
"""
import re
import subprocess
import sys

SILENCE = 128
BYTES_PER_SECOND = 2 * 11025  # 8-bit stereo
_LOUD = re.compile(rb"[^\x80]")  # any byte but silence


def first_loud(data, at=0):
    """Where the first byte off silence lies from at on, or None."""
    loud = _LOUD.search(data, at)
    return None if loud is None else loud.start()


def find_copies(data, sound, at=0):
    """Looks through 8-bit data from at on. Returns (starts, partial, strays): where each whole,
    exact copy of sound begins; where a copy cut short by the end of the data begins (the recording
    ended or has not yet caught up), or None; and where each loud byte that belongs to no copy
    lies."""
    lead = next(k for k, byte in enumerate(sound) if byte != SILENCE)
    starts, strays = [], []
    while (loud := first_loud(data, at)) is not None:
        begin = loud - lead
        piece = data[begin:begin + len(sound)]
        if begin < at or piece != sound[:len(piece)]:
            strays.append(loud)
            at = loud + 1
        elif len(piece) < len(sound):
            return starts, begin, strays
        else:
            starts.append(begin)
            at = begin + len(sound)
    return starts, None, strays


def narrow(wide):
    """The 8-bit samples of 16-bit widened ones, or None where any is not such a sample."""
    if len(wide) % 2 != 0 or any(wide[0::2]):
        return None
    return bytes(high ^ 0x80 for high in wide[1::2])


def bounce_sound(replay):
    return subprocess.run([replay, "--wave", "-"], capture_output=True, check=True).stdout


def floor_bounces(replay, seconds):
    """The times, in seconds, of the replay tool's floor bounces in the first seconds given, with a
    reading every millisecond."""
    readings = "".join(f"{ms}\n" for ms in range(int(seconds * 1000) + 1))
    frames = subprocess.run([replay], input=readings.encode(), capture_output=True, check=True)
    return [int(fields[1]) / 1000 for fields in map(str.split, frames.stdout.decode().splitlines())
            if fields[7] == "1"]


def capture_faults(data, sound, least, most, cut):
    starts, partial, strays = find_copies(data, sound)
    faults = []
    if strays:
        faults.append(f"bytes at {strays[0]} are not a copy of the bounce sound")
    if partial is not None and not cut:
        faults.append(f"a copy cut short at byte {partial}")
    if not least <= len(starts) <= most:
        faults.append(f"{len(starts)} whole copies of the bounce sound, expected {least} to {most}")
    at = ", ".join(f"{start / BYTES_PER_SECOND:.3f}" for start in starts)
    print(f"{len(starts)} whole copies of the bounce sound in {len(data)} bytes, at {at} s")
    return faults


def main(argv):
    flags = {flag for flag in argv[1:] if flag.startswith("--")}
    arguments = [argument for argument in argv[1:] if not argument.startswith("--")]
    if len(arguments) != 4 or not flags <= {"--wide", "--cut"}:
        print(__doc__, file=sys.stderr)
        return 2
    capture, replay, least, most = arguments
    with open(capture, "rb") as f:
        data = f.read()
    if "--wide" in flags and (data := narrow(data)) is None:
        print("FAIL: the capture is not 16-bit samples widened from 8 bits", file=sys.stderr)
        return 1
    bounces = floor_bounces(replay, max(float(least), float(most)))
    counted = [sum(time <= float(limit) for time in bounces) for limit in (least, most)]
    faults = capture_faults(data, bounce_sound(replay), *counted, "--cut" in flags)
    for fault in faults:
        print(f"FAIL: {fault}", file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
