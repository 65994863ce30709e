#!/usr/bin/env python3
"""A terminal that stops reading (a stalled connection): the program's writes block once the
terminal's buffer is full, yet SIGTERM still ends it, with SIGTERM's status, within a few seconds;
and once the terminal reads again, it gets the restoring sequence with none of the picture that was
still queued in front of it, and the restoring sequence first ends the update the write left open.
Run twice: with the buffer as the program filled it, and topped up to the last byte while the
program is stopped, so that only dropping the queued picture makes room for the restoring sequence.

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
RESTORE_START = b"\x18"  # the restoring sequence's first byte, never part of a picture
END_UPDATE = b"\x1b[?2026l"
WRITE_SYSCALLS = ("1", "64")  # write's number on x86-64 and on arm64
FILLER = b"#"  # never part of a picture either
# What the master's line discipline took in before the stall: out of reach of any flush on the
# program's side.
MASTER_HOLDS = 4096


def main():
    with tempfile.TemporaryDirectory() as work:
        # The sound device: a file behind a null device.
        alsa_config = os.path.join(work, "alsa.conf")
        with open(alsa_config, "w", encoding="ascii") as f:
            f.write('pcm.!default { type file slave { pcm { type null } } file "%s" format "raw" }\n'
                    % os.path.join(work, "sound.raw"))
        faults = []
        for topped_up in (False, True):
            label = "topped up" if topped_up else "as filled"
            faults += [f"{label}: {fault}" for fault in run(sys.argv[1], alsa_config, topped_up)]
    for fault in faults:
        print("FAIL:", fault)
    return 1 if faults else 0


def stopped(pid):
    with open(f"/proc/{pid}/stat", encoding="ascii") as f:
        return f.read().rsplit(")", 1)[1].split()[0] == "T"


# True once the program is blocked in a write (its syscall is named only while it is blocked in
# one): the terminal's buffer is full. Within 10 s.
def wait_blocked(pid):
    for _ in range(1000):
        with open(f"/proc/{pid}/syscall", encoding="ascii") as f:
            if f.read().split()[0] in WRITE_SYSCALLS:
                return True
        time.sleep(0.01)
    return False


# Writes the filler until the terminal takes no more, with the program stopped outside its write.
def top_up(child, slave):
    child.send_signal(signal.SIGSTOP)
    for _ in range(500):
        if stopped(child.pid):
            break
        time.sleep(0.01)
    filler = os.open(os.ttyname(slave), os.O_WRONLY | os.O_NONBLOCK | os.O_NOCTTY)
    try:
        while True:
            os.write(filler, FILLER)
    except BlockingIOError:
        pass
    os.close(filler)


def spawn(program, alsa_config, **variables):
    """The program on an 80 by 45 terminal of its own: the terminal's two ends, the process."""
    master, slave = os.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, b"\x2d\x00\x50\x00\x00\x00\x00\x00")  # 45 x 80

    def take_terminal():
        os.setsid()
        fcntl.ioctl(0, termios.TIOCSCTTY, 0)

    env = dict(os.environ, LANG="C.UTF-8", TERM="xterm", ALSA_CONFIG_PATH=alsa_config, **variables)
    child = subprocess.Popen([program], stdin=slave, stdout=slave, stderr=slave, env=env,
                             preexec_fn=take_terminal)
    return master, slave, child


def run(program, alsa_config, topped_up):
    master, slave, child = spawn(program, alsa_config)
    faults = []
    if not wait_blocked(child.pid):
        faults.append("the program never filled the terminal's buffer within 10 s")
    if topped_up:
        top_up(child, slave)
    os.close(slave)
    child.send_signal(signal.SIGTERM)
    if topped_up:
        child.send_signal(signal.SIGCONT)
    start = time.monotonic()
    try:
        status = child.wait(timeout=10)
    except subprocess.TimeoutExpired:
        child.kill()
        child.wait()
        os.close(master)
        return faults + ["still running 10 s after SIGTERM on a stalled terminal"]
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
    os.close(master)
    restore = output.find(RESTORE_START)
    if restore < 0 or output.find(LEAVE_ALTERNATE_SCREEN, restore) < 0:
        faults.append("the restoring sequence never arrived")
    elif restore > MASTER_HOLDS or FILLER in output:
        faults.append(f"queued output arrived before the restoring sequence ({restore} bytes)")
    elif not output.startswith(RESTORE_START + END_UPDATE, restore):
        faults.append("the restoring sequence does not first end the update left open")
    return faults


if __name__ == "__main__":
    sys.exit(main())
