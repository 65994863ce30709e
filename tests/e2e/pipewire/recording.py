"""What pw-record has written of the sink's output so far, 8-bit stereo WAV, read as it grows."""
import os
import struct
import time

from sound_copies import first_loud

FRAME_BYTES = 2


class Recording:
    def __init__(self, path, rate, sound_bytes):
        self.path = path
        self.rate = rate
        self.sound_bytes = sound_bytes
        self.data_at = None
        self.data = b""

    def _find_data(self, head):
        if len(head) < 12 or head[:4] != b"RIFF" or head[8:12] != b"WAVE":
            return None
        at = 12
        while at + 8 <= len(head):
            kind, size = head[at:at + 4], struct.unpack_from("<I", head, at + 4)[0]
            if kind == b"fmt " and at + 24 <= len(head):
                pcm, channels, rate, _, _, bits = struct.unpack_from("<HHIIHH", head, at + 8)
                if (pcm, channels, rate, bits) != (1, 2, self.rate, 8):
                    raise ValueError(f"recorded as {(pcm, channels, rate, bits)}, not 8-bit stereo")
            if kind == b"data":
                return at + 8
            at += 8 + size + (size & 1)
        return None

    def read(self):
        """Everything recorded so far, from the first sample on."""
        if not os.path.exists(self.path):
            return self.data
        with open(self.path, "rb") as f:
            if self.data_at is None:
                self.data_at = self._find_data(f.read(4096))
                if self.data_at is None:
                    return self.data
            f.seek(self.data_at + len(self.data))
            self.data += f.read()
        return self.data

    def seconds(self, offset):
        return offset / (FRAME_BYTES * self.rate)

    def bursts(self):
        """Where each burst of sound begins: a byte off silence at least a sound's length after
        the one that began the last burst."""
        data = self.read()
        onsets = []
        at = 0
        while (at := first_loud(data, at)) is not None:
            onsets.append(at)
            at += self.sound_bytes
        return onsets

    def wait_for_bursts(self, count, deadline):
        """The bursts, once there are count of them or the deadline (monotonic time) has passed,
        and the time they were seen."""
        while True:
            onsets = self.bursts()
            now = time.monotonic()
            if len(onsets) >= count or now > deadline:
                return onsets, now
            time.sleep(0.005)

    def wait_for_samples(self, seconds, deadline):
        """True once the recorder has written that many seconds' samples."""
        while len(self.read()) < seconds * FRAME_BYTES * self.rate:
            if time.monotonic() > deadline:
                return False
            time.sleep(0.01)
        return True

