#!/usr/bin/env python3
"""The terminal program's sound on a real sound server: a private PipeWire server (pipewire,
wireplumber and the PulseAudio daemon on a bus of dbus-run-session) with a null sink, whose output
pw-record records. ALSA's default device is pointed, by a configuration of the check's own, at
PipeWire's own ALSA plugin and then at the PulseAudio plugin, and for each:
 - about 12 s of the program in a terminal, stopped once with Ctrl-Z and resumed with fg between
   two bounces: at the sink, one whole, exact copy of the bounce sound (the replay tool's) at each
   of the replay tool's floor bounces, spaced as the replay's within a few tens of milliseconds
   (across the pause, plus its length as measured; on a loaded machine, plus the load's delays as
   measured), and no other sound;
 - q between plays there, and in a second run q during the first play: status 0, and the end no
   later than 0.1 s (during a play, 0.1 s and the sound's length) after what the same key took
   to end a --silent run of the program at the same moment.
The packages pipewire-alsa and pipewire-pulse are fetched into PACKAGE_FOLDER and unpacked there,
never installed; where they can't be had, the check is skipped (77) and says why.

usage: sound_pipewire.py PROGRAM REPLAY_TOOL PACKAGE_FOLDER
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "pipewire"))
sys.dont_write_bytecode = True  # nothing written into the source tree

# pylint: disable=wrong-import-position
import packages
import server
from sound_copies import SILENCE, bounce_sound, find_copies, floor_bounces
from pane import Pane
from recording import Recording

TOOLS = ("dbus-run-session", "pipewire", "wireplumber", "pw-cli", "pw-record", "tmux")
PLAYS = 5  # the floor bounces of the long run, the last about 10 s in
PAUSED_BEFORE = 3  # the bounce that comes after the Ctrl-Z pause
PAUSE = 1.0
# A cycle of the graph and a few of the program's passes; on a loaded machine, twice the longest a
# sleep of the check's own overslept meanwhile, as the program's loop may be held up as long.
SPACING = 0.05
ENDING = 0.1
FIRST_SOUND = 20  # seconds from the start, however slow the machine


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        print(f"SKIP: {', '.join(missing)} not installed (scripts/install-packages test installs "
              "them)")
        return 77
    if os.environ.get("ZORVENDALE_CHECK_BUS") != "private":
        os.environ["ZORVENDALE_CHECK_BUS"] = "private"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *argv])
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # through the clean-ups
    program, replay, cache = argv[1:]
    try:
        unpacked = packages.Unpacked(cache)
        plugin = unpacked.alsa_plugin()
    except packages.Unavailable as reason:
        print(f"SKIP: {reason}")
        return 77
    sound = bounce_sound(replay)
    bounces = floor_bounces(replay, 14)[:PLAYS]
    with tempfile.TemporaryDirectory(prefix="zorvendale-pipewire.") as work:
        work = os.environ.get("KEEP") or work  # KEEP=DIR keeps the recordings and logs there
        sink = server.Server(work, unpacked.pulse_config())
        try:
            sink.start()
            check = Check(work, sink, program, sound, bounces)
            faults = check.plugin("PipeWire's ALSA plugin",
                                  f'pcm_type.pipewire {{ lib "{plugin}" }}\n'
                                  "pcm.!default { type pipewire }")
            pulse = f"unix:{sink.pulse_socket}"
            faults += check.plugin("the PulseAudio plugin",
                                   f'pcm.!default {{ type pulse server "{pulse}" }}')
        except server.Failed as failure:
            faults = [str(failure)]
        finally:
            sink.stop()
    for fault in faults:
        print("FAIL:", fault)
    print("PASS" if not faults else f"{len(faults)} check(s) failed")
    return 1 if faults else 0


# The machine's own configuration files (the hooks that load them) are left out of the copy.
def alsa_config(path, lines):
    with open("/usr/share/alsa/alsa.conf", encoding="utf-8") as f:
        text = f.read()
    start = text.index("\n@hooks [")
    end = text.index("\n]\n", start) + 2
    with open(path, "w", encoding="utf-8") as f:
        f.write(text[:start] + text[end:] + "\n" + lines + "\n")


def sleep_until(moment):
    time.sleep(max(0.0, moment - time.monotonic()))


def wait_ended(panes, seconds):
    """The time each pane's program was first seen to have ended (None: still running)."""
    ended = [None] * len(panes)
    deadline = time.monotonic() + seconds
    while None in ended and time.monotonic() < deadline:
        for k, pane in enumerate(panes):
            if ended[k] is None and pane.state() is None:
                ended[k] = time.monotonic()
        time.sleep(0.002)
    return ended


