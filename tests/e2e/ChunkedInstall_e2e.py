"""The launcher installing a game from a chunk store (manifest_url): the real
launcher under Wine, stores packed by the build machine's korva-pack or
written byte by byte (chunk_store.py), served by the lean static server,
which logs every transfer with its connection and times (static_server.py)."""
import base64
import json
import os
import subprocess
import time

import chunk_store
from e2e import wait_until
from file_tree import add_files, stamps, tree, write_tree
from Launcher_e2e import close_enabled, failure_shown, TITLE
from store_test_case import chunk_id, INCOMPLETE, RECORD, StoreTestCase, TIMEOUT
from transfer_faults import most_at_once


def one_file(path):
    return lambda w: w.file(path, [w.raw_chunk(b"written where it must not be\n")])


def two_files(first, second):
    def build(w):
        chunk = w.raw_chunk(b"twin\n")
        w.file(first, [chunk])
        w.file(second, [chunk])
    return build


# Stores whose manifest or pointer breaks a rule: name -> (builder of the
# entries, keyword arguments of StoreWriter.write).
HOSTILE = {
    "absolute path": (one_file("/evil.txt"), {}),
    "parent folder": (one_file("../evil.txt"), {}),
    "parent folder inside": (one_file("data/../../evil.txt"), {}),
    "drive letter": (one_file("C:/evil.txt"), {}),
    "backslash": (one_file("data\\..\\..\\evil.txt"), {}),
    "alternate stream": (one_file("game.exe:evil"), {}),
    "device name": (one_file("data/CON.txt"), {}),
    "launcher's state": (one_file(".korva/installed.json"), {}),
    "duplicate paths": (two_files("a.txt", "a.txt"), {}),
    "case twins": (two_files("A.txt", "a.txt"), {}),
    "file as a folder": (two_files("a", "a/b.txt"), {}),
    "size beyond bounds": (lambda w: w.file("big.bin", [w.raw_chunk(b"x")], size=2 ** 41), {}),
    "chunk decodes longer": (lambda w: w.file("a.bin", [w.rle_chunk(b"A", 1000, decoded=1001)]), {}),
    "chunk decodes shorter": (lambda w: w.file("a.bin", [w.rle_chunk(b"A", 1000, decoded=999)]), {}),
    "manifest of another digest": (one_file("a.txt"), {"pointer_sha256": "ab" * 32}),
    "manifest of another size": (one_file("a.txt"), {"pointer_size": 1000}),
    "manifest of another version": (one_file("a.txt"), {"manifest_version": "2.0"}),
}


def make_game(root, game_exe):
    """A game with names outside the ANSI code page, files of several chunks, an empty file and folder."""
    write_tree(root, {
        "bin/game.exe": game_exe,
        "数据/关卡/地图.pak": os.urandom(2_500_000),
        "数据/音乐.ogg": os.urandom(1_200_000) + bytes(300_000),
        "한국어/🎮 설정.cfg": "音量=7\n".encode(),
        "空文件.txt": b"",
        "存档/槽位/": b"",
    })


def public_key(private_key):
    der = subprocess.run(["openssl", "pkey", "-in", private_key, "-pubout", "-outform", "DER"], check=True,
                         capture_output=True).stdout
    return base64.b64encode(der).decode()


