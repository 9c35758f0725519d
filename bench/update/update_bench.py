#!/usr/bin/env python3
"""What updates from a chunk store cost, side by side in one run under Wine
(bench/update/run sets up X and Wine):

    update_bench.py --build-dir TREE [--mib 200] [--rounds 5]

A generated game (half random, half text-like bytes; one file holds half
of it, the rest in 40 files) is packed by the build machine's korva-pack as
1.0, then as 1.1 with 3 % of its bytes changed in 40 files the way
bench/chunkstore changes them, and as 1.2 with 1 KiB inserted near the
start of the large file. The real launcher (<tree>/e2e/bin) fetches from the local file
server, which logs every byte it sends. Printed, each beside its limit:

  3 % update        bytes fetched / the whole 1.1 store (manifest included)    <= 0.04
  1 KiB insertion   bytes fetched                                              <= 1 MiB
  up-to-date start  start to the game's start, with manifest_url (one 304)
                    / the same launcher without manifest_url (best of rounds)   <= 1.3
  update time       start to the game's start, updating 1.0 to 1.1
                    / a fresh install of 1.1                                    <= 0.2
"""
import argparse
import json
import os
import random
import shutil
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.abspath(os.path.join(here, "..", ".."))
sys.path.insert(0, os.path.join(root, "tests", "harness"))
sys.path.insert(0, os.path.join(root, "bench", "startup"))
import chunk_store  # noqa: E402
from e2e import StandaloneKit  # noqa: E402
from file_tree import write_tree  # noqa: E402
from startup_bench import time_to_marker  # noqa: E402
from wine_program import win_path  # noqa: E402

START_PATH = "bin\\game.exe"
SMALL_FILES = 40
CHANGED_SHARE = 0.03
MIB = 1024 * 1024


def text_like(rng, size):
    words = [rng.randbytes(rng.randint(2, 9)).hex().encode() for _ in range(400)]
    out = bytearray()
    while len(out) < size:
        out += rng.choice(words) + b" "
    return bytes(out[:size])


