"""What the chunk store end-to-end tests share: stores packed once per test
class, launcher folders whose game comes from a manifest_url, runs to the
game's start, and the server's transfer log.

    class SomeTest(StoreTestCase):
        GAME_ID = "e2e-some"
        KEPT = {"saves"}                   paths of the Game folder no version lists (player files)
        @classmethod
        def make_stores(cls, kit): ...     once per class, with cls.shared, cls.www, cls.korva_pack set
    base = self.serve()                    static_server.py on cls.www (serve=self.kit.serve for
                                           http_server.py), its transfers logged to self.transfer_log
    folder = self.lay_out(url, name="启动器", **more_game_info)
    code = self.run_launcher(folder, args)   the launcher's exit code; asserts the game started
    self.assert_installed(folder, game, version)   Game holds exactly the files of the folder `game`
    self.transfers(prefix, since=0.0, until=inf)   the logged transfers that began in that span
    chunk_id(entry)                        the id (hex) of the chunk a transfer fetched
"""
import json
import os
import shutil
import tempfile
import time

from e2e import E2ETestCase, Kit, wait_until
from file_tree import tree
from transfer_faults import read_transfers

START_PATH = "bin\\game.exe"
TIMEOUT = 120
RECORD = os.path.join("bin", "fakegame.record.txt")
STATE = ".korva"
INCOMPLETE = ".korva-install-incomplete"


def chunk_id(entry):
    return entry["path"].rsplit("/", 1)[1][:64]


class StoreTestCase(E2ETestCase):
    GAME_ID = "e2e-store"
    KEPT = ()

    @classmethod
    def setUpClass(cls):
        cls.shared = tempfile.mkdtemp(prefix="store-e2e-shared-")
        cls.addClassCleanup(shutil.rmtree, cls.shared, True)
        kit = Kit.from_env(cls.shared, cls.addClassCleanup)
        cls.www = os.path.join(cls.shared, "www")
        cls.korva_pack = kit.host_program("korva-pack")
        cls.make_stores(kit)

    @classmethod
    def make_stores(cls, kit):
        raise NotImplementedError

    def serve(self, serve=None, **options):
        self.transfer_log = self.kit.path(f"transfers-{time.monotonic_ns()}.jsonl")
        return (serve or self.kit.serve_static)(self.www, transfer_log=self.transfer_log, **options)

    def lay_out(self, url, name="启动器", **info):
        return self.kit.lay_out(name, game_info={"game_id": self.GAME_ID, "start_path": START_PATH,
                                                 "manifest_url": url, **info})

    def run_launcher(self, folder, args=("-from", "store")):
        record = folder.game_file(RECORD)
        if os.path.exists(record):
            os.remove(record)
        code = self.kit.start(folder.exe, list(args), cwd=self.kit.tmpdir).wait(TIMEOUT)
        # The game writes its record aside first: the tree is read once it is done.
        self.assertTrue(wait_until(lambda: os.path.exists(record), 30), "the game never started")
        return code

    def installed_tree(self, folder):
        return tree(folder.game_dir, skip={STATE, RECORD, *self.KEPT})

    def assert_installed(self, folder, game, version):
        self.assertEqual(tree(game), self.installed_tree(folder))
        with open(os.path.join(folder.game_dir, STATE, "installed.json"), encoding="utf-8") as f:
            self.assertEqual(version, json.load(f)["version"])
        for left in (INCOMPLETE, os.path.join(STATE, "install.journal"), os.path.join(STATE, "update")):
            self.assertFalse(os.path.exists(os.path.join(folder.game_dir, left)), left)

    def transfers(self, prefix, since=0.0, until=float("inf")):
        return [e for e in read_transfers(self.transfer_log, prefix) if since <= e["start"] < until]
