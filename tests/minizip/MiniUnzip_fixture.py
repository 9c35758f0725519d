import os

from zip_samples import forge, make_prefixed_archives, prepare


def make_linked_destinations(root):
    """<root>/<case>/out holds a Unix link to <root>/<case>/outside, and
    <root>/<case>.zip has entries that would be written through it."""
    cases = {
        "folder": ("mods", "outside", [dict(name=b"mods/new/"), dict(name=b"mods/new/evil_through_link.txt", data=b"x")]),
        "file": ("notes.txt", "outside/notes.txt", [dict(name=b"notes.txt", data=b"overwritten through a link\n")]),
        "dangling": ("notes.txt", "outside/missing.txt", [dict(name=b"notes.txt", data=b"made through a link\n")]),
        # Beside a folder the extraction makes itself, inside a real one.
        "nested": ("real/mods", "outside", [dict(name=b"real/new/"), dict(name=b"real/new/fine.txt", data=b"x"),
                                            dict(name=b"real/mods/new/evil_nested_link.txt", data=b"x")]),
    }
    for case, (link, target, entries) in cases.items():
        base = os.path.join(root, case)
        os.makedirs(os.path.join(base, "out"))
        os.makedirs(os.path.join(base, "outside"))
        with open(os.path.join(base, "outside", "notes.txt"), "w") as f:
            f.write("player's own notes\n")
        link_path = os.path.join(base, "out", *link.split("/"))
        os.makedirs(os.path.dirname(link_path), exist_ok=True)
        os.symlink(os.path.relpath(os.path.join(base, target), os.path.dirname(link_path)), link_path)
        with open(base + ".zip", "wb") as f:
            f.write(forge(entries))


def setup(ctx):
    prepare(ctx)
    make_prefixed_archives(os.path.join(ctx.tmpdir, "src"), os.path.join(ctx.tmpdir, "good"),
                           os.path.join(ctx.tmpdir, "prefixed"))
    make_linked_destinations(os.path.join(ctx.tmpdir, "links"))
