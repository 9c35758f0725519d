"""Skin archives for the markup loader's zip branch, written into the test's folder."""
import os
import zipfile


def _write_zip(path, entries):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in entries:
            archive.writestr(name, data)


def setup(ctx):
    source = os.path.join(ctx.source_dir, "tests", "uilib", "core", "data", "skin.xml")
    with open(source, "rb") as f:
        skin = f.read()
    limit = 4 * 1024 * 1024
    entries = [
        ("skin.xml", skin),
        ("empty.xml", b""),
        ("exact.xml", b"<Window>" + b" " * (limit - 17) + b"</Window>"),
        ("big.xml", b"<Window>" + b" " * (limit - 16) + b"</Window>"),
        ("layouts/Footer.xml", b"<HorizontalLayout height=\"20\"/>"),
    ]
    for name in ("skin.zip", "private.zip", "shared.zip"):
        _write_zip(os.path.join(ctx.tmpdir, name), entries)

    # A deflated entry whose compressed bytes are damaged: the CRC or the
    # inflate step must catch it.
    corrupt = os.path.join(ctx.tmpdir, "corrupt.zip")
    _write_zip(corrupt, [("skin.xml", skin)])
    with open(corrupt, "r+b") as f:
        data = bytearray(f.read())
        name_length = int.from_bytes(data[26:28], "little")
        extra_length = int.from_bytes(data[28:30], "little")
        start = 30 + name_length + extra_length
        for i in range(start + 10, start + 60):
            data[i] ^= 0x5A
        f.seek(0)
        f.write(data)

    with open(os.path.join(ctx.tmpdir, "notzip.zip"), "wb") as f:
        f.write(b"this is not an archive")
