#!/usr/bin/env python3
"""Runs one test binary under Wine in a fresh temporary folder.

A program that dies of an unhandled exception under Wine (a stack overflow,
say) may still end with exit code 0: Wine's report of it on the standard
error, of the binary or of any program it started, fails the run.

An optional fixture module (a Python file with setup(ctx)) may start local
servers, prepare files and set environment variables before the binary runs;
everything it registers with ctx.on_cleanup is undone afterwards, even when
the binary fails or hangs.
"""
import argparse
import importlib.util
import os
import shutil
import socket
import subprocess
import sys
import tempfile


def win_path(path):
    """The path as a Wine process sees it through the Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Context:
    def __init__(self, args, tmpdir):
        self.source_dir = os.path.abspath(args.source_dir)
        self.build_dir = os.path.abspath(args.build_dir)
        self.tmpdir = tmpdir
        self.env = dict(os.environ)
        self.command = [args.emulator] + args.command
        self.timeout = args.timeout
        self._cleanups = []
        self.env["TEST_TMPDIR"] = win_path(tmpdir)
        self.env["TEST_TMPDIR_UNIX"] = tmpdir
        self.env["LAUNCHER_SOURCE_DIR"] = win_path(self.source_dir)
        self.env["LAUNCHER_BUILD_DIR"] = win_path(self.build_dir)

    win_path = staticmethod(win_path)
    free_port = staticmethod(free_port)

    def on_cleanup(self, fn):
        self._cleanups.append(fn)

    def run_cleanups(self):
        while self._cleanups:
            fn = self._cleanups.pop()
            try:
                fn()
            except Exception as exc:  # a failed cleanup must not hide the test's result
                print(f"run_test: cleanup failed: {exc}", file=sys.stderr)


# What Wine writes when a program dies of an exception nobody handled.
CRASH_REPORT = b"wine: Unhandled"


def run_logged(ctx):
    """The exit code; the standard error goes through a file (a program the
    test leaves running may hold it open) and is echoed afterwards."""
    with tempfile.TemporaryFile() as log:
        try:
            code = subprocess.run(ctx.command, env=ctx.env, cwd=ctx.tmpdir, stderr=log,
                                  timeout=ctx.timeout).returncode
        except subprocess.TimeoutExpired:
            print(f"run_test: timed out after {ctx.timeout} s", file=sys.stderr)
            code = 1
        log.seek(0)
        errors = log.read()
    sys.stderr.buffer.write(errors)
    sys.stderr.flush()
    if code == 0 and CRASH_REPORT in errors:
        print("run_test: a program crashed (see above) although the exit code was 0", file=sys.stderr)
        code = 1
    return code


def load_fixture(path):
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    sys.path.insert(0, os.path.dirname(os.path.abspath(path)))
    module_spec = importlib.util.spec_from_file_location("test_fixture", path)
    module = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(module)
    return module


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--emulator", required=True)
    parser.add_argument("--fixture", action="append", default=[],
                        help="may be given more than once; set up in order")
    parser.add_argument("--timeout", type=int, default=600)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    if args.command and args.command[0] == "--":
        args.command = args.command[1:]

    tmpdir = tempfile.mkdtemp(prefix="launcher-test-")
    ctx = Context(args, tmpdir)
    code = 1
    try:
        for fixture in args.fixture:
            load_fixture(fixture).setup(ctx)
        code = run_logged(ctx)
    finally:
        ctx.run_cleanups()
        if os.environ.get("KEEP_TEST_TMP"):
            print(f"run_test: kept {tmpdir}", file=sys.stderr)
        else:
            shutil.rmtree(tmpdir, ignore_errors=True)
    return code


if __name__ == "__main__":
    sys.exit(main())
