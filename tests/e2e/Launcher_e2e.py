"""The launcher as a player runs it: a folder laid out as a publisher ships it
(the executable, minizip.dll, config/config.json), the local file server and
the tree's telemetry collector, the window on the test display, read back by
screenshot and driven by real clicks."""
import os
import shutil
import subprocess
import tempfile
import time

from e2e import E2ETestCase, wait_until
from screen_image import Image, near
import game_package

TITLE = "Korva游戏下载器"
WM_CLASS = "korvalauncher.exe"
WIDTH, HEIGHT = 720, 496
# Window-relative places at 96 DPI (resources/skin.xml).
BAR = (16, 432, 704, 446)
BAR_ROW = 439
CLOSE_CENTRE = (695, 25)
CLOSE_BOX = (682, 12, 708, 38)
STAGE_ROW = (292, 446, 704, 476)
BELOW_BAR = (10, 480)
WINDOW_COLOUR = (0x2F, 0x31, 0x36)
PICTURE_COLOUR = 0x305878
PICTURE_PROBE = (360, 240)
# The stage label's colour when it shows why the install failed.
FAILURE_COLOUR = 0xF25C54
START_PATH = "bin\\game.exe"
# Chinese arguments reach the game as the ANSI code page (936) renders them: whole.
ARGS = ["-channel", "演示", "-token", "42", "玩家一"]
PACE_MS = 3000
# Many small files keep the extraction going long enough to be seen.
EXTRACT_FILES = 1500
TIMEOUT = 120


def is_fill(pixel):
    r, g, b = pixel
    return g > r + 50 and g > b + 30


def fill_share(image):
    """How much of the bar's length the fill covers, read along its middle row."""
    row = list(image.pixels_in((BAR[0], BAR_ROW, BAR[2], BAR_ROW + 1)))
    filled = [x for x, pixel in enumerate(row) if is_fill(pixel)]
    return (filled[-1] + 1) / len(row) if filled else 0.0


def close_enabled(image):
    """The close button's cross is drawn bright when enabled and faded when disabled."""
    return max(min(pixel) for pixel in image.pixels_in(CLOSE_BOX)) > 140


def failure_shown(image):
    return image.fraction(STAGE_ROW, near(FAILURE_COLOUR, 40)) > 0.004


