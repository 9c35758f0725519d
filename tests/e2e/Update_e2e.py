"""The launcher bringing a game installed from a chunk store up to date: the
real launcher under Wine installs the first version from the local file
server, the test publishes a second one into the same store (korva-pack of
the build machine), and the next start updates, repairs or leaves the game
as it is. The server logs every transfer (http_server.py)."""
import os
import random
import shutil
import socket
import time

import chunk_store
from e2e import wait_until
from file_tree import add_files, tree, write_tree
from store_test_case import chunk_id, RECORD, STATE, StoreTestCase, TIMEOUT

# Player files: no version lists them, every update leaves them.
PLAYER_FILES = {"存档/slot1.sav": b"player save", "data/mods/mod.txt": b"a mod"}
# Enough files changed at once that the switch takes a while to be killed in.
MANY = 800


def versions(game_exe):
    """The versions of the tests' game, as file name -> bytes."""
    rng = random.Random(31)
    big = rng.randbytes(3_000_000)
    first = {
        "bin/game.exe": game_exe,
        "data/big.pak": big,
        "data/gone.pak": rng.randbytes(200_000),
        "data/说明.txt": "第一版\n".encode(),
        "maps/old/m1.map": rng.randbytes(50_000),
    }
    # A region in the middle of big.pak rewritten; one file gone, one new,
    # one folder no longer needed.
    second = dict(first, **{
        "data/big.pak": big[:1_500_000] + rng.randbytes(100_000) + big[1_600_000:],
        "data/new.pak": rng.randbytes(150_000),
        "data/说明.txt": "第二版\n".encode(),
    })
    del second["data/gone.pak"]
    del second["maps/old/m1.map"]
    many_before = dict(first, **{f"parts/{i:04d}.dat": rng.randbytes(600) for i in range(MANY)})
    many_after = dict(first, **{f"parts/{i:04d}.dat": rng.randbytes(600) for i in range(MANY)})
    return {"1.0": first, "2.0": second}, {"1.0": many_before, "3.0": many_after}


