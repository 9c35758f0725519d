#!/usr/bin/env python3
"""The chunked install (manifest_url) against the package's (game_url), the
real launcher under Wine fetching from one loopback server, with the same
generated game of mixed content packed both ways (korva-pack of the build
machine; a deflated zip). Prints each figure and the ratios side by side:

  bytes fetched by a chunked install / the store's bytes of that version
  start to the game's start, chunked / package (download and extraction)
  throughput with every connection capped at 1 MiB/s, chunked with its
  default connections / package (a smaller game of large files, --capped-mib)
  bytes fetched when the install is killed half way and started again / a
  clean install (the smaller game, at 4 MiB/s per connection)

    chunkinstall_bench.py --build-dir TREE [--size-mib 200] [--capped-mib 16] [--rounds 1]
    (./run sets up X and Wine)
"""
import argparse
import os
import random
import shutil
import sys
import tempfile
import time
import zipfile

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.abspath(os.path.join(here, "..", ".."))
sys.path.insert(0, os.path.join(root, "tests", "harness"))
import chunk_store  # noqa: E402
from e2e import StandaloneKit, wait_until  # noqa: E402
from transfer_faults import read_transfers  # noqa: E402

MIB = 1024 * 1024
TIMEOUT = 900
START_PATH = "bin\\game.exe"
WORDS = [b"sword ", b"shield ", b"dragon ", b"castle ", b"quest ", b"potion ", b"level ", b"mana ", b"guild ",
         b"forest ", b"armor ", b"spell ", b"gold ", b"map\n"]


class Content:
    """Blocks of incompressible bytes (textures, audio) among text-like ones."""

    def __init__(self, seed):
        self.random = random.Random(seed)
        self.text = b"".join(self.random.choices(WORDS, k=1_500_000))

    def text_like(self, size):
        at = self.random.randrange(len(self.text) - size) if size < len(self.text) else 0
        return self.text[at:at + size]

    def mixed(self, size, random_percent):
        out = bytearray()
        while len(out) < size:
            length = min(size - len(out), 48 * 1024)
            out += os.urandom(length) if self.random.randrange(100) < random_percent else self.text_like(length)
        return bytes(out)


