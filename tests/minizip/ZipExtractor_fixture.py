import os
import random

from zip_samples import forge, prepare

LATE_ENTRIES = 600
FIRST_BAD = 499  # the 500th entry: a wrong CRC-32
LATER_BAD = 550  # large, so handed out first: declares fewer bytes than it holds


def late_entry(rng, i):
    name = b"d%02d/f%04d.bin" % (i % 13, i)
    if i == LATER_BAD:
        return dict(name=name, data=bytes(3 << 20), method=8, size=1 << 20)
    size = rng.randint(200, 40000)
    data = rng.randbytes(size) if i % 3 else b"%06d " % i * (size // 7)
    entry = dict(name=name, data=data, method=8 if i % 2 else 0)
    if i == FIRST_BAD:
        entry["crc"] = 0x12345678
    return entry


def make_late_archives(root):
    """late/corrupt.zip: entries 499 and 550 fail with different codes, every
    other one is sound and also written below late/expected. late/slip.zip:
    the same sound entries, then a zip-slip name near the end."""
    rng = random.Random(500)
    entries = [late_entry(rng, i) for i in range(LATE_ENTRIES)]
    expected = os.path.join(root, "expected")
    for i, entry in enumerate(entries):
        if i not in (FIRST_BAD, LATER_BAD):
            path = os.path.join(expected, *entry["name"].decode().split("/"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(entry["data"])
    with open(os.path.join(root, "corrupt.zip"), "wb") as f:
        f.write(forge(entries))
    sound = [e for i, e in enumerate(entries) if i not in (FIRST_BAD, LATER_BAD)]
    sound.insert(590, dict(name=b"d01/../../evil_late_slip.txt", data=b"x"))
    with open(os.path.join(root, "slip.zip"), "wb") as f:
        f.write(forge(sound))


def make_order_archives(root):
    """Archives whose outcome depends on the directory order."""
    os.makedirs(root)
    cases = {
        # One name twice (in two cases): the later entry's bytes win.
        "same_name": [dict(name=b"same.txt", data=b"first\n" * 3000, method=8), dict(name=b"other.txt", data=b"o"),
                      dict(name=b"SAME.TXT", data=b"second\n")],
        # A file, then a folder of the same name: the folder cannot be made.
        "file_then_folder": [dict(name=b"a", data=b"file a\n"), dict(name=b"b.txt", data=b"b" * 5000),
                             dict(name=b"A/c.txt", data=b"c\n")],
        # A folder, then a file of the same name: the file cannot be written.
        "folder_then_file": [dict(name=b"a/"), dict(name=b"b.txt", data=b"b" * 5000), dict(name=b"a", data=b"x")],
    }
    for name, entries in cases.items():
        with open(os.path.join(root, name + ".zip"), "wb") as f:
            f.write(forge(entries))


def setup(ctx):
    prepare(ctx)
    make_late_archives(os.path.join(ctx.tmpdir, "late"))
    make_order_archives(os.path.join(ctx.tmpdir, "order"))
