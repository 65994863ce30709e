#!/usr/bin/env python3
"""The terminal program's sound on a private PipeWire server with a null sink, through PipeWire's
ALSA plugin and then the PulseAudio plugin on pipewire-pulse: about 20 s of the program in a tmux
pane, with Ctrl-Z and fg between two bounces, then the server stopped for two bounces and started
afresh, then q (between plays on the first plugin, during a play on the second). The sink must get
a whole, exact copy of the bounce sound at each of the replay tool's floor bounces, spaced as those
and the pause, and nothing else, and the new server's sink the same from the first bounce after it
is back; while the server is away the picture must go on changing, with no text in it, at about
the CPU cost of a --silent program beside it. q must end the program with status 0 about as
quickly as the --silent one. pipewire-alsa and
pipewire-pulse, which would remove an installed PulseAudio, are unpacked into PACKAGE_FOLDER,
never installed; where they can't be had the check is skipped (77).

usage: sound_pipewire.py PROGRAM REPLAY_TOOL PACKAGE_FOLDER
"""
import ctypes
import glob
import os
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
# pylint: disable=wrong-import-position
from sound_copies import bounce_sound, find_copies, floor_bounces

RATE = 11025  # the sound's: nothing is resampled on its way to the sink
SINK = "zorvendale-check-sink"
CONFIG = {  # a cycle of 256 frames, 23 ms, takes a burst to the sink; no device of the machine's
    "pipewire/pipewire.conf.d/zorvendale.conf": "context.properties = { "
    f"default.clock.rate = {RATE} default.clock.allowed-rates = [ {RATE} ] "
    "default.clock.quantum = 256 default.clock.min-quantum = 256 default.clock.max-quantum = 256 }",
    "wireplumber/main.lua.d/51-zorvendale.lua": "alsa_monitor.enabled = false\n"
    "v4l2_monitor.enabled = false\nlibcamera_monitor.enabled = false",
    "wireplumber/bluetooth.lua.d/51-zorvendale.lua": "bluez_monitor.enabled = false",
}
PLAYS, PAUSED_BEFORE, PAUSE = 5, 3, 1.0  # the fifth floor bounce comes about 10 s in
# The server goes a second before the next bounce and comes back a little after the one after, so
# that one bounce finds it gone and the next finds no device; the two after are wanted. The device
# is looked for once a second off the frame loop, and a bounce plays only on one found before it:
# the server is back 2 s before the first wanted bounce, its start and a try later.
AWAY_BEFORE, BACK_AFTER, AWAY_BOUNCES, PLAYS_BACK = 1.0, 0.3, 2, 2
CPU_MARGIN = 0.1  # of a core, over what the --silent program beside it takes
# The first sound after the server is back may go to a stream opened just before that bounce, which
# connects to the server before it sounds: 55 ms later than the next, measured on PipeWire's plugin.
FRESH_STREAM = 0.1
SPACING, ENDING = 0.05, 0.1  # a cycle and a few of the program's passes; its way out
LATE = [0.0]  # the most a sleep of the check's overslept: the machine's load, measured


def run(*command, **options):
    return subprocess.run(command, capture_output=True, text=True, check=False, **options)


def skip(reason):
    print("SKIP:", reason)
    sys.exit(77)


def nap(seconds):
    before, seconds = time.monotonic(), max(0.0, seconds)
    time.sleep(seconds)
    LATE[0] = max(LATE[0], time.monotonic() - before - seconds)


def wait(ready, seconds, what=None):
    """The time ready() first held; None, or a failure naming what, if not within the seconds."""
    deadline = time.monotonic() + seconds
    while not ready():
        if time.monotonic() > deadline:
            if what:
                raise RuntimeError(f"{what} not within {seconds} s")
            return None
        nap(0.005)
    return time.monotonic()