class LauncherTest(E2ETestCase):
    @classmethod
    def setUpClass(cls):
        # One set of packages and one picture for the whole module.
        cls.shared = tempfile.mkdtemp(prefix="launcher-e2e-shared-")
        cls.www = os.path.join(cls.shared, "www")
        os.makedirs(cls.www)
        game = os.path.join(os.environ["E2E_BUILD_DIR"], "tests", "programs", "fakegame.exe")
        files = {"bin/game.exe": game, "data/说明.txt": "游戏说明\n".encode("utf-8")}
        for i in range(EXTRACT_FILES):
            files[f"data/parts/{i:04d}.dat"] = os.urandom(64)
        cls.package_size = game_package.make_package(os.path.join(cls.www, "GameSetup.zip"), files)
        game_package.make_corrupt_package(os.path.join(cls.www, "Corrupt.zip"), 200_000)
        cls.picture = os.path.join(cls.shared, "背景.png")
        r, g, b = PICTURE_COLOUR >> 16, PICTURE_COLOUR >> 8 & 255, PICTURE_COLOUR & 255
        Image(WIDTH, 412, bytes((r, g, b)) * (WIDTH * 412)).save_png(cls.picture)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.shared, ignore_errors=True)

    def setUp(self):
        super().setUp()
        self.screen = self.kit.screen
        self.screen_size = self.screen.size
        # The pointer rests in a corner, so that no button is drawn hot by chance.
        subprocess.run(["xdotool", "mousemove", "0", "0"], check=True,
                       env=dict(os.environ, DISPLAY=self.screen.display_name))

    # -- set-up helpers

    def lay_out(self, url=None, installed=False):
        info = {"game_id": "e2e-7", "start_path": START_PATH, "file_size": self.package_size}
        if url is not None:
            info["game_url"] = url
        folder = self.kit.lay_out("launcher", game_info=info, background=self.picture)
        if installed:
            os.makedirs(os.path.dirname(folder.game_file(START_PATH)))
            shutil.copy2(self.kit.program("fakegame"), folder.game_file(START_PATH))
        return folder

    def serve(self, request_log=None):
        return self.kit.serve(self.www, request_log=request_log)

    def start(self, folder, args=ARGS):
        return self.kit.start(folder.exe, args, cwd=self.kit.tmpdir)

    def window(self):
        window = self.screen.wait_for(title=TITLE, timeout=TIMEOUT)
        # The first frame follows the map; the area below the bar has the window's colour then.
        self.assertTrue(wait_until(lambda: self.pixel(window, *BELOW_BAR) == WINDOW_COLOUR, 30),
                        "the window never painted")
        return window

    def pixel(self, window, x, y):
        try:
            return self.screen.pixel(window, x, y)
        except Exception:  # gone between the lookup and the read
            return None

    def shot(self, window):
        try:
            return self.screen.screenshot(window)
        except Exception:
            return None

    def shows(self, window, test):
        """Whether a screenshot of the window passes `test` now."""
        image = self.shot(window)
        return image is not None and test(image)

    def click_close(self, window, program):
        self.screen.click(window, *CLOSE_CENTRE)
        return program.wait(TIMEOUT)

    @staticmethod
    def game_record(folder):
        return os.path.join(os.path.dirname(folder.game_file(START_PATH)), "fakegame.record.txt")

    def game_args(self, folder):
        record = self.game_record(folder)
        if not wait_until(lambda: os.path.exists(record), 30):
            return None
        with open(record, encoding="utf-8") as f:
            return [line[4:] for line in f.read().splitlines() if line.startswith("arg=")]

    def play_events(self, endpoint):
        return [(e["extdata"].get("game_id"), e["extdata"].get("is_success"))
                for e in self.kit.stat_events(endpoint.log_path)
                if e.get("category") == "game_event" and e.get("action") == "playvane_launcher_game_play"]

    def assert_centred(self, window, width, height):
        screen_width, screen_height = self.screen_size
        self.assertEqual(((screen_width - width) // 2, (screen_height - height) // 2, width, height),
                         self.screen.geometry(window))

    # -- the tests

    def test_installed_game_starts_at_once_without_a_window(self):
        endpoint = self.kit.local_collector()
        folder = self.lay_out(url=self.serve() + "/files/GameSetup.zip", installed=True)
        with self.screen.watch_maps() as maps:
            code = self.start(folder).wait(TIMEOUT)
        self.assertEqual(0, code)
        self.assertEqual([], maps.mapped(wm_class=WM_CLASS))
        self.assertEqual(ARGS, self.game_args(folder))
        self.assertEqual([("e2e-7", "1")], self.play_events(endpoint))
        self.assertFalse(os.path.exists(folder.package))

    def test_download_extracts_and_starts_the_game(self):
        # The report is answered late, so 100 % stays on the screen for a while.
        endpoint = self.kit.local_collector(delay=2.0)
        folder = self.lay_out(url=f"{self.serve()}/paced/{PACE_MS}/GameSetup.zip")
        with self.screen.watch_maps() as maps:
            program = self.start(folder)
            window = self.window()
            self.assert_centred(window, WIDTH, HEIGHT)
            first = self.shot(window)
            samples = []  # (fill share, close enabled), one per screenshot until the window goes
            while program.running():
                image = self.shot(window)
                if image is not None and image.width == WIDTH and self.screen.is_mapped(window):
                    samples.append((round(fill_share(image), 3), close_enabled(image)))
                time.sleep(0.02)
        self.assertEqual(0, program.wait(TIMEOUT))
        self.assertEqual([window.xid], [w.xid for w in maps.mapped(wm_class=WM_CLASS)])

        self.assertEqual(WINDOW_COLOUR, first.pixel(*BELOW_BAR))
        self.assertTrue(near(PICTURE_COLOUR, 6)(first.pixel(*PICTURE_PROBE)), first.pixel(*PICTURE_PROBE))
        self.assertLess(fill_share(first), 0.5)
        shares = [share for share, _ in samples]
        self.assertTrue(any(0.1 < share < 0.9 for share in shares), shares)
        # While unpacking: 99 % and the close button disabled; then 100 % and enabled again.
        full = shares.index(1.0) if 1.0 in shares else None
        self.assertIsNotNone(full, shares)
        self.assertEqual(sorted(shares[:full]), shares[:full], "the bar went backwards")
        unpacking = [share for share, enabled in samples[:full] if not enabled]
        self.assertTrue(unpacking, "the close button was never seen disabled")
        for share in unpacking:
            self.assertAlmostEqual(0.99, share, delta=0.006)
        self.assertTrue(any(enabled for _, enabled in samples[full:]), "closing stayed disabled at 100 %")

        self.assertEqual(ARGS, self.game_args(folder))
        self.assertEqual([("e2e-7", "1")], self.play_events(endpoint))
        self.assertFalse(os.path.exists(folder.package))
        self.assertTrue(os.path.exists(os.path.join(folder.game_dir, "data", "说明.txt")))
        self.assertEqual(EXTRACT_FILES, len(os.listdir(os.path.join(folder.game_dir, "data", "parts"))))

    def check_failure_is_shown_and_closes(self, url):
        endpoint = self.kit.local_collector()
        folder = self.lay_out(url=url)
        program = self.start(folder)
        window = self.window()
        self.assertTrue(wait_until(lambda: self.shows(window, lambda image: failure_shown(image)
                                                      and close_enabled(image)), TIMEOUT),
                        "the reason never showed")
        # The reason shows first, the report follows.
        self.assertTrue(wait_until(lambda: self.play_events(endpoint) == [("e2e-7", "0")], 30),
                        self.play_events(endpoint))
        self.assertTrue(program.running())
        self.assertEqual(0, self.click_close(window, program))
        self.screen.wait_gone(window)
        self.assertFalse(os.path.exists(self.game_record(folder)))
        self.assertFalse(os.path.exists(folder.package))

    def test_missing_package_shows_the_reason(self):
        self.check_failure_is_shown_and_closes(self.serve() + "/files/NoSuchPackage.zip")

    def test_corrupt_package_shows_the_reason(self):
        self.check_failure_is_shown_and_closes(self.serve() + "/files/Corrupt.zip")

    def test_without_a_package_to_fetch_the_window_shows_why(self):
        """No configuration or no game_url: the reason shows at 0 %, closing is
        allowed, nothing is touched; the play event "0" goes out only when a
        configuration names the game."""
        endpoint = self.kit.local_collector()
        folders = {"no game_url": (self.lay_out(), [("e2e-7", "0")]),
                   "no configuration": (self.kit.lay_out("bare"), [])}
        for case, (folder, events) in folders.items():
            with self.subTest(case):
                before = len(self.play_events(endpoint))
                program = self.start(folder)
                window = self.window()
                self.assertTrue(wait_until(lambda: self.shows(window, failure_shown), TIMEOUT),
                                "the reason never showed")
                image = self.shot(window)
                self.assertEqual(0.0, fill_share(image))
                self.assertTrue(close_enabled(image))
                self.assertTrue(program.running())
                self.assertTrue(wait_until(lambda: len(self.play_events(endpoint)) - before == len(events), 30))
                self.assertEqual(0, self.click_close(window, program))
                self.screen.wait_gone(window)
                self.assertFalse(os.path.exists(folder.game_dir))
                self.assertEqual(events, self.play_events(endpoint)[before:])

    def test_close_button_mid_download_ends_the_launcher(self):
        endpoint = self.kit.local_collector()
        folder = self.lay_out(url=f"{self.serve()}/paced/{PACE_MS * 3}/GameSetup.zip")
        program = self.start(folder)
        window = self.window()
        self.assertTrue(wait_until(lambda: self.shows(window, lambda image: fill_share(image) > 0.05), TIMEOUT))
        self.assertEqual(0, self.click_close(window, program))
        self.screen.wait_gone(window)
        self.assertLess(os.path.getsize(folder.package), self.package_size)
        self.assertFalse(os.path.exists(os.path.join(folder.game_dir, "bin")))
        self.assertEqual([], self.play_events(endpoint))

    def test_second_launcher_in_the_folder_leaves_the_first_alone(self):
        self.kit.local_collector()
        requests = self.kit.path("requests.log")
        folder = self.lay_out(url=f"{self.serve(request_log=requests)}/paced/{PACE_MS}/GameSetup.zip")
        with self.screen.watch_maps() as maps:
            first = self.start(folder)
            window = self.window()
            began = time.monotonic()
            second_code = self.start(folder).wait(TIMEOUT)
            second_took = time.monotonic() - began
            first_running = first.running()
            self.assertEqual(0, first.wait(TIMEOUT))
        self.assertEqual(0, second_code)
        self.assertTrue(first_running, "the first launcher ended before the second did")
        self.assertLess(second_took, 30)
        self.assertEqual([window.xid], [w.xid for w in maps.mapped(wm_class=WM_CLASS)])
        with open(requests, encoding="utf-8") as f:
            gets = [line for line in f.read().splitlines() if line.startswith("GET ")]
        self.assertEqual(1, len(gets), gets)
        self.assertEqual(ARGS, self.game_args(folder))

