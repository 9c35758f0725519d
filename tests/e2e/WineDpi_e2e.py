"""The kit's display-DPI setting: a program started inside the block sees
the DPI, and the prefix's setting returns afterwards."""
# ctest: RUN_SERIAL
from e2e import E2ETestCase


class WineDpiTest(E2ETestCase):
    def test_dpi_is_set_for_new_programs_and_restored(self):
        before = self.kit.dpi()
        target = 144 if before[1] != 144 else 120
        with self.kit.wine_dpi(target):
            self.assertEqual((target, target), self.kit.dpi())
        self.assertEqual(before, self.kit.dpi())
