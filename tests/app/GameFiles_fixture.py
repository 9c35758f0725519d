"""Game folders holding links to files and folders beside them, for the
chunked install's writes: <tmp>/links/<case>/Game and <tmp>/links/<case>/outside."""
import os


def setup(ctx):
    # case -> (link inside Game, its target relative to the case's folder, hard link?)
    cases = {
        "folder": ("data", "outside", False),
        "nested": ("a/b", "outside", False),
        "file": ("a.bin", "outside/kept.txt", False),
        "dangling": ("new.bin", "outside/absent.bin", False),
        "hard": ("h.bin", "outside/kept.txt", True),
    }
    for case, (link, target, hard) in cases.items():
        base = os.path.join(ctx.tmpdir, "links", case)
        os.makedirs(os.path.join(base, "outside"))
        with open(os.path.join(base, "outside", "kept.txt"), "w") as f:
            f.write("player's own file\n")
        link_path = os.path.join(base, "Game", *link.split("/"))
        os.makedirs(os.path.dirname(link_path), exist_ok=True)
        if hard:
            os.link(os.path.join(base, target), link_path)
        else:
            os.symlink(os.path.relpath(os.path.join(base, target), os.path.dirname(link_path)), link_path)
