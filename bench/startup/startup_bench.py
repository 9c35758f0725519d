#!/usr/bin/env python3
"""Start-up times under Wine, side by side in one run: the launcher against
its floors, minimal programs doing only the same platform calls.

    startup_bench.py --build-dir TREE [--rounds N]       (bench/startup/run sets up X and Wine)
    startup_bench.py --build-dir TREE --time PROGRAM [ARGS...] --until MARKER

Each time runs from the moment the program is started (the Wine loader's
process start) to a marker seen from outside, so both sides are measured
the same way:
  exit                       the program ended
  file:PATH                  PATH exists (the stand-in game writes its record when it starts)
  stdout:TEXT                the program printed TEXT (paint_floor prints at its first paint and exits)
  pixel:TITLE:X:Y:RRGGBB     a window of that title is mapped and its pixel (X, Y) has that colour

Scenarios:
  first paint      the launcher's window painted (configuration without a
                   package URL, so it waits at 0 %; seen on the screen)
                   against paint_floor (which says so and exits)
  installed game   the launcher with its game installed against launch_floor,
                   both until the game (tests/programs/fakegame) has started
The launcher is <tree>/e2e/bin/KorvaLauncher.exe, which reports to the
tree's local collector; without it only the floors are timed.
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
from e2e import StandaloneKit  # noqa: E402
from wine_program import win_path  # noqa: E402

# The launcher's background colour, below the progress bar at 96 DPI.
FIRST_PAINT_POINT = (360, 488)
FIRST_PAINT_COLOUR = "2F3136"
LAUNCHER_TITLE = "Korva游戏下载器"
TIMEOUT = 120


def marker_reached(marker, program, screen):
    kind, _, rest = marker.partition(":")
    if kind == "exit":
        return not program.running()
    if kind == "file":
        return os.path.exists(rest)
    if kind == "stdout":
        return rest in program.output()
    if kind == "pixel":
        title, x, y, colour = rest.rsplit(":", 3)
        windows = screen.windows(title=title)
        if not windows:
            return False
        want = tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))
        try:
            return screen.pixel(windows[0], int(x), int(y)) == want
        except Exception:  # the window went away between the two calls
            return False
    raise ValueError(f"unknown marker {marker!r}")


def time_to_marker(kit, exe, args, marker):
    """Seconds from the program's start to its marker; the program is ended afterwards."""
    screen = kit.screen
    program = kit.start(exe, args)
    try:
        deadline = program.started_at + TIMEOUT
        while not marker_reached(marker, program, screen):
            if time.monotonic() > deadline:
                raise TimeoutError(f"{os.path.basename(exe)}: {marker} not reached in {TIMEOUT} s\n{program.output()}")
            if not program.running() and not marker.startswith(("exit", "file", "stdout")):
                raise RuntimeError(f"{os.path.basename(exe)} ended before {marker}\n{program.output()}")
            time.sleep(0.005)
        return time.monotonic() - program.started_at
    finally:
        program.kill()


def best_of(rounds, measure):
    return min(measure() for _ in range(rounds))


def report(name, launcher, floor):
    print(f"{name}: launcher {launcher:.3f} s, floor {floor:.3f} s" if launcher is not None
          else f"{name}: floor {floor:.3f} s (no launcher built)")
    if launcher is not None:
        print(f"{name}: launcher / floor {launcher / floor:.2f}")


def first_paint(args, kit, launcher):
    floor_exe = os.path.join(args.build_dir, "bench", "startup", "paint_floor.exe")
    floor_marker = "stdout:first paint"
    floor = best_of(args.rounds, lambda: time_to_marker(kit, floor_exe, [], floor_marker))
    measured = None
    if launcher:
        folder = kit.lay_out("paint", exe=launcher, game_info={"game_id": "bench", "start_path": "game.exe"})
        marker = "pixel:%s:%d:%d:%s" % ((LAUNCHER_TITLE,) + FIRST_PAINT_POINT + (FIRST_PAINT_COLOUR,))
        measured = best_of(args.rounds, lambda: time_to_marker(kit, folder.exe, [], marker))
    report("first paint", measured, floor)


def installed_game(args, kit, launcher):
    game = kit.program("fakegame")
    record = kit.path("fakegame.record.txt")
    os.environ["FAKEGAME_RECORD"] = win_path(record)

    def until_game_started(exe, exe_args):
        def measure():
            if os.path.exists(record):
                os.remove(record)
            return time_to_marker(kit, exe, exe_args, "file:" + record)
        return measure

    floor_exe = os.path.join(args.build_dir, "bench", "startup", "launch_floor.exe")
    floor = best_of(args.rounds, until_game_started(floor_exe, [win_path(game), "-token 42"]))
    measured = None
    if launcher:
        folder = kit.lay_out("installed", exe=launcher, game_info={"game_id": "bench", "start_path": "fakegame.exe"})
        os.makedirs(folder.game_dir)
        shutil.copy2(game, folder.game_dir)
        measured = best_of(args.rounds, until_game_started(folder.exe, ["-token", "42"]))
    report("installed game", measured, floor)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--time", nargs=argparse.REMAINDER, help="PROGRAM [ARGS...] --until MARKER")
    args = parser.parse_args()
    kit = StandaloneKit(args.build_dir, tempfile.mkdtemp(prefix="startup-bench-"))
    kit.on_cleanup(lambda: shutil.rmtree(kit.tmpdir, ignore_errors=True))
    try:
        if args.time:
            if "--until" not in args.time:
                sys.exit("--time needs --until MARKER at its end")
            split = args.time.index("--until")
            exe, exe_args, marker = args.time[0], args.time[1:split], args.time[split + 1]
            seconds = best_of(args.rounds, lambda: time_to_marker(kit, exe, exe_args, marker))
            print(f"{os.path.basename(exe)}: {seconds:.3f} s to {marker} (best of {args.rounds})")
            return
        launcher = kit.launcher_exe if os.path.exists(kit.launcher_exe) else None
        if launcher:
            kit.local_collector()
        print(f"best of {args.rounds} rounds, from process start to the marker")
        first_paint(args, kit, launcher)
        installed_game(args, kit, launcher)
    finally:
        kit.close()


if __name__ == "__main__":
    main()
