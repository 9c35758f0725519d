"""Runs a test binary at 144 DPI: Wine's display DPI (LogPixels under
HKCU\\Control Panel\\Desktop) is set for the prefix and removed again
afterwards. Every Wine process started meanwhile sees it, so the runs that
use this fixture must have the prefix to themselves (RUN_SERIAL); should a
run be killed before its cleanup, scripts/wine-prefix removes the value."""
import subprocess

DPI = 144
KEY = r"HKCU\Control Panel\Desktop"


def _reg(ctx, *args):
    # Wine's own reg.exe, through the loader and prefix of this test run
    # (scripts/wine-env exported them).
    subprocess.run([ctx.env["WINELOADER"], "reg", *args, "/f"], env=ctx.env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def setup(ctx):
    ctx.on_cleanup(lambda: _reg(ctx, "delete", KEY, "/v", "LogPixels"))
    _reg(ctx, "add", KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(DPI))
    ctx.env["TEST_DISPLAY_DPI"] = str(DPI)
