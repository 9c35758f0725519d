"""The end-to-end test kit: real programs of the build tree under Wine, real
windows on the X display, local servers, and the outcome on disk.

An end-to-end test is a tests/e2e/<Name>_e2e.py module of unittest cases
derived from E2ETestCase; tests/CMakeLists.txt registers each module as the
CTest test e2e_<Name>, which harness/run_e2e.py runs in both test runs (the
PE32+ and the PE32 tree). Every test method gets a fresh Kit:

    kit.tmpdir                        a fresh folder, removed afterwards (KEEP_TEST_TMP=1 keeps it)
    kit.program("fakegame")           a tests/programs executable of this tree
    kit.host_program("korva-pack")    a program of the build machine's own tree (build/host)
    kit.launcher_exe, kit.minizip_dll the launcher reporting to this tree's local collector
    kit.lay_out("launcher", game_info={...}, background=...)   see launcher_folder.py
    kit.serve(www)                    base URL of a local file server (routes: http_server.py);
                                      request_log=path logs each request there (to count downloads);
                                      transfer_log, connection_rate and corrupt as static_server.py
    kit.serve_static(www, ...)        base URL of a lean static server (static_server.py): what a
                                      CDN serves a chunk store from, with transfer logs, per-connection
                                      caps and corrupted answers
    kit.local_collector(delay=0)      the collector the launcher reports to (local_stat.py)
    kit.start(exe, args) / kit.run(exe, args, timeout)         see wine_program.py
    kit.screen                        the X display (xscreen.py): find, wait, screenshot, click
    kit.find_by_class("DemoClass")    a window by its Windows class name
    kit.stat_events(log_path)         the reports a collector received, decoded
    with kit.wine_dpi(144): ...       the prefix's display DPI for programs started inside
    wait_until(condition, timeout)    (module function) polls until a condition holds

Everything started through the kit (servers, programs still running) is
stopped when the test method ends, whatever its outcome.

A module whose tests change what every program in the prefix sees (the
display DPI) must not run beside other tests: a line "# ctest: RUN_SERIAL"
in it makes CTest run it alone (tests/CMakeLists.txt).
"""
import contextlib
import json
import os
import shutil
import tempfile
import time
import unittest

import collector
import http_server
import launcher_folder
import local_stat
import static_server
import wine_program
from xscreen import XScreen


def wait_until(condition, timeout, interval=0.05):
    """Polls `condition` until it holds (True) or `timeout` seconds pass (False)."""
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(interval)
    return True


