"""The base of the chunk store end-to-end tests. A subclass sets GAME_ID, KEPT
(paths of Game no version lists: player files) and make_stores(kit), which
packs its stores into cls.www once per class (cls.shared, cls.korva_pack are
set). serve() starts static_server.py on cls.www (serve=self.kit.serve:
http_server.py) logging to self.transfer_log, which transfers() reads back;
run_launcher() asserts the game started, assert_installed() that Game holds
exactly a version's files and nothing of an unfinished install or update."""
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
