# Runs the test binary from a folder laid out like an installed launcher
# (launcher\<test>.exe beside launcher\Game\fakegame.exe), so that the
# launch finds the stand-in game under GetModuleDir()\Game.
import os
import shutil

import collector


def setup(ctx):
    launcher = os.path.join(ctx.tmpdir, "launcher")
    os.makedirs(os.path.join(launcher, "Game"))
    shutil.copy(os.path.join(ctx.build_dir, "tests", "programs", "fakegame.exe"),
                os.path.join(launcher, "Game", "fakegame.exe"))
    exe = ctx.command[-1]
    copied = os.path.join(launcher, os.path.basename(exe))
    shutil.copy(exe, copied)
    ctx.command = ctx.command[:-1] + [copied]

    port, log = collector.start(ctx, https=True)
    ctx.env["STAT_COLLECTOR_URL"] = f"https://127.0.0.1:{port}/api/proxy/tesmar/report/v2"
    ctx.env["STAT_COLLECTOR_LOG"] = ctx.win_path(log)
    ctx.env["FAKEGAME_RECORD"] = ctx.win_path(os.path.join(ctx.tmpdir, "fakegame-record.txt"))