class Kit:
    def __init__(self, source_dir, build_dir, emulator, tmpdir, on_cleanup):
        self.source_dir = source_dir
        self.build_dir = build_dir
        self.emulator = emulator
        self.tmpdir = tmpdir
        self._on_cleanup = on_cleanup
        self._screen = None

    @classmethod
    def from_env(cls, tmpdir, on_cleanup):
        """The kit of the tree run_e2e.py names in the environment."""
        return cls(os.environ["E2E_SOURCE_DIR"], os.environ["E2E_BUILD_DIR"], os.environ["E2E_EMULATOR"], tmpdir,
                   on_cleanup)

    # The context the harness's server modules expect (tmpdir, build_dir, on_cleanup).
    def on_cleanup(self, fn):
        self._on_cleanup(fn)

    win_path = staticmethod(wine_program.win_path)

    def path(self, *parts):
        return os.path.join(self.tmpdir, *parts)

    def program(self, name):
        exe = os.path.join(self.build_dir, "tests", "programs", name + ".exe")
        if not os.path.exists(exe):
            raise FileNotFoundError(f"{exe} is missing: build the tree first")
        return exe

    @property
    def host_build_dir(self):
        """The build machine's tree beside this one: BUILD/host for the trees
        BUILD and BUILD/x64 (scripts/runnable-build BUILD host), unless
        E2E_HOST_BUILD_DIR names another."""
        if os.environ.get("E2E_HOST_BUILD_DIR"):
            return os.environ["E2E_HOST_BUILD_DIR"]
        top = os.path.dirname(self.build_dir) if os.path.basename(self.build_dir) == "x64" else self.build_dir
        return os.path.join(top, "host")

    def host_program(self, name):
        exe = os.path.join(self.host_build_dir, "bin", name)
        if not os.path.exists(exe):
            raise FileNotFoundError(f"{exe} is missing: build the host tree first (scripts/runnable-build BUILD host)")
        return exe

    @property
    def launcher_exe(self):
        """The launcher as shipped, but reporting to this tree's local collector."""
        return os.path.join(self.build_dir, "e2e", "bin", "KorvaLauncher.exe")

    @property
    def minizip_dll(self):
        return os.path.join(self.build_dir, "bin", "minizip.dll")

    def lay_out(self, name, exe=None, **options):
        return launcher_folder.lay_out(self.path(name), exe or self.launcher_exe, self.minizip_dll, **options)

    def serve(self, root, https=False, certfile=None, keyfile=None, request_log=None, **options):
        port = http_server.start(self, root, https=https, certfile=certfile, keyfile=keyfile,
                                 request_log=request_log, **options)
        return f"{'https' if https else 'http'}://127.0.0.1:{port}"

    def serve_static(self, root, **options):
        return f"http://127.0.0.1:{static_server.start(self, root, **options)}"

    def collector(self, https=True, delay=0.0):
        """A collector on a free port: (URL of the report path, log path)."""
        port, log_path = collector.start(self, https=https, delay=delay)
        scheme = "https" if https else "http"
        return f"{scheme}://127.0.0.1:{port}/api/proxy/tesmar/report/v2", log_path

    def local_collector(self, delay=0.0):
        return local_stat.start_collector(self, delay=delay)

    def start(self, exe, args=(), cwd=None, env=None):
        """Starts a program; one still running when the test ends is killed."""
        log_path = self.path(f"{os.path.basename(exe)}-{time.monotonic_ns()}.log")
        program = wine_program.WineProgram(self.emulator, exe, args, cwd=cwd, env=env, log_path=log_path).start()
        self.on_cleanup(program.kill)
        return program

    def run(self, exe, args=(), cwd=None, env=None, timeout=120):
        """Runs a program to its end; returns (exit code, output)."""
        program = self.start(exe, args, cwd=cwd, env=env)
        code = program.wait(timeout)
        return code, program.output()

    @property
    def screen(self):
        if self._screen is None:
            self._screen = XScreen()
            self.on_cleanup(self._screen.close)
        return self._screen

    def find_by_class(self, class_name, timeout=60):
        """The mapped window of that Windows class, through tests/programs/winprobe."""
        deadline = time.monotonic() + timeout
        while True:
            code, output = self.run(self.program("winprobe"), [class_name], timeout=timeout)
            for line in output.splitlines() if code == 0 else ():
                fields = dict(item.split("=", 1) for item in line.split(" title=")[0].split())
                window = self.screen.window(int(fields.get("xid", "0"), 16))
                if fields.get("visible") == "1" and window is not None and self.screen.is_mapped(window):
                    return window
            if time.monotonic() >= deadline:
                raise TimeoutError(f"no visible window of class {class_name!r} within {timeout} s")
            time.sleep(0.2)

    def dpi(self):
        """(LogPixels in the prefix or None, the DPI a DPI-aware program gets), through tests/programs/winedpi."""
        code, output = self.run(self.program("winedpi"))
        fields = dict(item.split("=", 1) for item in output.split())
        if code != 0 or "dpi" not in fields:
            raise RuntimeError(f"winedpi failed ({code}): {output}")
        return (None if fields["registry"] == "none" else int(fields["registry"])), int(fields["dpi"])

    @contextlib.contextmanager
    def wine_dpi(self, dpi):
        """The prefix's display DPI for programs started inside the block (Wine
        reads it when a process starts); the earlier setting returns afterwards,
        at the latest when the test ends. Mark the module "# ctest: RUN_SERIAL"."""
        tool = self.program("winedpi")
        previous, _ = self.dpi()
        pending = [True]

        def restore():
            if pending[0]:
                pending[0] = False
                self.run(tool, ["unset"] if previous is None else ["set", str(previous)])
        self.on_cleanup(restore)
        if self.run(tool, ["set", str(dpi)])[0] != 0:
            raise RuntimeError("winedpi could not set LogPixels")
        try:
            yield
        finally:
            restore()

    @staticmethod
    def stat_events(log_path):
        """Every report the collector logged, as {"category", "action", "timestamp", "extdata"}."""
        events = []
        with open(log_path, encoding="utf-8") as log:
            for line in log:
                request = json.loads(line)
                body = json.loads(bytes.fromhex(request["body_hex"]).decode("utf-8"))
                data = json.loads(body["data"])
                data["extdata"] = json.loads(data.get("extdata", "{}"))
                events.append(data)
        return events


class StandaloneKit(Kit):
    """A kit outside unittest (the demo, the benchmarks): close() stops what it started."""

    def __init__(self, build_dir, tmpdir):
        self._cleanups = []
        root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
        super().__init__(root, os.path.abspath(build_dir), os.path.join(root, "scripts", "wine-run"), tmpdir,
                         self._cleanups.append)

    def close(self):
        while self._cleanups:
            try:
                self._cleanups.pop()()
            except Exception as exc:  # one failed cleanup must not keep the others from running
                print(f"kit: cleanup failed: {exc}")


class E2ETestCase(unittest.TestCase):
    """Base of the end-to-end tests: self.kit is fresh for each test method."""

    def setUp(self):
        tmpdir = tempfile.mkdtemp(prefix="launcher-e2e-")
        if os.environ.get("KEEP_TEST_TMP"):
            print(f"\n{self.id()}: kept {tmpdir}")
        else:
            self.addCleanup(shutil.rmtree, tmpdir, True)
        self.kit = Kit.from_env(tmpdir, self.addCleanup)