def make_game(folder, total, game_exe, small_files=True, seed=1):
    """About `total` bytes: a pack file (half), a movie, the executable's
    neighbour, 150 medium files and 1500 small ones, as bench/chunkstore has;
    without the small files, the pack file takes their share."""
    content = Content(seed)
    files = {"data/world.pak": content.mixed(total // 2 + (0 if small_files else total * 3 // 10), 40),
             "movies/intro.bk2": os.urandom(total * 15 // 100), "bin/engine.dll": content.mixed(total * 5 // 100, 50)}
    for i in range(150 if small_files else 0):
        files[f"data/关卡/level_{i:03d}.lvl"] = content.mixed(total // 750 * (50 + i % 100) // 100, 30)
    for i in range(1500 if small_files else 0):
        files[f"locale/zh/strings_{i:04d}.txt"] = content.text_like(total // 15000 * (20 + i % 160) // 100)
    for name, data in files.items():
        path = os.path.join(folder, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    shutil.copy(game_exe, os.path.join(folder, "bin", "game.exe"))


def make_zip(folder, path):
    with zipfile.ZipFile(path, "w", compression=zipfile.ZIP_DEFLATED, compresslevel=6) as archive:
        for directory, _, names in os.walk(folder):
            for name in names:
                full = os.path.join(directory, name)
                archive.write(full, os.path.relpath(full, folder).replace(os.sep, "/"))
    return os.path.getsize(path)


class Bench:
    def __init__(self, kit):
        self.kit = kit
        self.runs = 0

    def serve(self, www, rate=None):
        log = self.kit.path(f"transfers-{time.monotonic_ns()}.jsonl")
        return self.kit.serve_static(www, transfer_log=log, connection_rate=rate), log

    def launcher(self, **keys):
        self.runs += 1
        return self.kit.lay_out(f"launcher-{self.runs}", game_info={"game_id": "bench", "start_path": START_PATH,
                                                                   **keys})

    def start_to_game(self, folder):
        """Seconds from the launcher's start to the game's; the launcher is left to end."""
        record = os.path.join(folder.game_dir, "bin", "fakegame.record.txt")
        program = self.kit.start(folder.exe, [], cwd=self.kit.tmpdir)
        began = program.started_at
        if not wait_until(lambda: os.path.exists(record) or not program.running(), TIMEOUT, interval=0.01):
            raise TimeoutError("the game never started")
        # The launcher ends once the game has started; its record may follow a moment later.
        if not wait_until(lambda: os.path.exists(record), 10, interval=0.01):
            raise RuntimeError(f"the launcher ended without starting the game:\n{program.output()}")
        took = time.monotonic() - began
        program.wait(TIMEOUT)
        return took

    @staticmethod
    def throughput(entries):
        """Body bytes per second from the first request's start to the last one's end."""
        span = max(e["end"] for e in entries) - min(e["start"] for e in entries)
        return sum(e["sent"] for e in entries) / span

    def killed_and_resumed(self, url, store_chunk_bytes):
        """Bytes of an install killed once its journal records half the chunk bytes, then started again."""
        folder = self.launcher(manifest_url=url)
        journal = os.path.join(folder.game_dir, ".korva", "install.journal")
        manifest = chunk_store.read_manifest(self.store)
        stored = {i: chunk.stored for i, chunk in enumerate(manifest.chunks)}

        def recorded_bytes():
            try:
                with open(journal, encoding="ascii") as f:
                    return sum(stored.get(int(line), 0) for line in f.read().splitlines()[1:] if line.isdigit())
            except OSError:
                return 0
        program = self.kit.start(folder.exe, [], cwd=self.kit.tmpdir)
        wait_until(lambda: recorded_bytes() >= store_chunk_bytes // 2 or not program.running(), TIMEOUT, 0.005)
        program.kill()
        at_kill = recorded_bytes()
        return self.start_to_game(folder), at_kill


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--size-mib", type=int, default=200)
    parser.add_argument("--capped-mib", type=int, default=16)
    parser.add_argument("--rounds", type=int, default=2)
    args = parser.parse_args()
    kit = StandaloneKit(args.build_dir, tempfile.mkdtemp(prefix="chunkinstall-bench-"))
    kit.on_cleanup(lambda: shutil.rmtree(kit.tmpdir, ignore_errors=True))
    try:
        kit.local_collector()
        bench = Bench(kit)
        korva_pack = kit.host_program("korva-pack")
        results = {}
        for label, mib in (("full", args.size_mib), ("capped", args.capped_mib)):
            www = kit.path(label)
            game = kit.path(label + "-game")
            make_game(game, mib * MIB, kit.program("fakegame"), small_files=label == "full")
            package = make_zip(game, os.path.join(www, "GameSetup.zip")) if os.makedirs(www) is None else 0
            store = os.path.join(www, "store")
            chunk_store.pack(korva_pack, game, store, "1.0")
            manifest = chunk_store.read_manifest(store)
            chunk_bytes = sum(chunk.stored for chunk in manifest.chunks)
            store_bytes = chunk_bytes + sum(os.path.getsize(os.path.join(d, n)) for d, _, ns in os.walk(store)
                                            for n in ns if not n.endswith(".chunk"))
            results[label] = dict(www=www, package=package, store=store, chunk_bytes=chunk_bytes,
                                  store_bytes=store_bytes, game_bytes=mib * MIB)
            print(f"{label} game: {mib} MiB; package {package / MIB:.1f} MiB; store {store_bytes / MIB:.1f} MiB in "
                  f"{len(manifest.chunks)} chunks")

        full = results["full"]
        zip_times, store_times, fetched = [], [], []
        for _ in range(args.rounds):
            base, _ = bench.serve(full["www"])
            zip_times.append(bench.start_to_game(bench.launcher(game_url=f"{base}/GameSetup.zip",
                                                                file_size=full["package"])))
            base, log = bench.serve(full["www"])
            store_times.append(bench.start_to_game(bench.launcher(manifest_url=f"{base}/store/latest.json")))
            fetched.append(sum(e["sent"] for e in read_transfers(log)))
        print(f"start to game, package (download and extraction): {min(zip_times):7.2f} s (best of {args.rounds})")
        print(f"start to game, chunked:                          {min(store_times):7.2f} s (best of {args.rounds})")
        print(f"bytes fetched, chunked: {max(fetched)} of a store of {full['store_bytes']} bytes")

        capped = results["capped"]
        base, log = bench.serve(capped["www"], rate=MIB)
        bench.start_to_game(bench.launcher(game_url=f"{base}/GameSetup.zip"))
        zip_rate = bench.throughput(read_transfers(log))
        base, log = bench.serve(capped["www"], rate=MIB)
        bench.start_to_game(bench.launcher(manifest_url=f"{base}/store/latest.json"))
        store_rate = bench.throughput([e for e in read_transfers(log) if "/chunks/" in e["path"]])
        print(f"throughput at 1 MiB/s per connection, package: {zip_rate / MIB:6.2f} MiB/s")
        print(f"throughput at 1 MiB/s per connection, chunked: {store_rate / MIB:6.2f} MiB/s")

        bench.store = capped["store"]
        base, log = bench.serve(capped["www"], rate=4 * MIB)
        bench.start_to_game(bench.launcher(manifest_url=f"{base}/store/latest.json"))
        clean = sum(e["sent"] for e in read_transfers(log))
        base, log = bench.serve(capped["www"], rate=4 * MIB)
        _, at_kill = bench.killed_and_resumed(f"{base}/store/latest.json", capped["chunk_bytes"])
        resumed = sum(e["sent"] for e in read_transfers(log))
        print(f"bytes fetched, clean install: {clean}; killed with {at_kill} chunk bytes recorded and "
              f"started again: {resumed}")

        print("== ratios")
        print(f"bytes fetched / store bytes:                         {max(fetched) / full['store_bytes']:.3f}"
              "  (target <= 1.02)")
        print(f"start to game, chunked / package:                    {min(store_times) / min(zip_times):.3f}"
              "  (target <= 1.0)")
        print(f"throughput capped at 1 MiB/s, chunked / package:     {store_rate / zip_rate:.3f}  (target >= 3.5)")
        print(f"bytes fetched, killed at 50 % and resumed / clean:   {resumed / clean:.3f}  (target <= 1.1)")
    finally:
        kit.close()


if __name__ == "__main__":
    main()
