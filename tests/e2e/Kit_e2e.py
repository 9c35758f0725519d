"""The end-to-end kit itself, against a plain window (tests/programs/kittarget)
on the test run's X display, and its servers and file helpers."""
import json
import os
import time
import urllib.error
import urllib.request
import zipfile

from e2e import E2ETestCase
from screen_image import near
import game_package

TITLE = "Kit 测试窗口"
CLASS = "KitTargetClass"
WIDTH, HEIGHT = 720, 496
BAR = (16, 432, 704, 446)
BUTTON_CENTRE = (695, 25)
CLICK_EXIT_CODE = 3
TIMEOUT = 120


class WindowKitTest(E2ETestCase):
    def start_target(self, *args):
        self.record = self.kit.path("record.txt")
        return self.kit.start(self.kit.program("kittarget"), [self.kit.win_path(self.record), *args])

    def records(self):
        if not os.path.exists(self.record):
            return []
        with open(self.record, encoding="utf-8") as f:
            return f.read().split("\n")[:-1]

    def test_window_is_found_probed_and_clicked(self):
        screen = self.kit.screen
        with screen.watch_maps() as maps:
            program = self.start_target()
            window = screen.wait_for(title=TITLE, timeout=TIMEOUT)
        self.assertEqual("kittarget.exe", window.wm_class)
        self.assertEqual([window.xid], [w.xid for w in maps.mapped(wm_class="kittarget.exe")])

        screen_width, screen_height = screen.size
        self.assertEqual(((screen_width - WIDTH) // 2, (screen_height - HEIGHT) // 2, WIDTH, HEIGHT),
                         screen.geometry(window))

        # The window paints right after it is shown; wait for the first frame.
        deadline = time.monotonic() + 30
        while screen.pixel(window, 10, 10) != (0x20, 0x60, 0xA0) and time.monotonic() < deadline:
            time.sleep(0.1)
        image = screen.screenshot(window)
        self.assertEqual((WIDTH, HEIGHT), (image.width, image.height))
        self.assertEqual((0x20, 0x60, 0xA0), image.pixel(10, 10))
        self.assertEqual((0x2F, 0x31, 0x36), image.pixel(10, 480))
        self.assertAlmostEqual(0.40, image.fraction(BAR, near(0x3BA55C, 4)), delta=0.01)
        self.assertAlmostEqual(0.60, image.fraction(BAR, near(0x202225, 4)), delta=0.01)
        self.assertEqual(1.0, image.fraction((680, 10, 710, 40), near(0xED4245, 4)))
        png = image.save_png(self.kit.path("window.png"))
        with open(png, "rb") as f:
            self.assertEqual(b"\x89PNG\r\n\x1a\n", f.read(8))

        screen.click(window, 100, 100)
        deadline = time.monotonic() + 30
        while "miss 100 100" not in self.records() and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertIn("miss 100 100", self.records())
        self.assertTrue(program.running())

        screen.click(window, *BUTTON_CENTRE)
        self.assertEqual(CLICK_EXIT_CODE, program.wait(TIMEOUT))
        self.assertEqual(["shown", "miss 100 100", "click %d %d" % BUTTON_CENTRE], self.records())
        screen.wait_gone(window)

    def test_window_is_found_by_its_windows_class(self):
        self.start_target()
        by_title = self.kit.screen.wait_for(title=TITLE, timeout=TIMEOUT)
        by_class = self.kit.find_by_class(CLASS, timeout=TIMEOUT)
        self.assertEqual(by_title.xid, by_class.xid)
        with self.assertRaises(TimeoutError):
            self.kit.find_by_class("NoSuchClass", timeout=0)

    def test_hidden_window_is_never_mapped(self):
        with self.kit.screen.watch_maps() as maps:
            code, _ = self.kit.run(self.kit.program("kittarget"),
                                   [self.kit.win_path(self.kit.path("record.txt")), "--hidden"], timeout=TIMEOUT)
        self.assertEqual(0, code)
        self.assertEqual([], maps.mapped(wm_class="kittarget.exe"))
        self.assertEqual([], self.kit.screen.windows(title=TITLE, mapped=False))

    def test_a_program_that_runs_too_long_is_killed(self):
        program = self.start_target()
        window = self.kit.screen.wait_for(title=TITLE, timeout=TIMEOUT)
        with self.assertRaises(TimeoutError):
            program.wait(1)
        self.assertFalse(program.running())
        self.kit.screen.wait_gone(window)


class FileKitTest(E2ETestCase):
    def test_launcher_folder_is_laid_out_with_an_ansi_configuration(self):
        background = self.kit.path("背景.png")
        with open(background, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
        game_info = {"game_id": "7", "game_url": "http://127.0.0.1:1/GameSetup.zip",
                     "start_path": "游戏\\game.exe", "file_size": 12345}
        folder = self.kit.lay_out("launcher", exe=self.kit.program("kittarget"), game_info=game_info,
                                  background=background)
        self.assertEqual(["config", "kittarget.exe", "minizip.dll", "背景.png"], sorted(os.listdir(folder.path)))
        with open(folder.config_path, "rb") as f:
            raw = f.read()
        self.assertIn("游戏".encode("gbk"), raw)
        self.assertEqual(dict(game_info, background="背景.png"), json.loads(raw.decode("gbk"))["GameInfo"])
        self.assertEqual(os.path.join(folder.path, "Game", "游戏", "game.exe"), folder.game_file("游戏\\game.exe"))

        broken = self.kit.lay_out("broken", exe=self.kit.program("kittarget"), config_bytes=b"\xef\xbb\xbf{}")
        with open(broken.config_path, "rb") as f:
            self.assertEqual(b"\xef\xbb\xbf{}", f.read())
        bare = self.kit.lay_out("bare", exe=self.kit.program("kittarget"))
        self.assertFalse(os.path.exists(bare.config_path))

    def test_packages_are_real_archives_of_the_asked_size(self):
        path = self.kit.path("GameSetup.zip")
        size = game_package.make_package(path, {"bin/game.exe": self.kit.program("kittarget"),
                                                "data/说明.txt": "游戏说明\n".encode()}, size=3_000_000)
        self.assertEqual(3_000_000, size)
        self.assertEqual(3_000_000, os.path.getsize(path))
        with zipfile.ZipFile(path) as archive:
            self.assertIsNone(archive.testzip())
            self.assertEqual({"bin/game.exe", "data/说明.txt", "pad.bin"}, set(archive.namelist()))
        with self.assertRaises(ValueError):
            game_package.make_package(path, {"a.bin": os.urandom(5000)}, size=1000)

        corrupt = self.kit.path("corrupt.zip")
        game_package.make_corrupt_package(corrupt, 50_000)
        self.assertEqual(50_000, os.path.getsize(corrupt))
        with self.assertRaises(zipfile.BadZipFile):
            zipfile.ZipFile(corrupt)

    def test_paced_download_is_whole_and_takes_its_time(self):
        www = self.kit.path("www")
        os.makedirs(www)
        payload = os.urandom(300_000)
        with open(os.path.join(www, "GameSetup.zip"), "wb") as f:
            f.write(payload)
        base = self.kit.serve(www)
        began = time.monotonic()
        with urllib.request.urlopen(base + "/paced/1500/GameSetup.zip") as answer:
            self.assertEqual(str(len(payload)), answer.headers["Content-Length"])
            body = answer.read()
        self.assertEqual(payload, body)
        self.assertGreaterEqual(time.monotonic() - began, 1.2)
        with self.assertRaises(urllib.error.HTTPError) as missing:
            urllib.request.urlopen(base + "/paced/1500/nothing.zip")
        self.assertEqual(404, missing.exception.code)

    def test_collector_reports_are_decoded(self):
        url, log_path = self.kit.collector(https=False, delay=0.5)
        body = json.dumps({"data": json.dumps({"category": "game_event", "action": "a",
                                               "extdata": json.dumps({"is_success": "1"})})}).encode()
        began = time.monotonic()
        urllib.request.urlopen(urllib.request.Request(url, data=body, method="POST")).read()
        self.assertGreaterEqual(time.monotonic() - began, 0.4)
        self.assertEqual([{"category": "game_event", "action": "a", "extdata": {"is_success": "1"}}],
                         self.kit.stat_events(log_path))
