"""The program run as a job of an interactive shell, in a pane of a private tmux server, so that
Ctrl-Z and fg work as a user's would. Its process id and exit status go to files."""
import os
import shlex
import subprocess
import time


class Pane:
    def __init__(self, server, name, work, env):
        self.server = server
        self.name = name
        self.pid_file = os.path.join(work, f"{name}.pid")
        self.status_file = os.path.join(work, f"{name}.status")
        self.pid = None
        settings = [f"{key}={value}" for key, value in env.items()]
        self._tmux("new-session", "-d", "-s", name, "-x", "80", "-y", "45", "env", *settings,
                   "PS1=$ ", "sh", "-i")

    def _tmux(self, *arguments):
        subprocess.run(["tmux", "-L", self.server, "-f", "/dev/null", *arguments], check=True)

    def start(self, *command):
        """Types the command line that starts the program, and waits for its process id."""
        for path in (self.pid_file, self.status_file):
            if os.path.exists(path):
                os.remove(path)
        program = " ".join(shlex.quote(word) for word in command)
        pid = shlex.quote(self.pid_file)
        line = (f"sh -c 'echo $$ >{pid}.new && mv {pid}.new {pid} && exec {program}'; "
                f"{self._record_status()}")
        self._tmux("send-keys", "-t", self.name, "-l", line)
        self._tmux("send-keys", "-t", self.name, "Enter")
        deadline = time.monotonic() + 10
        while not os.path.exists(self.pid_file):
            if time.monotonic() > deadline:
                raise RuntimeError(f"{self.name}: the shell did not start the program")
            time.sleep(0.01)
        with open(self.pid_file, encoding="ascii") as f:
            self.pid = int(f.read())

    # The shell records the status the program ended with; a stop too, which resume() forgets.
    def _record_status(self):
        status = shlex.quote(self.status_file)
        return f"echo $? >{status}.new; mv {status}.new {status}"

    def resume(self):
        """Forgets the status of the stop, once recorded, and types fg; returns the time just
        before."""
        self.status()
        if os.path.exists(self.status_file):
            os.remove(self.status_file)
        sent = self.keys("-l", f"fg; {self._record_status()}")
        self.keys("Enter")
        return sent

    def keys(self, *keys):
        """Sends the keys; returns the time just before."""
        sent = time.monotonic()
        self._tmux("send-keys", "-t", self.name, *keys)
        return sent

    def state(self):
        """The process's state letter (R, S, T, ...), or None once it has ended."""
        try:
            with open(f"/proc/{self.pid}/stat", encoding="ascii") as f:
                state = f.read().rsplit(")", 1)[1].split()[0]
        except (FileNotFoundError, ProcessLookupError):
            return None
        return None if state in "ZX" else state

    def wait_until(self, test, seconds):
        """The time test(state) first held, or None if it did not within the seconds given."""
        deadline = time.monotonic() + seconds
        while time.monotonic() <= deadline:
            if test(self.state()):
                return time.monotonic()
            time.sleep(0.002)
        return None

    def status(self):
        deadline = time.monotonic() + 5
        while not os.path.exists(self.status_file) and time.monotonic() < deadline:
            time.sleep(0.01)
        if not os.path.exists(self.status_file):
            return None
        with open(self.status_file, encoding="ascii") as f:
            return int(f.read())