def unpacked(cache):
    """The packages' files, in the installed PipeWire's version, fetched on first use."""
    status, _, version = run("dpkg-query", "-W", "-f=${Status} ${Version}",
                             "libpipewire-0.3-0").stdout.rpartition(" ")
    if status != "install ok installed":
        skip("PipeWire is not installed (scripts/install-packages test installs it)")
    root = os.path.join(os.path.abspath(cache), f"pipewire-{version}")  # -c takes a relative name
    if not os.path.isdir(root):
        os.makedirs(cache, exist_ok=True)
        names = [f"pipewire-alsa={version}", f"pipewire-pulse={version}"]
        with tempfile.TemporaryDirectory(dir=cache) as folder:
            if run("apt-get", "download", *names, cwd=folder).returncode != 0:
                sudo = [] if os.geteuid() == 0 else ["sudo", "-n"]  # lists cleared after installs
                run(*sudo, "apt-get", "-o", "DPkg::Lock::Timeout=900", "update", "-qq")
                if (fetched := run("apt-get", "download", *names, cwd=folder)).returncode != 0:
                    skip(f"apt-get download {' '.join(names)} failed: {fetched.stderr.strip()}")
            for deb in glob.glob(f"{folder}/*.deb"):
                subprocess.run(["dpkg-deb", "-x", deb, f"{folder}/root"], check=True)
            os.rename(f"{folder}/root", root)
    return root


def alsa_config(path, lines):
    """ALSA's own configuration without the hooks that load the machine's, and the lines given."""
    with open("/usr/share/alsa/alsa.conf", encoding="utf-8") as f:
        text = f.read()
    start = text.index("\n@hooks [")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text[:start] + text[text.index("\n]\n", start) + 2:] + "\n" + lines + "\n")


class Pane:
    """The program as a job of an interactive shell in a tmux pane, so that Ctrl-Z and fg work as
    a user's would."""

    def __init__(self, tmux, name, env, *command):
        self.tmux, self.name = tmux, name
        settings = [f"{key}={value}" for key, value in env.items()]
        subprocess.run(["tmux", "-L", tmux, "-f", "/dev/null", "new-session", "-d", "-s", name,
                        "-x", "80", "-y", "45", "env", *settings, "PS1=$ ", "sh", "-i"], check=True)
        shell = run("tmux", "-L", tmux, "display", "-p", "-t", name, "#{pane_pid}").stdout.strip()
        self.type(shlex.join(command))
        wait(lambda: run("pgrep", "-P", shell).stdout, 10, f"{name}: the program's start")
        self.pid = int(run("pgrep", "-P", shell).stdout)

    def keys(self, *keys):
        """Sends the keys; returns the time just before."""
        sent = time.monotonic()
        subprocess.run(["tmux", "-L", self.tmux, "send-keys", "-t", self.name, *keys], check=True)
        return sent

    def type(self, line):
        sent = self.keys("-l", line)
        self.keys("Enter")
        return sent

    def picture(self):
        return run("tmux", "-L", self.tmux, "capture-pane", "-p", "-t", self.name).stdout

    def cpu_seconds(self):
        with open(f"/proc/{self.pid}/stat", encoding="ascii") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def state(self):
        """The process's state letter (R, S, T, ...), or None once it has ended."""
        try:
            with open(f"/proc/{self.pid}/stat", encoding="ascii") as f:
                state = f.read().rsplit(")", 1)[1].split()[0]
        except (FileNotFoundError, ProcessLookupError):  # gone between the open and the read
            return None
        return None if state in "ZX" else state

    def status(self, work):
        """The status the program ended with, asked of the shell."""
        path = f"{work}/{self.name}.status"
        self.type(f"echo $? >{path}.new; mv {path}.new {path}")
        wait(lambda: os.path.exists(path), 5, f"{self.name}: the shell's answer")
        with open(path, encoding="ascii") as f:
            return int(f.read())


