#!/usr/bin/env python3
"""Peak memory during one download under Wine, side by side in one run: the
launcher fetching a package against download_floor.exe, a bare WinINet loop
fetching the same file from the same local server, and against the same loop
behind the least window (a popup painted once with a line of Chinese text),
which tells the window's share from the download's.

    footprint_bench.py --build-dir TREE [--size-mib 256] [--rounds N]   (./run sets up X and Wine)

Each side's peak is the high-water mark of its Wine process's resident set
(VmHWM in /proc), read from outside while it runs, so both are measured
the same way; the launcher's is the last one read while its package was
still incomplete, so the check and extraction that follow at once are left
out. Prints both, their difference and their ratio.
"""
import argparse
import os
import shutil
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.abspath(os.path.join(here, "..", ".."))
sys.path.insert(0, os.path.join(root, "tests", "harness"))
import game_package  # noqa: E402
from e2e import StandaloneKit  # noqa: E402
from wine_program import win_path  # noqa: E402

TIMEOUT = 600
MIB = 1024 * 1024


def peak_kib(pid):
    """The process's resident high-water mark in KiB; None once it is gone."""
    try:
        with open(f"/proc/{pid}/status", encoding="ascii") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        return None
    return None


def watch_peak(program, done):
    """The last high-water mark read before `done()` held, or before the program ended."""
    peak = 0
    deadline = time.monotonic() + TIMEOUT
    while program.running():
        if time.monotonic() > deadline:
            raise TimeoutError(f"{os.path.basename(program.exe)} still ran after {TIMEOUT} s")
        # Read first: a mark read before done() turned true was reached before it.
        mark = peak_kib(program.pid) or 0
        if done():
            break
        peak = max(peak, mark)
        time.sleep(0.02)
    program.kill()
    return peak


def floor_peak(kit, url, window=False):
    exe = os.path.join(kit.build_dir, "bench", "footprint", "download_floor.exe")
    out = kit.path("floor.bin")
    program = kit.start(exe, [url, win_path(out)] + (["--window"] if window else []))
    peak = watch_peak(program, lambda: False)
    if program.process.returncode not in (0, -9):
        raise RuntimeError(f"download_floor failed: {program.output()}")
    os.remove(out)
    return peak


def launcher_peak(kit, url, size, round_no):
    folder = kit.lay_out(f"launcher{round_no}", game_info={"game_id": "bench", "game_url": url,
                                                            "start_path": "game.exe", "file_size": size})
    program = kit.start(folder.exe, [])
    package = folder.package
    peak = watch_peak(program, lambda: os.path.exists(package) and os.path.getsize(package) >= size)
    complete = os.path.exists(package) and os.path.getsize(package) >= size
    shutil.rmtree(folder.path, ignore_errors=True)
    if not complete:
        raise RuntimeError(f"the launcher ended before its download did:\n{program.output()}")
    return peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--size-mib", type=int, default=256)
    parser.add_argument("--rounds", type=int, default=2)
    args = parser.parse_args()
    kit = StandaloneKit(args.build_dir, tempfile.mkdtemp(prefix="footprint-bench-"))
    kit.on_cleanup(lambda: shutil.rmtree(kit.tmpdir, ignore_errors=True))
    try:
        if not os.path.exists(kit.launcher_exe):
            sys.exit(f"{kit.launcher_exe} is not built")
        kit.local_collector()
        www = kit.path("www")
        os.makedirs(www)
        size = game_package.make_package(os.path.join(www, "GameSetup.zip"), {"game.exe": b"MZ"},
                                         size=args.size_mib * MIB, stored=True)
        url = kit.serve(www) + "/files/GameSetup.zip"
        floors, window_floors, launchers = [], [], []
        for round_no in range(args.rounds):
            floors.append(floor_peak(kit, url))
            window_floors.append(floor_peak(kit, url, window=True))
            launchers.append(launcher_peak(kit, url, size, round_no))
        floor, window_floor, launcher = min(floors), min(window_floors), min(launchers)
        print(f"peak resident set during a {args.size_mib} MiB download, least of {args.rounds} rounds")
        print(f"download floor: {floor / 1024:.1f} MiB")
        print(f"download floor with a window: {window_floor / 1024:.1f} MiB")
        print(f"launcher: {launcher / 1024:.1f} MiB")
        print(f"launcher - floor: {(launcher - floor) / 1024:+.1f} MiB")
        print(f"launcher / floor: {launcher / floor:.2f}")
        print(f"launcher - floor with a window: {(launcher - window_floor) / 1024:+.1f} MiB (target: at most +8 MiB)")
        print(f"launcher / floor with a window: {launcher / window_floor:.2f}")
    finally:
        kit.close()


if __name__ == "__main__":
    main()
