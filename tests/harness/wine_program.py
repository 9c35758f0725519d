"""One Windows program run under Wine, with its exit code and a time-out.

    program = WineProgram(emulator, exe, ["-channel", "演示"], cwd=folder).start()
    code = program.wait(timeout=60)        # raises TimeoutError after killing it

`emulator` is the tree's scripts/wine-run, which picks the Wine loader from
the program's PE header and the project's prefix and environment
(scripts/wine-env). The program runs in a process group of its own, so a
kill also ends what it started (a game it launched, for instance). Its
output goes to a log file beside nothing else: `output()` reads it.
"""
import os
import signal
import subprocess
import tempfile
import time


def win_path(path):
    """The path as a Wine process sees it through the Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class WineProgram:
    def __init__(self, emulator, exe, args=(), cwd=None, env=None, log_path=None):
        self.emulator = emulator
        self.exe = os.path.abspath(exe)
        self.args = list(args)
        self.cwd = cwd or os.path.dirname(os.path.abspath(exe))
        self.env = dict(os.environ if env is None else env)
        self.log_path = log_path
        self.process = None
        self.started_at = None
        self._log = None

    def start(self):
        if self.log_path is None:
            handle, self.log_path = tempfile.mkstemp(prefix="wine-program-", suffix=".log")
            os.close(handle)
        self._log = open(self.log_path, "wb")
        self.started_at = time.monotonic()
        self.process = subprocess.Popen([self.emulator, self.exe] + self.args, cwd=self.cwd, env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=self._log, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        return self

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait(self, timeout):
        """The exit code; after `timeout` seconds the program is killed and
        TimeoutError raised."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise TimeoutError(f"{os.path.basename(self.exe)} still ran after {timeout} s") from None
        finally:
            if self.process.poll() is not None:
                self._close_log()

    def kill(self):
        if self.process is None:
            return
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.process.wait()
        self._close_log()

    def output(self):
        if self._log is not None:
            self._log.flush()
        with open(self.log_path, "rb") as f:
            return f.read().decode("utf-8", errors="replace")

    def _close_log(self):
        if self._log is not None:
            self._log.close()
            self._log = None


def run(emulator, exe, args=(), cwd=None, env=None, timeout=120):
    """Runs a program to its end; returns (exit code, output)."""
    program = WineProgram(emulator, exe, args, cwd=cwd, env=env).start()
    try:
        code = program.wait(timeout)
        return code, program.output()
    finally:
        os.remove(program.log_path)
