#!/usr/bin/env python3
"""The built-in demo's runs (scripts/demo sets up X and Wine first).

    run_demo.py --build-dir TREE --launcher EXE --screenshots DIR

A fresh launcher folder as a publisher ships it (the launcher, minizip.dll,
config/config.json naming a background image beside it), a demo game
package served on 127.0.0.1 at a pace of about ten seconds, and the
tree's local telemetry collector. The first run downloads, extracts and
starts the game; screenshots of the window are saved at the start,
mid-download and after extraction, and of the demo game's own window once
it has started. The second run finds the game installed and starts it at
once, with no window. The third run installs the same game from a chunk
store instead: korva-pack of the build machine packs and signs it, a
static server caps each connection so that the install takes about ten
seconds, and a second launcher folder names the store's latest.json and
the publisher's key; screenshots at the start, mid-download and of the
game. A summary closes.

EXE is the launcher built for the local collector (<tree>/e2e/bin).
"""
import argparse
import os
import shutil
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.abspath(os.path.join(here, "..", ".."))
sys.path.insert(0, os.path.join(root, "tests", "harness"))
import chunk_store  # noqa: E402
import file_tree  # noqa: E402
import transfer_faults  # noqa: E402
import game_package  # noqa: E402
from e2e import StandaloneKit, wait_until  # noqa: E402

TITLE = "Korva游戏下载器"
GAME_TITLE = "Korva 演示游戏"
PACE_MS = 10_000
# The chunked install's download takes about this long over its four connections.
STORE_SECONDS = 10
# Telemetry answers this late, so the window still shows 100 % for the
# screenshot after extraction (the launcher closes once the report is done).
COLLECTOR_DELAY = 3.0
LAUNCH_ARGS = ["-channel", "demo", "-token", "42", "玩家一"]
START_PATH = "DemoGame\\DemoGame.exe"
TIMEOUT = 300


def demo_files(tree):
    return {
        "DemoGame/DemoGame.exe": os.path.join(tree, "demo", "DemoGame.exe"),
        "DemoGame/readme.txt": "Demo game for the Korva launcher\n演示游戏\n".encode("utf-8"),
        "DemoGame/data/level1.bin": os.urandom(12 * 1024 * 1024),
        "DemoGame/data/level2.bin": os.urandom(12 * 1024 * 1024),
    }


def make_package(files, work):
    www = os.path.join(work, "www")
    os.makedirs(www)
    path = os.path.join(www, "GameSetup.zip")
    size = game_package.make_package(path, files)
    return www, size


def make_store(kit, files, work):
    """The demo game packed and signed into a store; (store folder, publisher_key, store bytes)."""
    game = os.path.join(work, "store-game")
    file_tree.write_tree(game, files)
    www = os.path.join(work, "store-www")
    store = os.path.join(www, "demo")
    key = chunk_store.make_key(os.path.join(work, "publisher.pem"))
    publisher_key = chunk_store.pack(kit.host_program("korva-pack"), game, store, "1.0", key)
    size = sum(os.path.getsize(os.path.join(d, n)) for d, _, names in os.walk(store) for n in names)
    return www, publisher_key, size


class Shots:
    """Screenshots of a run's windows, noted for the summary."""

    def __init__(self, kit, screenshots):
        self.kit = kit
        self.screenshots = screenshots
        self.shots = []

    def shoot(self, window, name, note=""):
        screen = self.kit.screen
        if not screen.is_mapped(window):
            self.shots.append((name, None, "the window was already gone"))
            return
        path = screen.screenshot(window).save_png(os.path.join(self.screenshots, name + ".png"))
        self.shots.append((name, path, note))

    def shoot_game(self, name):
        try:
            game_window = self.kit.screen.wait_for(title=GAME_TITLE, timeout=20)
            time.sleep(0.5)
            self.shoot(game_window, name)
        except TimeoutError:
            self.shots.append((name, None, "no game window seen"))


