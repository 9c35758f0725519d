"""A launcher folder as a publisher ships it: the executable, minizip.dll
beside it and config/config.json.

    folder = lay_out(path, exe, minizip_dll,
                     game_info={"game_id": "7", "game_url": url, "start_path": "bin\\\\game.exe",
                                "file_size": 10000000},
                     background="bk.png")             # copied in; "background" names it
    folder.exe, folder.game_dir, folder.package, folder.config_path

The launcher reads the configuration's texts in the system's ANSI code page
(936 under the tests' zh_CN locale), so the file is written in that code
page, not in UTF-8 (`encoding` chooses another). `config_bytes` writes a
file exactly as given instead (a broken one, for instance); `config=None`
and no game_info leaves the configuration out.
"""
import json
import os
import shutil

ANSI_ENCODING = "gbk"


class LauncherFolder:
    def __init__(self, path, exe):
        self.path = path
        self.exe = exe
        self.config_path = os.path.join(path, "config", "config.json")
        self.game_dir = os.path.join(path, "Game")
        self.package = os.path.join(self.game_dir, "GameSetup.zip")

    def game_file(self, start_path):
        return os.path.join(self.game_dir, *start_path.replace("\\", "/").split("/"))


def config_text(game_info):
    return json.dumps({"GameInfo": game_info}, ensure_ascii=False, indent=2)


def lay_out(path, exe, minizip_dll, game_info=None, background=None, config_bytes=None,
            encoding=ANSI_ENCODING):
    os.makedirs(path, exist_ok=True)
    target = os.path.join(path, os.path.basename(exe))
    shutil.copy2(exe, target)
    shutil.copy2(minizip_dll, os.path.join(path, "minizip.dll"))
    folder = LauncherFolder(path, target)
    if background is not None:
        name = os.path.basename(background)
        shutil.copy2(background, os.path.join(path, name))
        game_info = dict(game_info or {}, background=name)
    if config_bytes is None and game_info is not None:
        config_bytes = config_text(game_info).encode(encoding)
    if config_bytes is not None:
        os.makedirs(os.path.dirname(folder.config_path), exist_ok=True)
        with open(folder.config_path, "wb") as f:
            f.write(config_bytes)
    return folder
