#!/usr/bin/env python3
"""Extracts one generated package with native Info-ZIP `unzip -o -q` and with
the code of minizip.dll (extract_bench.exe under Wine, timed inside with
QueryPerformanceCounter) with one worker and with the default count, in
alternating rounds, and prints each time, the best of each and its ratio to
unzip's best. Set LAUNCHER_WINEPREFIX64 / LAUNCHER_WINEPREFIX32 to your own
prefixes first."""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time


def make_package(root, total_mib, files):
    """About total_mib MiB in `files` files: half compressible text, half random bytes."""
    rng = random.Random(7)
    words = [("".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9)))).encode()
             for _ in range(4000)]
    per_file = total_mib * 1024 * 1024 // files
    for i in range(files):
        folder = os.path.join(root, "data%02d" % (i % 40), "sub%d" % (i % 7))
        os.makedirs(folder, exist_ok=True)
        size = rng.randint(per_file // 4, per_file * 7 // 4)
        if i % 2:
            data = os.urandom(size)
        else:
            chunk = b" ".join(rng.choice(words) for _ in range(4096)) + b"\n"
            data = (chunk * (size // len(chunk) + 1))[:size]
        with open(os.path.join(folder, "file%05d.dat" % i), "wb") as f:
            f.write(data)


def time_unzip(archive, folder):
    start = time.perf_counter()
    subprocess.run(["unzip", "-o", "-q", archive, "-d", folder], check=True)
    return time.perf_counter() - start, None


def time_library(wine_run, bench, archive, folder, workers):
    win = lambda p: "Z:" + os.path.abspath(p).replace("/", "\\")
    out = subprocess.run([wine_run, bench, win(archive), win(folder), str(workers)], check=True,
                         stdout=subprocess.PIPE, text=True).stdout
    match = re.search(r"workers (\d+) result 0 in ([0-9.]+) s", out)
    if not match:
        sys.exit("extract_bench failed: " + out)
    return float(match.group(2)), int(match.group(1))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--mib", type=int, default=200)
    parser.add_argument("--files", type=int, default=3000)
    parser.add_argument("--rounds", type=int, default=2)
    parser.add_argument("--work-dir", default=None, help="where the package and the trees go (default: $TMPDIR)")
    args = parser.parse_args()
    build = os.path.abspath(args.build_dir)
    wine_run = os.path.join(here, "..", "..", "scripts", "wine-run")
    bench = os.path.join(build, "bench", "extract_bench.exe")

    work = tempfile.mkdtemp(prefix="extract-bench-", dir=args.work_dir)
    try:
        src = os.path.join(work, "src")
        make_package(src, args.mib, args.files)
        archive = os.path.join(work, "package.zip")
        subprocess.run(["zip", "-q", "-r", archive, "."], cwd=src, check=True)
        print("package: %d files, %.1f MiB packed, in %s" % (args.files, os.path.getsize(archive) / 1048576.0, work))
        runs = [("unzip -o -q", lambda d: time_unzip(archive, d)),
                ("minizip 1 worker", lambda d: time_library(wine_run, bench, archive, d, 1)),
                ("minizip default", lambda d: time_library(wine_run, bench, archive, d, 0))]
        times = {name: [] for name, _ in runs}
        workers = {}
        for round_ in range(args.rounds):
            for index, (name, timer) in enumerate(runs):
                # A fresh folder each time: files created just after thousands
                # were deleted make ext4 skip the freed inodes one by one.
                folder = os.path.join(work, "out%d-%d" % (round_, index))
                # Flush the previous run's writeback so it is not timed with this one.
                os.sync()
                seconds, used = timer(folder)
                times[name].append(seconds)
                workers[name] = "-" if used is None else str(used)
                print("round %d: %-17s workers %-2s %.3f s" % (round_ + 1, name, workers[name], seconds))
        best_unzip = min(times[runs[0][0]])
        print("%-17s %7s %9s %9s" % ("", "workers", "best s", "/ unzip"))
        for name, _ in runs:
            best = min(times[name])
            print("%-17s %7s %9.3f %9.2f" % (name, workers[name], best, best / best_unzip))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
