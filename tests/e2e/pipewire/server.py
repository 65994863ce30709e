"""A PipeWire server of the check's own, apart from any sound the machine has: its own runtime,
configuration and state folders, on the session bus of dbus-run-session, with WirePlumber told to
leave every device alone, the PulseAudio daemon, and one null sink, which the recorder listens to.
The graph runs at the bounce sound's rate, so what reaches the sink is not resampled."""
import ctypes
import os
import signal
import subprocess
import time

PR_SET_PDEATHSIG = 1
SINK = "zorvendale-check-sink"
RATE = 11025
# At 11,025 Hz a cycle of 256 frames is 23 ms: a burst reaches the sink within one of its write.
QUANTUM = 256

PIPEWIRE_SETTINGS = f"""context.properties = {{
    default.clock.rate = {RATE}
    default.clock.allowed-rates = [ {RATE} ]
    default.clock.quantum = {QUANTUM}
    default.clock.min-quantum = {QUANTUM}
    default.clock.max-quantum = {QUANTUM}
}}
"""
# Loaded after WirePlumber's own settings, before they take effect.
WIREPLUMBER_MAIN = """alsa_monitor.enabled = false
v4l2_monitor.enabled = false
libcamera_monitor.enabled = false
"""
WIREPLUMBER_BLUETOOTH = "bluez_monitor.enabled = false\n"
SINK_PROPERTIES = (f"{{ factory.name=support.null-audio-sink node.name={SINK} "
                   f"media.class=Audio/Sink object.linger=1 audio.position=[FL FR] "
                   f"audio.rate={RATE} priority.session=2000 priority.driver=2000 }}")


class Failed(Exception):
    """The server could not be started; the message says why."""


def _write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="ascii") as f:
        f.write(text)


# A check that is killed leaves no server behind.
def _end_with_parent():
    ctypes.CDLL(None).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def _wait(ready, seconds, what):
    deadline = time.monotonic() + seconds
    while not ready():
        if time.monotonic() > deadline:
            raise Failed(f"{what} not within {seconds} s")
        time.sleep(0.02)


class Server:
    """Started by start(), ended with everything it started by stop()."""

    def __init__(self, work, pulse_config):
        self.work = work
        self.pulse_config = pulse_config
        self.runtime = os.path.join(work, "runtime")
        self.pulse_socket = os.path.join(self.runtime, "pulse", "native")
        config = os.path.join(work, "config")
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, XDG_CONFIG_HOME=config,
                        XDG_STATE_HOME=os.path.join(work, "state"), HOME=work,
                        PULSE_SERVER=f"unix:{self.pulse_socket}",
                        DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
        for name in ("PIPEWIRE_REMOTE", "PIPEWIRE_RUNTIME_DIR", "PULSE_RUNTIME_PATH"):
            self.env.pop(name, None)
        _write(os.path.join(config, "pipewire/pipewire.conf.d/zorvendale.conf"), PIPEWIRE_SETTINGS)
        _write(os.path.join(config, "wireplumber/main.lua.d/51-zorvendale.lua"), WIREPLUMBER_MAIN)
        _write(os.path.join(config, "wireplumber/bluetooth.lua.d/51-zorvendale.lua"),
               WIREPLUMBER_BLUETOOTH)
        os.makedirs(self.runtime, mode=0o700)
        self.processes = []

    def spawn(self, name, *command):
        with open(os.path.join(self.work, f"{name}.log"), "ab") as log:
            process = subprocess.Popen(command, env=self.env, stdin=subprocess.DEVNULL,
                                       stdout=log, stderr=subprocess.STDOUT,
                                       preexec_fn=_end_with_parent)
        self.processes.append(process)
        return process

    def _tool(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True, text=True, check=False)

    def _has(self, kind, text):
        return text in self._tool("pw-cli", "ls", kind).stdout

    # The sink comes before the PulseAudio daemon, which would otherwise make one of its own.
    def start(self):
        self.spawn("pipewire", "pipewire")
        _wait(lambda: os.path.exists(os.path.join(self.runtime, "pipewire-0")), 10, "PipeWire")
        self.spawn("wireplumber", "wireplumber")
        made = self._tool("pw-cli", "create-node", "adapter", SINK_PROPERTIES)
        if made.returncode != 0 or "error" in made.stdout + made.stderr:
            raise Failed(f"no null sink: {made.stdout}{made.stderr}")
        _wait(lambda: self._has("Node", SINK), 10, "the null sink")
        _wait(lambda: self._has("Client", "WirePlumber"), 10, "WirePlumber")
        self.spawn("pipewire-pulse", "pipewire", "-c", self.pulse_config)
        _wait(lambda: os.path.exists(self.pulse_socket), 10, "the PulseAudio daemon")

    def record(self, path):
        """Starts recording the sink's output as 8-bit stereo WAV at the sound's rate."""
        return self.spawn("pw-record", "pw-record", "--target", SINK, "-P",
                          "{ stream.capture.sink=true }", "--rate", str(RATE), "--channels", "2",
                          "--format", "u8", path)

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
        for process in self.processes:
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self.processes = []