def make_versions(rng, total, game_exe):
    """1.0, 1.1 (3 % of the bytes changed as bench/chunkstore changes them: ten
    random regions of the large file overwritten or inserted, a text-like
    region rewritten in 39 small files) and 1.2 (1 KiB inserted in the large one)."""
    large = total // 2
    small = (total - large) // SMALL_FILES
    first = {"bin/game.exe": game_exe, "data/world.pak": rng.randbytes(large // 2) + text_like(rng, large // 2)}
    for i in range(SMALL_FILES):
        maker = rng.randbytes if i % 2 else lambda n: text_like(rng, n)
        first[f"data/part{i:02d}.pak"] = maker(small)
    changed = dict(first)
    target = int(total * CHANGED_SHARE)
    world = first["data/world.pak"]
    per_region = target * 4 // 10 // 10
    for region in reversed(range(10)):
        at = len(world) // 11 * (region + 1)
        patch = rng.randbytes(per_region)
        world = world[:at] + patch + world[at + (len(patch) if region % 2 == 0 else 0):]
    changed["data/world.pak"] = world
    per_file = target * 6 // 10 // (SMALL_FILES - 1)
    for i in range(SMALL_FILES - 1):
        name = f"data/part{i:02d}.pak"
        at = (small - per_file) // 3
        changed[name] = first[name][:at] + text_like(rng, per_file) + first[name][at + per_file:]
    inserted = dict(first)
    inserted["data/world.pak"] = first["data/world.pak"][:4096] + rng.randbytes(1024) + first["data/world.pak"][4096:]
    return {"1.0": first, "1.1": changed, "1.2": inserted}


class Bench:
    def __init__(self, kit, www):
        self.kit = kit
        self.www = www
        self.store = os.path.join(www, "store")
        self.log = kit.path("transfers.jsonl")
        self.url = kit.serve(www, transfer_log=self.log) + "/files/store/latest.json"
        self.record = kit.path("fakegame.record.txt")
        os.environ["FAKEGAME_RECORD"] = win_path(self.record)

    def publish(self, version):
        shutil.copy(os.path.join(self.store, f"latest-{version}.json"), os.path.join(self.store, "latest.json"))

    def folder(self, name, store=True):
        info = {"game_id": "bench", "start_path": START_PATH}
        if store:
            info["manifest_url"] = self.url
        return self.kit.lay_out(name, game_info=info)

    def run(self, folder):
        """Seconds from the launcher's start to the game's, and the bytes the server sent meanwhile."""
        if os.path.exists(self.record):
            os.remove(self.record)
        sent_before = self.sent()
        seconds = time_to_marker(self.kit, folder.exe, [], "file:" + self.record)
        time.sleep(0.5)  # the server logs a transfer once it is over
        return seconds, self.sent() - sent_before

    def sent(self):
        if not os.path.exists(self.log):
            return 0
        with open(self.log, encoding="utf-8") as f:
            return sum(json.loads(line)["sent"] for line in f)

    def manifest(self, version):
        """The pointer's payload and the manifest of `version`."""
        with open(os.path.join(self.store, f"latest-{version}.json"), encoding="utf-8") as f:
            pointer = json.loads(json.load(f)["payload"])
        with open(os.path.join(self.store, *pointer["manifest"].split("/")), "rb") as f:
            return pointer, chunk_store.decode_manifest(f.read())

    def store_bytes(self, version):
        pointer, manifest = self.manifest(version)
        return sum(c.stored for c in manifest.chunks) + pointer["size"]

    def least_update_bytes(self, old, new):
        had = {c.id for c in self.manifest(old)[1].chunks}
        pointer, manifest = self.manifest(new)
        pointer_file = os.path.getsize(os.path.join(self.store, f"latest-{new}.json"))
        return sum(c.stored for c in manifest.chunks if c.id not in had) + pointer["size"] + pointer_file


def line(name, value, limit, unit=""):
    verdict = "within" if value <= limit else "OVER"
    print(f"{name}: {value:.4g}{unit} (limit {limit:g}{unit}, {verdict})")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--mib", type=int, default=200)
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    kit = StandaloneKit(args.build_dir, tempfile.mkdtemp(prefix="update-bench-"))
    kit.on_cleanup(lambda: shutil.rmtree(kit.tmpdir, ignore_errors=True))
    try:
        kit.local_collector()
        with open(kit.program("fakegame"), "rb") as f:
            versions = make_versions(random.Random(7), args.mib * MIB, f.read())
        www = kit.path("www")
        korva_pack = kit.host_program("korva-pack")
        for version, files in versions.items():
            game = kit.path("game")
            write_tree(game, files)
            chunk_store.pack(korva_pack, game, os.path.join(www, "store"), version)
            shutil.copy(os.path.join(www, "store", "latest.json"), os.path.join(www, "store", f"latest-{version}.json"))
        shutil.rmtree(kit.path("game"))
        bench = Bench(kit, www)
        print(f"a {args.mib} MiB game; 1.1 changes {CHANGED_SHARE:.0%} of it in {SMALL_FILES} files, "
              f"1.2 inserts 1 KiB near the start of a {args.mib // 2} MiB file")

        bench.publish("1.1")
        fresh_seconds, fresh_bytes = bench.run(bench.folder("fresh"))
        print(f"fresh install of 1.1: {fresh_seconds:.2f} s, {fresh_bytes / MIB:.1f} MiB fetched")

        bench.publish("1.0")
        updated = bench.folder("updated")
        bench.run(updated)
        bench.publish("1.1")
        update_seconds, update_bytes = bench.run(updated)
        print(f"update 1.0 to 1.1: {update_seconds:.2f} s, {update_bytes / MIB:.2f} MiB fetched")
        line("3 % update: fetched / the 1.1 store", update_bytes / bench.store_bytes("1.1"), 0.04)
        print(f"  the least any launcher could fetch (new chunks, manifest, pointer): "
              f"{bench.least_update_bytes('1.0', '1.1') / MIB:.2f} MiB")
        line("update time / fresh install time", update_seconds / fresh_seconds, 0.2)

        bench.publish("1.0")
        inserted = bench.folder("inserted")
        bench.run(inserted)
        bench.publish("1.2")
        _, insert_bytes = bench.run(inserted)
        line("1 KiB insertion: fetched", insert_bytes / MIB, 1.0, " MiB")

        # The same installed game started with and without manifest_url, in turns.
        plain = kit.lay_out("plain", game_info={"game_id": "bench", "start_path": START_PATH})
        shutil.copytree(inserted.game_dir, plain.game_dir)
        with_check, without = [], []
        for _ in range(args.rounds):
            with_check.append(bench.run(inserted)[0])
            without.append(bench.run(plain)[0])
        # The best of each: what the machine's other load adds is no part of either.
        print(f"up-to-date start: best {min(with_check):.3f} s with manifest_url, "
              f"{min(without):.3f} s without ({args.rounds} rounds each)")
        line("up-to-date start / start without manifest_url", min(with_check) / min(without), 1.3)
    finally:
        kit.close()


if __name__ == "__main__":
    main()
