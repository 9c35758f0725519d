"""Game packages for the launcher to download: real zip archives of given
files, optionally padded to an exact size, and corrupt ones.

    make_package(path, {"bin/game.exe": "/path/to/fakegame.exe",
                        "data/说明.txt": "游戏说明\n".encode()}, size=10_000_000)
    make_corrupt_package(path, 200_000)

Files are given as a source path or as bytes. With `size`, a stored entry
"pad.bin" of random bytes brings the archive to exactly that many bytes, so
percentages map to known byte counts.
"""
import os
import zipfile

PAD_NAME = "pad.bin"


def _write(path, files, pad_bytes, stored):
    method = zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED
    with zipfile.ZipFile(path, "w", compression=method) as archive:
        for name, source in files.items():
            if isinstance(source, (bytes, bytearray)):
                archive.writestr(name, bytes(source))
            else:
                archive.write(source, name)
        if pad_bytes is not None:
            archive.writestr(zipfile.ZipInfo(PAD_NAME), os.urandom(pad_bytes), compress_type=zipfile.ZIP_STORED)
    return os.path.getsize(path)


def make_package(path, files, size=None, stored=False):
    """Writes the archive; returns its size in bytes."""
    if size is None:
        return _write(path, files, None, stored)
    overhead = _write(path, files, 0, stored)
    if overhead > size:
        raise ValueError(f"the files alone take {overhead} bytes, more than {size}")
    if _write(path, files, size - overhead, stored) != size:
        raise RuntimeError("could not size the package")
    return size


def make_corrupt_package(path, size):
    """A local file header followed by noise: downloads fine, never extracts."""
    with open(path, "wb") as f:
        f.write(b"PK\x03\x04" + os.urandom(max(0, size - 4)))
    return size
