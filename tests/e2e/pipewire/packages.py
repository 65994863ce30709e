"""PipeWire's ALSA plugin and its PulseAudio daemon, from the packages pipewire-alsa and
pipewire-pulse. On Debian 12 both conflict with pulseaudio, so installing them could take a
developer's sound server away: they are fetched with apt-get download instead, in the version of
the PipeWire installed, and unpacked into the build folder, where later runs find them."""
import fcntl
import glob
import os
import shutil
import subprocess
import tempfile

NAMES = ("pipewire-alsa", "pipewire-pulse")


class Unavailable(Exception):
    """The packages can't be had here; the message says why."""


def _installed_version():
    query = subprocess.run(["dpkg-query", "-W", "-f=${Status} ${Version}", "libpipewire-0.3-0"],
                           capture_output=True, text=True, check=False)
    status, _, version = query.stdout.rpartition(" ")
    if status != "install ok installed":
        raise Unavailable("PipeWire is not installed (scripts/install-packages test installs it)")
    return version


def _download(folder, version):
    return subprocess.run(["apt-get", "download", *[f"{name}={version}" for name in NAMES]],
                          cwd=folder, capture_output=True, text=True, check=False)


# A machine whose package lists were cleared after its installs has none to download from.
def _update_lists():
    sudo = [] if os.geteuid() == 0 else ["sudo", "-n"]
    subprocess.run([*sudo, "apt-get", "-o", "DPkg::Lock::Timeout=900", "update", "-qq"],
                   capture_output=True, check=False)


def _fetch(folder, version):
    fetched = _download(folder, version)
    if fetched.returncode != 0:
        _update_lists()
        fetched = _download(folder, version)
    if fetched.returncode != 0:
        reason = (fetched.stderr.strip().splitlines() or ["no reason given"])[-1]
        raise Unavailable(f"apt-get download of {' '.join(NAMES)} {version} failed: {reason}")
    root = os.path.join(folder, "root")
    for deb in glob.glob(os.path.join(folder, "*.deb")):
        subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    return root


class Unpacked:
    """The packages' files under one folder, fetched on first use."""

    def __init__(self, cache):
        version = _installed_version()
        cache = os.path.abspath(cache)  # pipewire takes a relative -c for a configuration name
        self.root = os.path.join(cache, f"pipewire-{version}")
        os.makedirs(cache, exist_ok=True)
        with open(os.path.join(cache, ".lock"), "w", encoding="ascii") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if not os.path.isdir(self.root):
                with tempfile.TemporaryDirectory(dir=cache) as folder:
                    shutil.move(_fetch(folder, version), self.root)

    def alsa_plugin(self):
        found = glob.glob(os.path.join(self.root, "usr/lib/*/alsa-lib/"
                                       "libasound_module_pcm_pipewire.so"))
        if not found:
            raise Unavailable(f"no PipeWire ALSA plugin in {self.root}")
        return found[0]

    # The daemon is the pipewire program itself, run on this configuration.
    def pulse_config(self):
        return os.path.join(self.root, "usr/share/pipewire/pipewire-pulse.conf")
