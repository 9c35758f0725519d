"""Serves real game packages (made with Info-ZIP zip) and collects play events
for the launcher flow tests."""
import hashlib
import os
import shutil
import subprocess
import zipfile

import collector
import http_server

PACKAGE_SIZE = 10_000_000


def make_game_package(ctx, www):
    """game.zip of exactly PACKAGE_SIZE bytes: the stand-in game, a readme
    and stored padding, so that percentages map to known byte counts."""
    tree = os.path.join(ctx.tmpdir, "package")
    os.makedirs(os.path.join(tree, "bin"))
    os.makedirs(os.path.join(tree, "data"))
    shutil.copy(os.path.join(ctx.build_dir, "tests", "programs", "fakegame.exe"), os.path.join(tree, "bin"))
    readme = os.path.join(tree, "data", "readme.txt")
    with open(readme, "w", encoding="utf-8") as f:
        f.write("游戏说明\nstand-in game for the launcher flow tests\n")
    target = os.path.join(www, "game.zip")

    def build(pad_bytes):
        with open(os.path.join(tree, "pad.bin"), "wb") as f:
            f.write(os.urandom(pad_bytes))
        if os.path.exists(target):
            os.remove(target)
        subprocess.run(["zip", "-q", "-0", "-X", "-r", target, "bin", "data", "pad.bin"], cwd=tree, check=True)
        return os.path.getsize(target)

    overhead = build(1000) - 1000
    if build(PACKAGE_SIZE - overhead) != PACKAGE_SIZE:
        raise RuntimeError("could not size the game package")
    return readme


def setup(ctx):
    www = os.path.join(ctx.tmpdir, "www")
    os.makedirs(www)
    readme = make_game_package(ctx, www)
    with open(os.path.join(www, "corrupt.zip"), "wb") as f:
        f.write(b"PK\x03\x04" + os.urandom(200_000))
    open(os.path.join(www, "empty.zip"), "wb").close()
    # A small package that unpacks to 64 MiB.
    with zipfile.ZipFile(os.path.join(www, "zeros.zip"), "w", compression=zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("zeros.bin", bytes(64 << 20))
    with open(os.path.join(www, "game.zip"), "rb") as f:
        ctx.env["GAME_SHA256"] = hashlib.sha256(f.read()).hexdigest()

    port = http_server.start(ctx, www)
    collector_port, log_path = collector.start(ctx, https=False)
    ctx.env["SERVER_PORT"] = str(port)
    ctx.env["COLLECTOR_URL"] = f"http://127.0.0.1:{collector_port}/api/proxy/tesmar/report/v2"
    ctx.env["COLLECTOR_LOG"] = ctx.win_path(log_path)
    ctx.env["PACKAGE_README"] = ctx.win_path(readme)
    ctx.env["MINIZIP_DLL"] = ctx.win_path(os.path.join(ctx.build_dir, "bin", "minizip.dll"))