class Check:
    def __init__(self, work, program, replay):
        self.work, self.program, self.processes, self.others = work, program, [], []
        self.sound, self.bounces = bounce_sound(replay), floor_bounces(replay, 30)
        self.runtime = f"{work}/runtime"
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, HOME=work,
                        PULSE_SERVER=f"unix:{self.runtime}/pulse/native",
                        XDG_CONFIG_HOME=f"{work}/config", XDG_STATE_HOME=f"{work}/state",
                        DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
        for name in ("PIPEWIRE_REMOTE", "PIPEWIRE_RUNTIME_DIR", "PULSE_RUNTIME_PATH"):
            self.env.pop(name, None)
        for path, text in CONFIG.items():
            os.makedirs(os.path.dirname(f"{work}/config/{path}"), exist_ok=True)
            with open(f"{work}/config/{path}", "w", encoding="ascii") as f:
                f.write(text + "\n")
        os.makedirs(self.runtime, mode=0o700)

    def spawn(self, *command, server=True):
        """A process of the server's, ended with the check however it ends, and as urgent as the
        server makes its own (where allowed): pw-record writes what it takes from its main thread,
        whose buffers run out in a fifth of a second while other work holds it up."""
        def prepare():
            ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
            try:
                os.setpriority(os.PRIO_PROCESS, 0, -11)
            except PermissionError:
                pass
        process = subprocess.Popen(command, env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, preexec_fn=prepare)
        (self.processes if server else self.others).append(process)
        return process

    # The sink comes before the PulseAudio daemon, which would otherwise make one of its own.
    def start(self, pulse_config):
        self.pulse_config = pulse_config
        self.spawn("pipewire")
        wait(lambda: os.path.exists(f"{self.runtime}/pipewire-0"), 10, "PipeWire")
        self.spawn("wireplumber")
        made = run("pw-cli", "create-node", "adapter", "{ factory.name=support.null-audio-sink "
                   f"node.name={SINK} media.class=Audio/Sink object.linger=1 audio.rate={RATE} "
                   "audio.position=[FL FR] priority.session=2000 priority.driver=2000 }",
                   env=self.env)
        if made.returncode != 0 or "error" in made.stdout + made.stderr:
            raise RuntimeError(f"no null sink: {made.stdout}{made.stderr}")
        for kind, name in (("Node", SINK), ("Client", "WirePlumber")):
            wait(lambda: name in run("pw-cli", "ls", kind, env=self.env).stdout, 10, name)
        self.spawn("pipewire", "-c", pulse_config)
        wait(lambda: os.path.exists(f"{self.runtime}/pulse/native"), 10, "pipewire-pulse")

    @staticmethod
    def end(processes):
        while processes:
            process = processes.pop()
            process.terminate()
            process.wait()

    def stop(self):
        self.end(self.others)
        self.end(self.processes)

    def record(self, name):
        """pw-record at the sink into a file of its own, from now on."""
        self.path, self.recording, self.at = f"{self.work}/{name}.wav", b"", None
        self.spawn("pw-record", "--target", SINK, "-P", "{ stream.capture.sink=true }", "--rate",
                   str(RATE), "--channels", "2", "--format", "u8", self.path, server=False)
        self.grown(0.2)

    def read(self):
        """What pw-record has written so far."""
        if os.path.exists(self.path):
            with open(self.path, "rb") as f:
                if self.at is None and (found := f.read(4096).find(b"data")) >= 0:
                    self.at = found + 8
                if self.at is not None:
                    f.seek(self.at + len(self.recording))
                    self.recording += f.read()
        return self.recording

    def bursts(self, count, seconds):
        """The time count bursts had reached the sink, or None if they did not in the seconds."""
        def counted():
            starts, partial, _ = find_copies(self.read(), self.sound)
            return len(starts) + (partial is not None) >= count
        return wait(counted, seconds)

    def grown(self, seconds):
        """Waits until the recording holds that many seconds more than now."""
        size = len(self.read()) + seconds * 2 * RATE
        wait(lambda: len(self.read()) >= size, 10, "the recording")

    # A run with its own recordings and tmux server: the program with sound, and beside it the
    # same program --silent, whose ending on the same key measures the harness's delays.
    def plugin(self, lines, during):
        alsa_config(f"{self.work}/alsa.conf", lines)
        env = {"LANG": "C.UTF-8", "LC_ALL": "", "COLORTERM": "",
               "ALSA_CONFIG_PATH": f"{self.work}/alsa.conf",
               **{key: self.env[key] for key in ("XDG_RUNTIME_DIR", "PULSE_SERVER", "HOME")}}
        tmux = f"zorvendale-pipewire-{os.getpid()}-{during}"
        LATE[0] = 0.0
        try:
            self.record(f"{during}-first")
            playing = Pane(tmux, "sound", env, self.program)
            silent = Pane(tmux, "silent", env, self.program, "--silent")
            pause = (0.0, 0.0)
            seen = first = self.bursts(1, 20)
            for k in range(1, PLAYS if seen else 0):
                due = seen + self.bounces[k] - self.bounces[k - 1]
                if k == PAUSED_BEFORE:
                    nap(seen + 0.4 - time.monotonic())
                    asked = playing.keys("C-z")
                    stopped = wait(lambda: playing.state() == "T", 5, "Ctrl-Z stopping it")
                    nap(PAUSE)
                    continued = playing.type("fg")
                    running = wait(lambda: playing.state() != "T", 5, "fg resuming it")
                    pause = (continued - stopped, running - asked)  # the least and the most
                    due += pause[1]
                if not (seen := self.bursts(k + 1, due + 1.0 - time.monotonic())):
                    break
            self.grown(0.3)
            faults = self.judge(self.bounces[:PLAYS], pause, SPACING + 2 * LATE[0])
            if not seen:
                return faults + self.quit(playing, silent, during)
            # Where the check expects each later bounce, from the first copy heard.
            def due(k):
                return first + self.bounces[k] - self.bounces[0] + pause[1]
            faults += self.away(playing, silent, due(PLAYS) - AWAY_BEFORE,
                                due(PLAYS + AWAY_BOUNCES - 1) + BACK_AFTER)
            self.record(f"{during}-back")
            for k in range(PLAYS + AWAY_BOUNCES, PLAYS + AWAY_BOUNCES + PLAYS_BACK):
                if not (seen := self.bursts(k - PLAYS - AWAY_BOUNCES + 1, due(k) + 1.0 -
                                            time.monotonic())):
                    faults.append(f"no sound at floor bounce {k + 1}, with the server back since "
                                  f"before bounce {PLAYS + AWAY_BOUNCES + 1}")
                    break
            if seen and not during:
                nap(seen + 0.6 - time.monotonic())
            faults += self.quit(playing, silent, during)
            self.grown(0.3)  # the end of the last sound, if any came after all
            back = self.bounces[PLAYS + AWAY_BOUNCES:PLAYS + AWAY_BOUNCES + PLAYS_BACK]
            # The program's loop may have been held up as long as the check's sleeps, twice over.
            return faults + [f"after the server came back: {fault}" for fault in
                             self.judge(back, (0.0, 0.0), SPACING + 2 * LATE[0], FRESH_STREAM)]
        finally:
            run("tmux", "-L", tmux, "kill-server")
            self.end(self.others)

    def away(self, playing, silent, leave, back):
        """Stops the server at leave and starts it afresh at back; meanwhile the program's picture
        must go on changing, with no text in it, at about the CPU cost of the --silent one."""
        nap(leave - time.monotonic())
        self.end(self.processes)
        cpu = [pane.cpu_seconds() for pane in (playing, silent)]
        since, pictures, faults = time.monotonic(), [], []
        while time.monotonic() < back - 0.5:
            pictures.append(playing.picture())
            nap(0.5)
        nap(back - time.monotonic())
        took = [(pane.cpu_seconds() - before) / (time.monotonic() - since)
                for pane, before in zip((playing, silent), cpu)]
        print(f"server away {back - leave:.1f} s: the program took {took[0]:.1%} of a core, "
              f"--silent {took[1]:.1%}; {len(pictures)} pictures")
        if took[0] > took[1] + CPU_MARGIN:
            faults.append(f"while the server was away the program took {took[0]:.1%} of a core, "
                          f"--silent {took[1]:.1%}")
        if any(a == b for a, b in zip(pictures, pictures[1:])):
            faults.append("while the server was away the picture stood still")
        if any(any(c.isalpha() for c in picture) for picture in pictures):
            faults.append("while the server was away text came into the picture")
        self.start(self.pulse_config)
        print(f"server back {time.monotonic() - back:.3f} s after its start")
        return faults

    def quit(self, playing, silent, during):
        label = "q during a play" if during else "q between plays"
        panes = (silent, playing)
        sent = [pane.keys("q") for pane in panes]
        ended = [wait(lambda pane=pane: pane.state() is None, 10, label) for pane in panes]
        reference, took = ended[0] - sent[0], ended[1] - sent[1]
        print(f"{label}: ended in {took:.3f} s; --silent in {reference:.3f} s")
        allowed = reference + ENDING + (len(self.sound) / 2 / RATE if during else 0)
        faults = []
        for name, pane in (("the program", playing), ("--silent", silent)):
            if (status := pane.status(self.work)) != 0:
                faults.append(f"{label}: {name} ended with status {status}")
        if took > allowed:
            faults.append(f"{label}: ended {took:.3f} s after the key, more than {allowed:.3f} s")
        return faults

    # Every burst a whole, exact copy, and nothing else, one for each bounce; each after the first
    # as far from it as the replay's bounces, and the pause, less as much as the first was late.
    def judge(self, bounces, pause, spacing, first_late=0.0):
        starts, partial, strays = find_copies(self.read(), self.sound)
        faults = []
        if strays:
            faults.append(f"{len(strays)} bytes of other sound, {strays[0] / 2 / RATE:.3f} s in")
        if partial is not None:
            faults.append(f"a copy cut short {partial / 2 / RATE:.3f} s in")
        if len(starts) != len(bounces):
            faults.append(f"{len(starts)} whole copies at the sink for {len(bounces)} bounces")
        errors = []
        for k in range(1, min(len(starts), len(bounces))):
            gap = (starts[k] - starts[0]) / 2 / RATE
            low = high = bounces[k] - bounces[0]
            low -= first_late
            if k >= PAUSED_BEFORE:
                low, high = low + pause[0], high + pause[1]
            errors.append(f"{max(gap - high, min(gap - low, 0.0)) * 1000:.0f}")
            if not low - spacing <= gap <= high + spacing:
                faults.append(f"copy {k + 1} came {gap:.3f} s after the first, not {low:.3f} to "
                              f"{high:.3f} s as the replay's bounces")
        print(f"{len(starts)} copies; spacing off the replay's by {', '.join(errors)} ms, allowed "
              f"{spacing * 1000:.0f}")
        return faults


