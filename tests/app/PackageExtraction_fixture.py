"""Runs the test binary from a folder laid out like an installed launcher
(the executable with minizip.dll beside it), so GetModuleDir() names it, and
lays out Game folders holding links for the removal tests."""
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
    make_linked_games(os.path.join(ctx.tmpdir, "linked"))


def make_linked_games(root):
    """<root>/<case>/Game holding a Unix link (Wine shows it as a junction-like
    folder or as a plain file) to <root>/<case>/outside, which the removal of
    Game must leave alone."""
    cases = {"folder": ("link", "outside"), "nested": ("a/b/link", "outside"), "file": ("link.txt", "outside/kept.txt")}
    for case, (link, target) in cases.items():
        base = os.path.join(root, case)
        os.makedirs(os.path.join(base, "outside", "sub"))
        with open(os.path.join(base, "outside", "kept.txt"), "w") as f:
            f.write("player's own file\n")
        with open(os.path.join(base, "outside", "sub", "deep.bin"), "wb") as f:
            f.write(os.urandom(3000))
        game = os.path.join(base, "Game")
        os.makedirs(os.path.join(game, "data"))
        with open(os.path.join(game, "data", "locked.bin"), "wb") as f:
            f.write(b"game data")
        link_path = os.path.join(game, *link.split("/"))
        os.makedirs(os.path.dirname(link_path), exist_ok=True)
        os.symlink(os.path.relpath(os.path.join(base, target), os.path.dirname(link_path)), link_path)