class Lateness(threading.Thread):
    """How late a 1 ms sleep wakes up, at worst, while it runs: the machine's load, measured."""

    def __init__(self):
        super().__init__(daemon=True)
        self.worst = 0.0
        self.running = True

    def run(self):
        while self.running:
            before = time.monotonic()
            time.sleep(0.001)
            self.worst = max(self.worst, time.monotonic() - before - 0.001)


class Check:
    def __init__(self, work, sink, program, sound, bounces):
        self.work = work
        self.sink = sink
        self.program = program
        self.sound = sound
        self.bounces = bounces
        self.runs = 0

    def plugin(self, label, lines):
        config = os.path.join(self.work, f"alsa-{self.runs}.conf")
        alsa_config(config, lines)
        env = {"LANG": "C.UTF-8", "LC_ALL": "", "COLORTERM": "", "ALSA_CONFIG_PATH": config}
        env.update({key: self.sink.env[key] for key in ("XDG_RUNTIME_DIR", "PULSE_SERVER", "HOME")})
        faults = self.run(env, long=True) + self.run(env, long=False)
        return [f"{label}: {fault}" for fault in faults]

    # A run with its own recording and tmux server: the program with sound, and beside it the
    # same program --silent, whose ending on the same key is the measure of the harness's delays.
    def run(self, env, long):
        self.runs += 1
        tmux = f"zorvendale-pipewire-{os.getpid()}-{self.runs}"
        path = os.path.join(self.work, f"run-{self.runs}.wav")
        recorder = self.sink.record(path)
        recording = Recording(path, server.RATE, len(self.sound))
        lateness = Lateness()
        lateness.start()
        try:
            if not recording.wait_for_samples(0.2, time.monotonic() + 10):
                return ["the recorder recorded nothing"]
            playing = Pane(tmux, "sound", self.work, env)
            silent = Pane(tmux, "silent", self.work, env)
            playing.start(self.program)
            silent.start(self.program, "--silent")
            faults, pause = (self.bounce_through(recording, playing) if long else
                             self.first_bounce(recording, playing))
            faults += self.quit(playing, silent, during=not long)
            time.sleep(0.3)  # the end of the last sound, if any came after all
            lateness.running = False
            faults += self.judge(recording, PLAYS if long else 1, pause,
                                 SPACING + 2 * lateness.worst)
        finally:
            lateness.running = False
            subprocess.run(["tmux", "-L", tmux, "kill-server"], stderr=subprocess.DEVNULL,
                           check=False)
            recorder.terminate()
            recorder.wait()
        return [f"{'12 s run' if long else 'short run'}: {fault}" for fault in faults]

    def first_bounce(self, recording, playing):
        onsets, _ = recording.wait_for_bursts(1, time.monotonic() + FIRST_SOUND)
        return (["no sound within 20 s of the start"] if not onsets else []), None

    # Waits for each bounce's burst at the sink, stopping the program with Ctrl-Z between two of
    # them; the sink's recording is judged afterwards.
    def bounce_through(self, recording, playing):
        onsets, seen = recording.wait_for_bursts(1, time.monotonic() + FIRST_SOUND)
        if not onsets:
            return ["no sound within 20 s of the start"], None
        faults, pause = [], None
        for k in range(1, PLAYS):
            due = seen + self.bounces[k] - self.bounces[k - 1]
            if k == PAUSED_BEFORE:
                paused, pause = self.pause(playing, seen + 0.4)
                faults += paused
                due += pause[1]
            onsets, seen = recording.wait_for_bursts(k + 1, due + 1.0)
            if len(onsets) <= k:
                break
        sleep_until(seen + 0.6)  # between plays
        return faults, pause

    def pause(self, playing, moment):
        """Ctrl-Z, and fg after a while: the least and the most the program can have been
        stopped, as measured."""
        sleep_until(moment)
        asked = playing.keys("C-z")
        stopped = playing.wait_until(lambda state: state == "T", 5)
        if stopped is None:
            return ["Ctrl-Z did not stop the program"], (0.0, 0.0)
        time.sleep(PAUSE)
        continued = playing.resume()
        running = playing.wait_until(lambda state: state != "T", 5)
        if running is None:
            return ["fg did not resume the program"], (0.0, 0.0)
        return [], (continued - stopped, running - asked)

    def quit(self, playing, silent, during):
        label = "q during a play" if during else "q between plays"
        sent = [silent.keys("q"), playing.keys("q")]
        ended = wait_ended([silent, playing], 10)
        if None in ended:
            return [f"{label}: still running 10 s later"]
        reference, took = ended[0] - sent[0], ended[1] - sent[1]
        print(f"{label}: ended in {took:.3f} s; --silent in {reference:.3f} s")
        faults = []
        allowed = reference + ENDING + (len(self.sound) / 2 / server.RATE if during else 0)
        if took > allowed:
            faults.append(f"{label}: ended {took:.3f} s after the key, more than {allowed:.3f} s")
        for name, pane in (("the program", playing), ("--silent", silent)):
            if (status := pane.status()) != 0:
                faults.append(f"{label}: {name} ended with status {status}")
        return faults

    def judge(self, recording, expected, pause, spacing):
        onsets = recording.bursts()
        faults = self.copy_faults(recording, onsets)
        if len(onsets) != expected:
            faults.append(f"{len(onsets)} burst(s) at the sink for {expected} floor bounce(s)")
        return faults + self.spacing_faults(recording, onsets[:expected], pause, spacing)

    # Every burst a whole, exact copy of the sound, and nothing else.
    def copy_faults(self, recording, onsets):
        starts, partial, strays = find_copies(recording.read(), self.sound)
        lead = next(k for k, byte in enumerate(self.sound) if byte != SILENCE)
        inexact = [at for at in onsets if at - lead not in starts]
        faults = []
        if inexact:
            faults.append(f"{len(inexact)} burst(s) not a whole, exact copy of the bounce sound, "
                          f"the first {recording.seconds(inexact[0]):.3f} s in")
        elif strays:
            faults.append(f"{len(strays)} bytes of other sound, the first "
                          f"{recording.seconds(strays[0]):.3f} s in")
        if partial is not None:
            faults.append(f"a copy cut short {recording.seconds(partial):.3f} s in")
        return faults

    # Each burst after the first as far from it as the replay's bounces, and the pause.
    def spacing_faults(self, recording, onsets, pause, spacing):
        faults, errors = [], []
        for k in range(1, len(onsets)):
            gap = recording.seconds(onsets[k] - onsets[0])
            low = high = self.bounces[k] - self.bounces[0]
            if k >= PAUSED_BEFORE and pause is not None:
                low, high = low + pause[0], high + pause[1]
            errors.append(gap - high if gap > high else min(gap - low, 0.0))
            if not low - spacing <= gap <= high + spacing:
                faults.append(f"burst {k + 1} came {gap:.3f} s after the first, not {low:.3f} "
                              f"to {high:.3f} s as the replay's bounces")
        if errors:
            print(f"{len(onsets)} bursts; spacing off the replay's by "
                  f"{', '.join(f'{error * 1000:.0f}' for error in errors)} ms, allowed "
                  f"{spacing * 1000:.0f}")
        return faults

if __name__ == "__main__":
    sys.exit(main(sys.argv))