def main(argv):
    if len(argv) != 4:
        sys.exit(__doc__)
    tools = ("dbus-run-session", "pipewire", "wireplumber", "pw-cli", "pw-record", "tmux")
    if missing := [tool for tool in tools if shutil.which(tool) is None]:
        skip(f"{', '.join(missing)} not installed (scripts/install-packages test installs them)")
    if os.environ.get("ZORVENDALE_CHECK_BUS") != "private":
        os.environ["ZORVENDALE_CHECK_BUS"] = "private"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *argv])
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # through the clean-ups
    root = unpacked(argv[3])
    if not (plugin := glob.glob(f"{root}/usr/lib/*/alsa-lib/libasound_module_pcm_pipewire.so")):
        skip(f"no PipeWire ALSA plugin in {root}")
    with tempfile.TemporaryDirectory(prefix="zorvendale-pipewire.") as work:
        check = Check(work, argv[1], argv[2])
        try:
            check.start(f"{root}/usr/share/pipewire/pipewire-pulse.conf")
            faults = [f"PipeWire's ALSA plugin: {fault}" for fault in check.plugin(
                f'pcm_type.pipewire {{ lib "{plugin[0]}" }}\npcm.!default {{ type pipewire }}',
                during=False)]
            faults += [f"the PulseAudio plugin: {fault}" for fault in check.plugin(
                "pcm.!default { type pulse }", during=True)]
        finally:
            check.stop()
    for fault in faults:
        print("FAIL:", fault)
    print("PASS" if not faults else f"{len(faults)} check(s) failed")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
