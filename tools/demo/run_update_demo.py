#!/usr/bin/env python3
"""The demo's update: the demo game packed as version 1.0 into a chunk store,
installed by the launcher from it, then version 1.1 (a new readme and a
rewritten part of one level) packed into the same store, and the launcher
started again: it shows the updating window, fetches only the new chunks
and starts the new version. A third start finds it current (one 304) and
starts the game with no window. scripts/demo sets up X and Wine first.

    run_update_demo.py --build-dir TREE --launcher EXE --screenshots DIR
"""
import argparse
import json
import os
import random
import shutil
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.abspath(os.path.join(here, "..", ".."))
sys.path.insert(0, os.path.join(root, "tests", "harness"))
import chunk_store  # noqa: E402
from e2e import StandaloneKit, wait_until  # noqa: E402
from file_tree import write_tree  # noqa: E402
from run_demo import LAUNCH_ARGS, START_PATH, TIMEOUT, TITLE, demo_files, game_record, play_events  # noqa: E402

# The update's chunks arrive at this pace on each connection, so its window can be seen.
UPDATE_RATE = 256 * 1024


def write_version(game, version, files, level2):
    """The demo game's files as `version`: its own readme, and level2.bin as given."""
    readme = f"Demo game for the Korva launcher, version {version}\n演示游戏\n".encode("utf-8")
    write_tree(game, dict(files, **{"DemoGame/readme.txt": readme, "DemoGame/data/level2.bin": level2}))


def run_launcher(kit, folder, screenshots=None, shots=None):
    """Runs the launcher to its end; its exit code and whether it showed a window."""
    program = kit.start(folder.exe, LAUNCH_ARGS, cwd=kit.tmpdir)
    with kit.screen.watch_maps() as maps:
        if screenshots is not None:
            try:
                window = kit.screen.wait_for(title=TITLE, timeout=60)
                time.sleep(1.0)
                if kit.screen.is_mapped(window):
                    shots.append(kit.screen.screenshot(window).save_png(os.path.join(screenshots, "8-updating.png")))
            except TimeoutError:
                pass
        code = program.wait(TIMEOUT)
        shown = bool(maps.mapped(wm_class=os.path.basename(folder.exe).lower()))
    return code, shown


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()
    os.makedirs(args.screenshots, exist_ok=True)

    kit = StandaloneKit(args.build_dir, tempfile.mkdtemp(prefix="launcher-update-demo-"))
    kit.on_cleanup(lambda: shutil.rmtree(kit.tmpdir, ignore_errors=True))
    try:
        rng = random.Random(1)
        files = demo_files(kit.build_dir)
        level2 = files["DemoGame/data/level2.bin"]
        game, www = kit.path("game"), kit.path("www")
        store = os.path.join(www, "store")
        korva_pack = kit.host_program("korva-pack")
        write_version(game, "1.0", files, level2)
        chunk_store.pack(korva_pack, game, store, "1.0")
        transfer_log = kit.path("transfers.jsonl")
        fast = kit.serve(www) + "/files/store/latest.json"
        paced = kit.serve(www, transfer_log=transfer_log, connection_rate=UPDATE_RATE) + "/files/store/latest.json"
        endpoint = kit.local_collector()
        info = {"game_id": "demo-store", "start_path": START_PATH, "manifest_url": fast}
        folder = kit.lay_out("launcher-store", exe=args.launcher, game_info=info)

        print("== Update demo: version 1.0 of the demo game from a chunk store")
        code, _ = run_launcher(kit, folder)
        print(f"install: exit code {code}; {game_record(folder) or 'the game did not record its start'}")

        write_version(game, "1.1", files, level2[:4_000_000] + rng.randbytes(2_000_000) + level2[6_000_000:])
        chunk_store.pack(korva_pack, game, store, "1.1")
        manifest = chunk_store.read_manifest(store)
        pointer = chunk_store.read_pointer(store)
        new_store = sum(c.stored for c in manifest.chunks) + pointer["size"]
        print(f"== Version 1.1 packed into the same store ({new_store / 1048576:.1f} MiB for the whole version)")
        kit.lay_out("launcher-store", exe=args.launcher, game_info=dict(info, manifest_url=paced))
        events = len(play_events(endpoint.log_path))
        shots = []
        code, shown = run_launcher(kit, folder, args.screenshots, shots)
        record = game_record(folder)
        with open(os.path.join(folder.game_dir, ".korva", "installed.json"), encoding="utf-8") as f:
            version = json.load(f)["version"]
        with open(transfer_log, encoding="utf-8") as f:
            fetched = sum(json.loads(line)["sent"] for line in f)
        print(f"update: exit code {code}, window shown: {'yes' if shown else 'no'}, installed version {version}")
        print(f"  fetched {fetched / 1048576:.2f} MiB = {100 * fetched / new_store:.1f} % of the new version's store")
        print(f"  {record or 'the game did not record its start'}")
        for shot in shots:
            print(f"  screenshot: {shot}")

        marker = len(open(transfer_log, encoding="utf-8").readlines())
        again, again_shown = run_launcher(kit, folder)
        with open(transfer_log, encoding="utf-8") as f:
            statuses = [json.loads(line)["status"] for line in f.readlines()[marker:]]
        print(f"next start: exit code {again}, window shown: {'yes' if again_shown else 'no'}, answers {statuses}")
        game_record(folder)
        updates = play_events(endpoint.log_path)[events:]
        ok = (code == 0 and shown and version == "1.1" and record is not None and again == 0 and not again_shown
              and statuses == [304] and [e.get("extdata", {}).get("is_success") for e in updates] == ["1", "1"])
    finally:
        kit.close()
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