class FirstRun(Shots):
    """Runs the launcher on a fresh folder, taking screenshots on the way."""

    def __init__(self, kit, folder, size, screenshots):
        super().__init__(kit, screenshots)
        self.folder = folder
        self.size = size

    def run(self):
        program = self.kit.start(self.folder.exe, LAUNCH_ARGS, cwd=self.kit.tmpdir)
        screen = self.kit.screen
        window = screen.wait_for(title=TITLE, timeout=120)
        time.sleep(1.0)  # the first paint, and the first percent or two
        self.shoot(window, "1-start")
        package = self.folder.package
        if wait_until(lambda: os.path.exists(package) and os.path.getsize(package) >= self.size // 2, TIMEOUT):
            self.shoot(window, "2-downloading", "%d %% downloaded" % (100 * os.path.getsize(package) // self.size))
        game = self.folder.game_file(START_PATH)
        if wait_until(lambda: not program.running() or (os.path.exists(game) and not os.path.exists(package)),
                      TIMEOUT):
            time.sleep(0.3)  # the repaint at 100 %
            self.shoot(window, "3-extracted")
        code = program.wait(TIMEOUT)
        self.shoot_game("4-game-started")
        return code, program.output()


class StoreRun(Shots):
    """Runs the launcher on a folder naming a chunk store, taking screenshots on the way."""

    def __init__(self, kit, folder, chunks, screenshots):
        super().__init__(kit, screenshots)
        self.folder = folder
        self.chunks = chunks

    def recorded(self):
        try:
            with open(os.path.join(self.folder.game_dir, ".korva", "install.journal"), encoding="ascii") as f:
                return len(f.read().splitlines()) - 1
        except OSError:
            return 0

    def run(self):
        program = self.kit.start(self.folder.exe, LAUNCH_ARGS, cwd=self.kit.tmpdir)
        window = self.kit.screen.wait_for(title=TITLE, timeout=120)
        time.sleep(1.0)
        self.shoot(window, "5-store-start")
        if wait_until(lambda: self.recorded() >= self.chunks // 2 or not program.running(), TIMEOUT):
            self.shoot(window, "6-store-downloading", "%d of %d chunks in place" % (self.recorded(), self.chunks))
        code = program.wait(TIMEOUT)
        self.shoot_game("7-store-game-started")
        return code, program.output()


def game_record(folder):
    path = os.path.join(os.path.dirname(folder.game_file(START_PATH)), "DemoGame-started.txt")
    if not wait_until(lambda: os.path.exists(path), 10):
        return None
    with open(path, encoding="utf-8") as f:
        text = f.read().strip()
    os.remove(path)
    return text


def play_events(log_path):
    return [e for e in StandaloneKit.stat_events(log_path) if e.get("action") == "playvane_launcher_game_play"]


def print_summary(runs, second_window, shots, screenshots):
    print("== Summary")
    for label, code, record, events in runs:
        print(f"{label}: exit code {code}")
        print(f"  {record or 'the game did not record its start'}")
        for event in events:
            extdata = event.get("extdata", {})
            print(f"  play event received: game_id {extdata.get('game_id')}, is_success {extdata.get('is_success')}")
        if not events:
            print("  no play event received")
    print(f"second run showed a window: {'yes' if second_window else 'no'}")
    print(f"screenshots in {screenshots}:")
    for shot, path, note in shots:
        print(f"  {shot}: {path or '-'}{'  (' + note + ')' if note else ''}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()
    shutil.rmtree(args.screenshots, ignore_errors=True)
    os.makedirs(args.screenshots)

    kit = StandaloneKit(args.build_dir, tempfile.mkdtemp(prefix="launcher-demo-"))
    kit.on_cleanup(lambda: shutil.rmtree(kit.tmpdir, ignore_errors=True))
    try:
        files = demo_files(kit.build_dir)
        www, size = make_package(files, kit.tmpdir)
        base = kit.serve(www)
        endpoint = kit.local_collector(delay=COLLECTOR_DELAY)
        folder = kit.lay_out("launcher", exe=args.launcher,
                             game_info={"game_id": "demo-1", "game_url": f"{base}/paced/{PACE_MS}/GameSetup.zip",
                                        "start_path": START_PATH, "file_size": size},
                             background=os.path.join(here, "demo_background.png"))
        name = os.path.basename(args.launcher).lower()
        print(f"== Demo folder {folder.path}: {os.path.basename(args.launcher)}, minizip.dll, "
              f"config/config.json, demo_background.png")
        print(f"   package {size / 1048576:.1f} MiB, served in about {PACE_MS // 1000} s")

        print("== First run: the game is not installed")
        first = FirstRun(kit, folder, size, args.screenshots)
        with kit.screen.watch_maps() as maps:
            code, _ = first.run()
        record = game_record(folder)
        events = play_events(endpoint.log_path)
        installed = sorted(os.path.relpath(os.path.join(d, f), folder.game_dir).replace(os.sep, "/")
                           for d, _, files in os.walk(folder.game_dir) for f in files)
        print(f"window shown: {'yes' if maps.mapped(wm_class=name) else 'no'}")
        print(f"installed: {', '.join(installed)}; package "
              f"{'deleted' if not os.path.exists(folder.package) else 'still there'}")

        print("== Second run: the game is installed and starts at once")
        record_path = os.path.join(os.path.dirname(folder.game_file(START_PATH)), "DemoGame-started.txt")
        with kit.screen.watch_maps() as maps:
            second = kit.start(folder.exe, LAUNCH_ARGS, cwd=kit.tmpdir)
            wait_until(lambda: os.path.exists(record_path) or not second.running(), TIMEOUT, interval=0.01)
            print(f"the game started {time.monotonic() - second.started_at:.1f} s after the launcher")
            second_code = second.wait(TIMEOUT)
        second_record = game_record(folder)
        second_events = play_events(endpoint.log_path)[len(events):]
        second_window = bool(maps.mapped(wm_class=name))

        print("== Third run: the same game from a signed chunk store")
        store_www, publisher_key, store_size = make_store(kit, files, kit.tmpdir)
        chunks = len(chunk_store.read_manifest(os.path.join(store_www, "demo")).chunks)
        transfers = kit.path("store-transfers.jsonl")
        rate = store_size // (STORE_SECONDS * 4)
        store_base = kit.serve_static(store_www, transfer_log=transfers, connection_rate=rate)
        store_folder = kit.lay_out("launcher-store", exe=args.launcher,
                                   game_info={"game_id": "demo-2", "manifest_url": f"{store_base}/demo/latest.json",
                                              "publisher_key": publisher_key, "start_path": START_PATH},
                                   background=os.path.join(here, "demo_background.png"))
        print(f"   store {store_size / 1048576:.1f} MiB in {chunks} chunks, signed; each connection held to "
              f"{rate / 1024:.0f} KiB/s")
        third = StoreRun(kit, store_folder, chunks, args.screenshots)
        third_code, _ = third.run()
        third_record = game_record(store_folder)
        third_events = play_events(endpoint.log_path)[len(events) + len(second_events):]
        entries = transfer_faults.read_transfers(transfers)
        at_once, fetched = transfer_faults.most_at_once(entries), sum(e["sent"] for e in entries)
        print(f"fetched {fetched} bytes of a store of {store_size}, over {at_once} connections at once")

        print_summary([("first run", code, record, events), ("second run", second_code, second_record, second_events),
                       ("third run", third_code, third_record, third_events)],
                      second_window, first.shots + third.shots, args.screenshots)
        ok = (code == 0 and record is not None and len(events) == 1
              and second_code == 0 and second_record is not None and len(second_events) == 1 and not second_window
              and third_code == 0 and third_record is not None and len(third_events) == 1)
    finally:
        kit.close()
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
