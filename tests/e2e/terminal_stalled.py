#!/usr/bin/env python3
"""A terminal that stops reading (a stalled connection): the program's writes block once the
terminal's buffer is full, yet SIGTERM still ends it, with SIGTERM's status, within a few seconds;
and once the terminal reads again, the restoring sequence arrives last.

usage: terminal_stalled.py PROGRAM
"""
import fcntl
import os
import signal
import subprocess
import sys
import tempfile
import termios
import time

LEAVE_ALTERNATE_SCREEN = b"\x1b[?1049l"


def main():
    with tempfile.TemporaryDirectory() as work:
        # The sound device: a file behind a null device.
        alsa_config = os.path.join(work, "alsa.conf")
        with open(alsa_config, "w", encoding="ascii") as f:
            f.write('pcm.!default { type file slave { pcm { type null } } file "%s" format "raw" }\n'
                    % os.path.join(work, "sound.raw"))
        return run(sys.argv[1], alsa_config)


def run(program, alsa_config):
    master, slave = os.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, b"\x2d\x00\x50\x00\x00\x00\x00\x00")  # 45 x 80

    def take_terminal():
        os.setsid()
        fcntl.ioctl(0, termios.TIOCSCTTY, 0)

    env = dict(os.environ, LANG="C.UTF-8", ALSA_CONFIG_PATH=alsa_config)
    child = subprocess.Popen([program], stdin=slave, stdout=slave, stderr=slave, env=env,
                             preexec_fn=take_terminal)
    os.close(slave)
    time.sleep(2.5)  # start-up, then frames until the unread buffer is full
    child.send_signal(signal.SIGTERM)
    start = time.monotonic()
    try:
        status = child.wait(timeout=10)
    except subprocess.TimeoutExpired:
        child.kill()
        print("FAIL: still running 10 s after SIGTERM on a stalled terminal")
        return 1
    faults = []
    if status != -signal.SIGTERM:
        faults.append(f"status {status}, not killed by SIGTERM")
    if time.monotonic() - start > 3:
        faults.append(f"took {time.monotonic() - start:.1f} s to end")
    output = b""
    os.set_blocking(master, False)
    try:
        while chunk := os.read(master, 65536):
            output += chunk
    except (BlockingIOError, OSError):
        pass
    if output.find(LEAVE_ALTERNATE_SCREEN) < 0:
        faults.append("the restoring sequence never arrived")
    for fault in faults:
        print("FAIL:", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
