#!/usr/bin/env python3
"""Extracts one generated package with minizip.dll (under Wine, timed inside
with QueryPerformanceCounter) and with native Info-ZIP `unzip -o -q`, and
prints both times and their ratio."""
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
    return time.perf_counter() - start


def time_dll(wine_run, bench, dll, archive, folder):
    win = lambda p: "Z:" + os.path.abspath(p).replace("/", "\\")
    out = subprocess.run([wine_run, bench, win(dll), win(archive), win(folder)], check=True,
                         stdout=subprocess.PIPE, text=True).stdout
    match = re.search(r"result 0 in ([0-9.]+) s", out)
    if not match:
        sys.exit("extract_bench failed: " + out)
    return float(match.group(1))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--mib", type=int, default=200)
    parser.add_argument("--files", type=int, default=3000)
    parser.add_argument("--rounds", type=int, default=2)
    args = parser.parse_args()
    build = os.path.abspath(args.build_dir)
    wine_run = os.path.join(here, "..", "..", "scripts", "wine-run")
    bench = os.path.join(build, "bench", "extract_bench.exe")
    dll = os.path.join(build, "bin", "minizip.dll")

    work = tempfile.mkdtemp(prefix="extract-bench-")
    try:
        src = os.path.join(work, "src")
        make_package(src, args.mib, args.files)
        archive = os.path.join(work, "package.zip")
        subprocess.run(["zip", "-q", "-r", archive, "."], cwd=src, check=True)
        print("package: %d files, %.1f MiB packed" % (args.files, os.path.getsize(archive) / 1048576.0))
        unzip_times, dll_times = [], []
        for round_ in range(args.rounds):
            for name, timer, times in (("unzip", lambda d: time_unzip(archive, d), unzip_times),
                                       ("minizip.dll", lambda d: time_dll(wine_run, bench, dll, archive, d),
                                        dll_times)):
                folder = os.path.join(work, "out-" + name)
                shutil.rmtree(folder, ignore_errors=True)
                # Flush the previous run's writeback so it is not timed with this one.
                os.sync()
                times.append(timer(folder))
                print("round %d: %-11s %.3f s" % (round_ + 1, name, times[-1]))
        best_unzip, best_dll = min(unzip_times), min(dll_times)
        print("best unzip -o -q: %.3f s" % best_unzip)
        print("best minizip.dll: %.3f s" % best_dll)
        print("ratio minizip.dll / unzip: %.2f" % (best_dll / best_unzip))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
