"""The launcher's window on a 144-DPI display: scaled by half again, centred,
and its close button where the scaled skin puts it."""
# ctest: RUN_SERIAL
from e2e import E2ETestCase

TITLE = "Korva游戏下载器"
TIMEOUT = 120


class LauncherDpiTest(E2ETestCase):
    def test_window_is_scaled_at_144_dpi(self):
        # Without a package URL the window waits at 0 % until it is closed.
        folder = self.kit.lay_out("launcher", game_info={"game_id": "dpi", "start_path": "bin\\game.exe"})
        screen = self.kit.screen
        with self.kit.wine_dpi(144):
            program = self.kit.start(folder.exe, cwd=self.kit.tmpdir)
            window = screen.wait_for(title=TITLE, timeout=TIMEOUT)
        width, height = screen.size
        self.assertEqual(((width - 1080) // 2, (height - 744) // 2, 1080, 744), screen.geometry(window))
        screen.click(window, 695 * 3 // 2, 25 * 3 // 2)
        self.assertEqual(0, program.wait(TIMEOUT))
        screen.wait_gone(window)