def closed_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class UpdateTest(StoreTestCase):
    GAME_ID = "e2e-update"
    KEPT = ("存档", os.path.join("data", "mods"))

    @classmethod
    def make_stores(cls, kit):
        with open(kit.program("fakegame"), "rb") as f:
            game_exe = f.read()
        cls.games = {}
        cls.manifests = {}
        # Each version's pointer is kept, so a test publishes one by copying it in.
        for store, game_versions in zip(("store", "many"), versions(game_exe)):
            for version, files in game_versions.items():
                game = os.path.join(cls.shared, "games", store, version)
                write_tree(game, files)
                cls.games[store, version] = game
                chunk_store.pack(cls.korva_pack, game, os.path.join(cls.www, store), version)
                shutil.copy(os.path.join(cls.www, store, "latest.json"),
                            os.path.join(cls.www, store, f"latest-{version}.json"))
                cls.manifests[store, version] = chunk_store.read_manifest(os.path.join(cls.www, store))

    # -- helpers

    def publish(self, store, version):
        shutil.copy(os.path.join(self.www, store, f"latest-{version}.json"),
                    os.path.join(self.www, store, "latest.json"))

    def install(self, store="store", version="1.0", name="启动器"):
        """A launcher folder whose game the launcher installed from `store` at `version`."""
        self.kit.local_collector()
        self.url = self.serve(self.kit.serve) + f"/files/{store}/latest.json"
        self.publish(store, version)
        folder = self.lay_out(self.url, name)
        self.start_game(folder)
        self.assert_version(folder, store, version)
        return folder

    def start_game(self, folder, args=("-from", "store")):
        """Runs the launcher to the game's start, which must succeed; the moment it began."""
        began = time.monotonic()
        self.assertEqual(0, self.run_launcher(folder, args))
        return began

    def game_args(self, folder):
        with open(folder.game_file(RECORD), encoding="utf-8") as f:
            return [line[4:] for line in f.read().splitlines() if line.startswith("arg=")]

    def assert_version(self, folder, store, version):
        self.assert_installed(folder, self.games[store, version], version)

    def chunks_new_in(self, store, old, new):
        had = {chunk.id for chunk in self.manifests[store, old].chunks}
        return {chunk.id.hex() for chunk in self.manifests[store, new].chunks if chunk.id not in had}

    def chunks_at(self, path, first, last=0, store="store", version="1.0"):
        """Ids of the chunks of `path` holding bytes `first` to `last` (None: to the end; 0: `first` alone)."""
        manifest = self.manifests[store, version]
        entry = next(e for e in manifest.entries if e.path == path)
        found, at = set(), 0
        for ref in entry.refs:
            chunk = manifest.chunks[ref]
            if at + chunk.raw > first and (last is None or at <= max(first, last)):
                found.add(chunk.id.hex())
            at += chunk.raw
        return found

    def fetched_chunks(self, since, store="store"):
        return {chunk_id(e) for e in self.transfers(f"/files/{store}/chunks/", since)}

    def assert_player_files(self, folder):
        self.assertEqual(PLAYER_FILES, {n: d for n, d in tree(folder.game_dir).items() if n in PLAYER_FILES})

    # -- the tests

    def test_an_unchanged_store_costs_one_304_and_starts_the_game(self):
        folder = self.install()
        restart = self.start_game(folder)
        self.assertEqual([("/files/store/latest.json", 304)],
                         [(e["path"], e["status"]) for e in self.transfers("/", restart)])
        self.assert_version(folder, "store", "1.0")

    def test_an_update_fetches_only_new_chunks_removes_what_went_and_keeps_player_files(self):
        folder = self.install()
        add_files(folder.game_dir, PLAYER_FILES)
        self.publish("store", "2.0")
        restart = self.start_game(folder)
        self.assert_version(folder, "store", "2.0")
        self.assert_player_files(folder)
        for gone in (os.path.join("data", "gone.pak"), "maps"):
            self.assertFalse(os.path.exists(os.path.join(folder.game_dir, gone)), gone)
        self.assertEqual(self.chunks_new_in("store", "1.0", "2.0"), self.fetched_chunks(restart))
        # The next start finds the new version current.
        restart = self.start_game(folder)
        self.assertEqual([304], [e["status"] for e in self.transfers("/", restart)])

    def test_an_unreachable_store_starts_the_installed_game(self):
        folder = self.install()
        self.publish("store", "2.0")
        for url in (f"http://127.0.0.1:{closed_port()}/latest.json", self.url.replace("latest.json", "none.json")):
            with self.subTest(url=url):
                self.lay_out(url)
                self.start_game(folder)
                self.assert_version(folder, "store", "1.0")

    def test_a_damaged_installed_file_is_fetched_instead_of_reused(self):
        folder = self.install()
        big = os.path.join(folder.game_dir, "data", "big.pak")
        with open(big, "r+b") as f:
            f.write(b"\0" * 64)  # in the first chunk, which the new version keeps
        self.publish("store", "2.0")
        restart = self.start_game(folder)
        self.assert_version(folder, "store", "2.0")
        second = self.manifests["store", "2.0"]
        big_entry = next(e for e in second.entries if e.path == "data/big.pak")
        repaired = second.chunks[big_entry.refs[0]].id.hex()
        self.assertEqual(self.chunks_new_in("store", "1.0", "2.0") | {repaired}, self.fetched_chunks(restart))

    def test_verify_rewrites_only_what_differs_and_the_game_never_sees_the_switch(self):
        folder = self.install()
        add_files(folder.game_dir, PLAYER_FILES)
        damage = {os.path.join("data", "big.pak"): lambda f: (f.seek(2_000_000), f.write(b"\xff" * 10)),
                  os.path.join("data", "gone.pak"): lambda f: f.truncate(1000)}
        for name, harm in damage.items():
            with open(os.path.join(folder.game_dir, name), "r+b") as f:
                harm(f)
        os.remove(os.path.join(folder.game_dir, "data", "说明.txt"))
        restart = self.start_game(folder, ["-from", "--korva-verify", "store"])
        self.assertEqual(["-from", "store"], self.game_args(folder))
        self.assert_version(folder, "store", "1.0")
        self.assert_player_files(folder)
        # Only the chunks that lay where the damage is: the rest of each file is reused.
        self.assertEqual(self.chunks_at("data/big.pak", 2_000_000, 2_000_009) | self.chunks_at("data/gone.pak", 1000, None) |
                         self.chunks_at("data/说明.txt", 0), self.fetched_chunks(restart))
        # An intact game verifies without fetching a chunk.
        restart = self.start_game(folder, ["--korva-verify"])
        self.assertEqual(set(), self.fetched_chunks(restart))
        self.assertEqual([], self.game_args(folder))

    def test_a_kill_during_the_switch_leaves_a_game_the_next_start_runs_whole(self):
        """Killed as the switch begins and later in it, the launcher leaves a
        game that the next start (offline, so it only recovers) runs as one
        whole version, never a mix; the start after that completes the update."""
        folder = self.install(store="many")
        offline = f"http://127.0.0.1:{closed_port()}/latest.json"
        journal = os.path.join(folder.game_dir, STATE, "update", "journal")
        mid_switch = 0
        for delay in (0.0, 0.4):
            with self.subTest(delay=delay):
                self.publish("many", "3.0")
                self.lay_out(self.url)
                program = self.kit.start(folder.exe, [], cwd=self.kit.tmpdir)
                self.assertTrue(wait_until(lambda: os.path.exists(journal) or not program.running(), TIMEOUT,
                                           interval=0.002))
                time.sleep(delay)
                program.kill()
                mid_switch += os.path.exists(journal)
                self.lay_out(offline)
                self.start_game(folder)
                current = self.installed_tree(folder)
                self.assertIn(current, (tree(self.games["many", "1.0"]), tree(self.games["many", "3.0"])))
                self.assertFalse(os.path.exists(journal))
                self.lay_out(self.url)
                self.start_game(folder)
                self.assert_version(folder, "many", "3.0")
                # Back to the first version for the next kill.
                shutil.rmtree(folder.game_dir)
                self.publish("many", "1.0")
                self.start_game(folder)
        self.assertGreater(mid_switch, 0, "no kill landed inside the switch")