class ChunkedInstallTest(StoreTestCase):
    @classmethod
    def make_stores(cls, kit):
        cls.game = os.path.join(cls.shared, "game")
        make_game(cls.game, kit.program("fakegame"))
        cls.store = os.path.join(cls.www, "store")
        chunk_store.pack(cls.korva_pack, cls.game, cls.store, "1.0")
        key = chunk_store.make_key(os.path.join(cls.shared, "publisher.pem"))
        cls.other_key = public_key(chunk_store.make_key(os.path.join(cls.shared, "other.pem")))
        cls.publisher_key = chunk_store.pack(cls.korva_pack, cls.game, os.path.join(cls.www, "signed"), "1.0", key)
        cls.manifest = chunk_store.read_manifest(cls.store)
        cls.store_bytes = sum(chunk.stored for chunk in cls.manifest.chunks)
        for name, (build, options) in HOSTILE.items():
            writer = chunk_store.StoreWriter()
            build(writer)
            writer.write(os.path.join(cls.www, "hostile", name), "1.0", **options)

    # -- helpers

    def play_events(self, endpoint):
        return [(e["extdata"].get("game_id"), e["extdata"].get("is_success"))
                for e in self.kit.stat_events(endpoint.log_path)
                if e.get("action") == "playvane_launcher_game_play"]

    def expect_failure(self, folder, endpoint):
        """Runs the launcher until it shows why it failed, then closes it."""
        before = len(self.play_events(endpoint))
        program = self.kit.start(folder.exe, [], cwd=self.kit.tmpdir)
        self.assertTrue(wait_until(lambda: len(self.play_events(endpoint)) > before or not program.running(),
                                   TIMEOUT), "no play event")
        self.assertEqual([(self.GAME_ID, "0")], self.play_events(endpoint)[before:])
        screen = self.kit.screen
        window = screen.wait_for(title=TITLE, timeout=30)
        shown = wait_until(lambda: self._shows(window, lambda i: failure_shown(i) and close_enabled(i)), 30)
        self.assertTrue(program.running(), "the launcher ended instead of showing the reason")
        program.kill()
        self.assertTrue(shown, "the reason never showed")
        self.assertFalse(os.path.exists(folder.game_file(RECORD)))

    def _shows(self, window, test):
        try:
            image = self.kit.screen.screenshot(window)
        except Exception:
            return False
        return test(image)

    def store_url(self, **options):
        return self.serve(**options) + "/store/latest.json"

    def chunk_fetches(self, since=0.0, until=float("inf")):
        return self.transfers("/store/chunks/", since, until)

    def install(self, folder):
        self.assertEqual(0, self.run_launcher(folder))
        self.assert_installed(folder, self.game, "1.0")

    # -- the tests

    def test_fresh_install_with_chinese_names_fetches_each_chunk_once_and_starts_the_game(self):
        endpoint = self.kit.local_collector()
        folder = self.lay_out(self.store_url(), name="启动器 一")
        self.install(folder)
        self.assertEqual([(self.GAME_ID, "1")], self.play_events(endpoint))
        fetched = self.chunk_fetches()
        self.assertEqual(len(self.manifest.chunks), len({e["path"] for e in fetched}))
        self.assertEqual(self.store_bytes, sum(e["sent"] for e in fetched))

    def test_every_connection_capped_several_run_at_once(self):
        """With each connection held to 256 KiB/s, the download overlaps as many
        requests as the configuration allows: 4 by default, fewer when lowered."""
        self.kit.local_collector()
        for connections, keys in ((4, {}), (2, {"connections": 2})):
            with self.subTest(connections=connections):
                folder = self.lay_out(self.store_url(connection_rate=256 * 1024), name=f"cap{connections}", **keys)
                self.install(folder)
                fetched = self.chunk_fetches()
                self.assertEqual(connections, most_at_once(fetched))
                self.assertGreaterEqual(len({e["connection"] for e in fetched}), connections)

    def test_a_killed_install_resumes_fetching_only_what_was_missing(self):
        self.kit.local_collector()
        folder = self.lay_out(self.store_url(connection_rate=384 * 1024))
        journal = os.path.join(folder.game_dir, ".korva", "install.journal")

        def recorded():
            try:
                with open(journal, encoding="ascii") as f:
                    return [int(line) for line in f.read().splitlines()[1:] if line.isdigit()]
            except OSError:
                return []
        program = self.kit.start(folder.exe, [], cwd=self.kit.tmpdir)
        self.assertTrue(wait_until(lambda: len(recorded()) >= len(self.manifest.chunks) // 3, TIMEOUT))
        program.kill()
        done = set(recorded())
        self.assertTrue(os.path.exists(os.path.join(folder.game_dir, INCOMPLETE)))
        self.assertFalse(os.path.exists(folder.game_file(RECORD)))

        restart = time.monotonic()
        self.install(folder)
        # Transfers the kill cut short are logged once the server notices.
        first, second = self.chunk_fetches(until=restart), self.chunk_fetches(since=restart)
        missing = {self.manifest.chunks[i].id.hex() for i in range(len(self.manifest.chunks)) if i not in done}
        self.assertEqual(missing, {chunk_id(e) for e in second})
        self.assertEqual(len(missing), len(second), "a chunk was fetched twice")
        # What the kill lost: at most the chunk each connection was fetching.
        lost = sum(e["sent"] for e in first) - sum(self.manifest.chunks[i].stored for i in done)
        self.assertLessEqual(lost, 4 * max(chunk.stored for chunk in self.manifest.chunks))
        manifests = self.transfers("/store/manifests/")
        self.assertEqual(1, len(manifests), "the second run reads the manifest it kept")

    def test_a_corrupted_chunk_is_fetched_again_and_fails_the_install_if_it_stays_corrupt(self):
        endpoint = self.kit.local_collector()
        chunk = "/store/" + os.path.relpath(chunk_store.chunk_path(self.store, self.manifest.chunks[3].id),
                                                  self.store).replace(os.sep, "/")
        for times, installs in ((2, True), (100, False)):
            with self.subTest(corrupted=times):
                folder = self.lay_out(self.store_url(corrupt={chunk: times}), name=f"corrupt{times}")
                if installs:
                    self.install(folder)
                else:
                    self.expect_failure(folder, endpoint)
                    self.assertTrue(os.path.exists(os.path.join(folder.game_dir, INCOMPLETE)))
                fetches = [e for e in self.chunk_fetches() if e["path"] == chunk]
                self.assertEqual(3 if installs else 4, len(fetches))

    def test_each_hostile_store_fails_clearly_and_nothing_is_written_outside_game(self):
        endpoint = self.kit.local_collector()
        base = self.serve()
        for name in HOSTILE:
            with self.subTest(name):
                sandbox = self.kit.path("sandbox", name.replace("'", ""))
                folder = self.lay_out(f"{base}/hostile/{name}/latest.json", name=os.path.join(sandbox, "launcher"))
                outside = lambda: stamps(sandbox, skip={os.path.join("launcher", "Game"), os.path.join(
                    "launcher", ".korva-launcher.lock")})
                before = outside()
                self.expect_failure(folder, endpoint)
                self.assertEqual(before, outside())
                # Files may be laid out at their sizes, but nothing refused is written into them.
                game = tree(folder.game_dir, skip={".korva", INCOMPLETE})
                self.assertFalse([path for path, data in game.items() if data.strip(b"\0")], sorted(game))

    def test_a_publisher_key_accepts_only_its_signature_and_no_older_version(self):
        endpoint = self.kit.local_collector()
        base = self.serve()
        installed_later = {".korva/installed.json": json.dumps({
            "format": 1, "version": "2.0", "manifest": "manifests/2.0-0000000000000000.manifest", "size": 10,
            "sha256": "00" * 32, "manifest_url": "", "etag": "", "last_modified": ""}).encode()}
        cases = [("unsigned", "store", self.publisher_key, None),
                 ("signed by another key", "signed", self.other_key, None),
                 ("older than the installed version", "signed", self.publisher_key, installed_later),
                 ("signed", "signed", self.publisher_key, None)]
        for name, store, key, record in cases:
            with self.subTest(name):
                folder = self.lay_out(f"{base}/{store}/latest.json", name=name, publisher_key=key)
                add_files(folder.game_dir, {"存档.sav": b"the player's", ".korva/": b"", **(record or {})})
                if name == "signed":
                    self.install(folder)
                    continue
                fetched = len(self.chunk_fetches())
                self.expect_failure(folder, endpoint)
                self.assertEqual(fetched, len(self.chunk_fetches()), "chunks fetched for a refused pointer")
                self.assertTrue(os.path.exists(os.path.join(folder.game_dir, "存档.sav")), "the old Game was touched")

    def test_a_link_inside_game_is_refused_not_written_through(self):
        """A killed install resumed in place, its folder 数据 replaced by a link
        to a folder outside Game."""
        endpoint = self.kit.local_collector()
        folder = self.lay_out(self.store_url())
        pointer = chunk_store.read_pointer(self.store)
        add_files(folder.game_dir, {
            ".korva/install.manifest": os.path.join(self.store, *pointer["manifest"].split("/")),
            ".korva/install.journal": f"korva-journal 1 {pointer['sha256']}\n".encode(),
            INCOMPLETE: b""})
        outside, kept = self.kit.path("outside"), {"kept.txt": b"the player's own file"}
        write_tree(outside, kept)
        os.symlink(outside, os.path.join(folder.game_dir, "数据"))
        self.expect_failure(folder, endpoint)
        self.assertEqual(kept, tree(outside))
