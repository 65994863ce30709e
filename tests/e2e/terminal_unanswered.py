#!/usr/bin/env python3
"""The colour question on a terminal that answers nothing, a pseudo-terminal of this script's: the
program waits for the answer about 100 ms, no less, and that much longer than where only the
device attributes come at once (as GNU screen answers), no more, and draws in the 16 colours; a q
typed while it waits ends it with status 0, after Alt+Shift+P (ESC P) too, and while a terminal
that answers is asked. An answer that comes after it stopped waiting still switches the picture to
direct colour; when start-up then fails, it is taken in before the terminal is given back: none of
it is left to be read after the exit.

usage: terminal_unanswered.py PROGRAM
"""
import os
import select
import sys
import tempfile
import time

from terminal_stalled import spawn

QUESTION = b"\x1b[38;2;1;2;3m\x1bP$qm\x1b\\\x1b[c\x1b[m"
UPDATE = b"\x1b[?2026h"
ATTRIBUTES = b"\x1b[?1;2c"
ECHO = b"\x1bP1$r0;38:2::1:2:3m\x1b\\"
MARK = b"typed after the exit\n"


def run(program, alsa_config, answer=b"", answer_after=0.0, typed=b"", quit_after=None):
    """Runs the program on a terminal that answers the question with answer after answer_after
    seconds, where typed is typed at once, or else q once the picture comes (or quit_after seconds
    after the question). Returns the seconds from the question to the picture, what came after it,
    the status and what was left to read."""
    master, slave, child = spawn(program, alsa_config, COLORTERM="", TMUX="")
    output, asked_at, drawn_at = b"", None, None
    deadline = time.monotonic() + 10
    while child.poll() is None and time.monotonic() < deadline:
        if select.select([master], [], [], 0.005)[0]:
            output += os.read(master, 65536)
        now = time.monotonic()
        if asked_at is None and QUESTION in output:
            asked_at = now
            os.write(master, typed)
        if asked_at is not None and answer and now - asked_at >= answer_after:
            os.write(master, answer)
            answer = b""
        if drawn_at is None and UPDATE in output.partition(QUESTION)[2]:
            drawn_at = now
            os.write(master, b"" if typed or quit_after else b"q")
        if quit_after and asked_at is not None and now - asked_at >= quit_after:
            os.write(master, b"q")
            quit_after = None
    if child.poll() is None:
        child.kill()
    status = child.wait()
    # An answer still to come comes all the same, after an exit that did not wait for it.
    if asked_at is not None and answer:
        time.sleep(max(0.0, asked_at + answer_after - time.monotonic()))
        os.write(master, answer)
    os.write(master, MARK)
    left = b""
    while not left.endswith(MARK) and select.select([slave], [], [], 5)[0]:
        left += os.read(slave, 4096)
    os.close(slave)
    os.close(master)
    waited = drawn_at - asked_at if drawn_at is not None else float("inf")
    return waited, output.partition(QUESTION)[2], status, left.removesuffix(MARK)


def main():
    program = sys.argv[1]
    faults = []
    with tempfile.TemporaryDirectory() as work:
        alsa_config, no_devices = os.path.join(work, "alsa.conf"), os.path.join(work, "none.conf")
        with open(alsa_config, "w", encoding="ascii") as f:
            f.write('pcm.!default { type file slave { pcm { type null } } file "%s" format "raw" }\n'
                    % os.path.join(work, "sound.raw"))
        open(no_devices, "w", encoding="ascii").close()

        # The least of three waits counts: a busy machine can only lengthen each.
        least = {}
        for label, answer in (("no answer", b""), ("the attributes alone", ATTRIBUTES)):
            least[label] = float("inf")
            for _ in range(3):
                waited, drawn, status, _ = run(program, alsa_config, answer)
                least[label] = min(least[label], waited)
                if status != 0 or b"38;2;" in drawn or b"48;2;" in drawn:
                    faults.append(f"{label}: status {status}, or not the 16 colours")
        longer = least["no answer"] - least["the attributes alone"]
        print(f"with no answer, start-up took {longer * 1000:.0f} ms longer, "
              f"{least['no answer'] * 1000:.0f} ms in all")
        # Over a slow link an answer takes a round trip: the wait is 100 ms whatever the machine's
        # load, which can only lengthen it, and the attributes end it.
        if not 0.05 < longer < 0.15 or least["no answer"] < 0.095:
            faults.append(f"with no answer, start-up took {longer * 1000:.0f} ms longer, "
                          f"{least['no answer'] * 1000:.0f} ms in all")

        for label, answer, typed in (("q", b"", b"q"), ("ESC P, then q", b"", b"\x1bPq"),
                                     ("q, answered", ECHO + ATTRIBUTES, b"q")):
            if run(program, alsa_config, answer, typed=typed)[2] != 0:
                faults.append(f"{label} typed during the question: not status 0")

        _, drawn, status, _ = run(program, alsa_config, ECHO + ATTRIBUTES, answer_after=0.2,
                                  quit_after=0.6)
        if status != 0 or b"38;2;" not in drawn:
            faults.append(f"an answer after the wait: status {status}, or no direct colour")

        _, drawn, status, left = run(program, no_devices, ECHO + ATTRIBUTES, answer_after=0.2)
        if status != 1 or left or b"$r" in drawn:
            faults.append(f"a late answer: status {status}, {left!r} left to read")
    for fault in faults:
        print("FAIL:", fault)
    if not faults:
        print("all checks passed")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
