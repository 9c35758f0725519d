"""Runs the test binary from a folder laid out like an installed launcher
(the executable with minizip.dll beside it), so GetModuleDir() names it."""
import os
import shutil

from zip_samples import prepare


def setup(ctx):
    prepare(ctx)
    launcher = os.path.join(ctx.tmpdir, "launcher")
    os.makedirs(launcher)
    exe = ctx.command[-1]
    shutil.copy(exe, launcher)
    shutil.copy(os.path.join(ctx.build_dir, "bin", "minizip.dll"), launcher)
    ctx.command = ctx.command[:-1] + [os.path.join(launcher, os.path.basename(exe))]
