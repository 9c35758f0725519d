"""Test archives for the zip reader, minizip.dll and the package extraction.

Good archives are written by real tools (Info-ZIP zip, Python's zipfile,
7z) from one source tree; hostile ones are forged byte by byte.
"""
import io
import os
import random
import struct
import subprocess
import zipfile
import zlib

CHINESE_DIR = "资源"
CHINESE_FILE = "游戏设置.txt"


def make_source_tree(root):
    rng = random.Random(20240611)
    os.makedirs(os.path.join(root, "bin", "data", "deep"), exist_ok=True)
    os.makedirs(os.path.join(root, "empty_dir"), exist_ok=True)
    os.makedirs(os.path.join(root, CHINESE_DIR), exist_ok=True)
    files = {
        "Game.exe": bytes(rng.getrandbits(8) for _ in range(300000)),
        "readme.txt": b"Welcome to the game.\r\n" * 4000,
        "empty.txt": b"",
        "bin/data/level1.dat": b"".join(b"tile %06d;" % (i % 977) for i in range(150000)),
        "bin/data/deep/noise.bin": os.urandom(1536 * 1024),
        "bin/data/deep/zero.bin": bytes(2 * 1024 * 1024 + 17),
        "bin/empty.cfg": b"",
        CHINESE_DIR + "/" + CHINESE_FILE: "开始游戏\n".encode("utf-8") * 100,
    }
    for name, data in files.items():
        with open(os.path.join(root, *name.split("/")), "wb") as f:
            f.write(data)
    return files


def run(args, cwd):
    subprocess.run(args, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


class _Unseekable(io.RawIOBase):
    """A pipe-like stream: zipfile then writes data descriptors (flag bit 3)."""

    def __init__(self, target):
        self._target = target

    def writable(self):
        return True

    def write(self, data):
        self._target.write(data)
        return len(data)


def _python_zip(src, path, compression, force_zip64=False, comment=b"", streamed=False):
    target = open(path, "wb")
    stream = _Unseekable(target) if streamed else target
    with zipfile.ZipFile(stream, "w", compression) as zf:
        zf.comment = comment
        for folder, dirs, names in sorted(os.walk(src)):
            dirs.sort()
            rel_folder = os.path.relpath(folder, src)
            if rel_folder != "." and not names and not dirs:
                zf.writestr(rel_folder.replace(os.sep, "/") + "/", b"")
            for name in sorted(names):
                full = os.path.join(folder, name)
                arcname = os.path.relpath(full, src).replace(os.sep, "/")
                info = zipfile.ZipInfo(arcname, date_time=(2024, 1, 2, 3, 4, 6))
                info.compress_type = compression
                with open(full, "rb") as f, zf.open(info, "w", force_zip64=force_zip64) as out:
                    out.write(f.read())
    target.close()


def make_good_archives(src, out):
    """Archives of the whole tree; each extracts to exactly `src`."""
    made = {}
    def path(name):
        made[name] = os.path.join(out, name)
        return made[name]
    run(["zip", "-q", "-r", "-X", path("infozip_deflate.zip"), "."], src)
    run(["zip", "-q", "-r", "-X", "-0", path("infozip_stored.zip"), "."], src)
    run(["zip", "-q", "-r", "-X", "-fz", path("infozip_zip64.zip"), "."], src)
    # Written to a pipe, zip cannot seek back and uses data descriptors.
    with open(path("infozip_streamed.zip"), "wb") as f:
        pipe = subprocess.Popen(["zip", "-q", "-r", "-X", "-", "."], cwd=src, stdout=subprocess.PIPE)
        for chunk in iter(lambda: pipe.stdout.read(65536), b""):
            f.write(chunk)
        if pipe.wait() != 0:
            raise RuntimeError("zip to a pipe failed")
    run(["7z", "a", "-tzip", "-bd", "-bso0", path("sevenzip.zip"), "."], src)
    _python_zip(src, path("python_deflate.zip"), zipfile.ZIP_DEFLATED, comment=b"A comment after the directory")
    _python_zip(src, path("python_stored.zip"), zipfile.ZIP_STORED)
    _python_zip(src, path("python_zip64.zip"), zipfile.ZIP_DEFLATED, force_zip64=True)
    _python_zip(src, path("python_streamed.zip"), zipfile.ZIP_DEFLATED, streamed=True)
    return made


def forge(entries, comment=b"", entry_count=None, share_local=False, zip64=False, directory_offset=None):
    """A zip written by hand. Each entry: dict(name=bytes, data=bytes,
    method=0|8|other, flags, crc, size (declared uncompressed size),
    offset (recorded local header offset; from 0xFFFFFFFF on in a Zip64 field),
    made_by (version made by, host in the high byte), external (external attributes))."""
    body = bytearray()
    central = bytearray()
    offsets = []
    for e in entries:
        name, data = e["name"], e.get("data", b"")
        method = e.get("method", 0)
        packed = zlib.compress(data)[2:-4] if method == 8 else data
        crc = e.get("crc", zlib.crc32(data))
        size = e.get("size", len(data))
        flags = e.get("flags", 0)
        if share_local and offsets:
            offset = offsets[0]
        else:
            offset = len(body)
            body += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, flags, method, 0, 0x5821, crc,
                                len(packed), size, len(name), 0) + name + packed
        offsets.append(offset)
        recorded = e.get("offset", offset)
        extra = struct.pack("<HHQ", 1, 8, recorded) if recorded >= 0xFFFFFFFF else b""
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, e.get("made_by", 20), 20, flags, method, 0,
                               0x5821, crc, len(packed), size, len(name), len(extra), 0, 0, 0,
                               e.get("external", 0), min(recorded, 0xFFFFFFFF)) + name + extra
    count = len(entries) if entry_count is None else entry_count
    zip64_records = b""
    if zip64:
        zip64_offset = len(body) + len(central)
        zip64_records = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, count, count, len(central),
                                    len(body))
        zip64_records += struct.pack("<IIQI", 0x07064B50, 0, zip64_offset, 1)
        end = struct.pack("<IHHHHIIH", 0x06054B50, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                          len(comment))
    else:
        offset = len(body) if directory_offset is None else directory_offset
        end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, len(central), offset, len(comment))
    return bytes(body + central + zip64_records + end + comment)


def make_prefixed_archives(src, good, out):
    """Info-ZIP archives with bytes glued in front and their offsets left
    alone, as a self-extractor stub or a build script leaves them. Each
    <base>_<prefix size>.zip extracts to `src`; infozip_stdin_zip64_33.zip to
    one file "-" holding src/bin/data/level1.dat."""
    os.makedirs(out, exist_ok=True)
    rng = random.Random(17)
    for base in ("infozip_deflate", "infozip_stored"):
        with open(os.path.join(good, base + ".zip"), "rb") as f:
            archive = f.read()
        for size in (1, 17, 4096):
            with open(os.path.join(out, f"{base}_{size}.zip"), "wb") as f:
                f.write(bytes(rng.getrandbits(8) for _ in range(size)) + archive)
    # Read from standard input and written to a pipe, zip writes Zip64 records
    # whose locator offset is short by the prefix too.
    with open(os.path.join(src, "bin", "data", "level1.dat"), "rb") as source:
        streamed = subprocess.run(["zip", "-q", "-", "-"], stdin=source, stdout=subprocess.PIPE, check=True).stdout
    with open(os.path.join(out, "infozip_stdin_zip64_33.zip"), "wb") as f:
        f.write(b"#!/bin/sh\nexit 0 # stub\n" + bytes(8) + streamed)


def make_hostile_archives(out, tmpdir):
    """name -> archive path. The names also say what must fail."""
    ok = dict(name=b"fine.txt", data=b"fine\n")
    tmp = tmpdir.encode()
    cases = {
        "slip_dotdot": forge([ok, dict(name=b"../evil_slip.txt", data=b"x")]),
        "slip_nested": forge([dict(name=b"a/b/../../../evil_nested.txt", data=b"x")]),
        "slip_backslash": forge([dict(name=b"..\\evil_backslash.txt", data=b"x")]),
        "absolute": forge([dict(name=tmp + b"/evil_absolute.txt", data=b"x")]),
        "drive_letter": forge([dict(name=b"Z:" + tmp + b"/evil_drive.txt", data=b"x")]),
        "drive_relative": forge([dict(name=b"Z:evil_drive_relative.txt", data=b"x")]),
        "unc": forge([dict(name=b"\\\\?\\Z:" + tmp.replace(b"/", b"\\") + b"\\evil_unc.txt", data=b"x")]),
        "nul_in_name": forge([dict(name=b"evil_nul.txt\x00.jpg", data=b"x")]),
        "forbidden_char": forge([dict(name=b"bad|name.txt", data=b"x")]),
        "device_name": forge([dict(name=b"sub/CON.txt", data=b"x")]),
        "trailing_dot": forge([dict(name=b"sub./x.txt", data=b"x")]),
        "encrypted": forge([dict(name=b"secret.txt", data=b"x" * 12, flags=1)]),
        "unknown_method": forge([dict(name=b"bz.txt", data=b"x", method=12)]),
        "bad_crc": forge([ok, dict(name=b"crc.txt", data=b"payload" * 50, method=8, crc=0x12345678)]),
        "size_lie": forge([dict(name=b"bomb.bin", data=bytes(4 * 1024 * 1024), method=8, size=1000)]),
        "size_short": forge([dict(name=b"short.bin", data=b"abc" * 100, method=8, size=400)]),
        "stored_size_lie": forge([dict(name=b"stored.bin", data=b"abc" * 100, size=100)]),
        "overlapping": forge([ok, dict(name=b"fine.txt", data=b"fine\n")], share_local=True),
        "too_many_entries": forge([ok], entry_count=1000000, zip64=True),
        "count_beyond_directory": forge([ok], entry_count=5),
        "not_a_zip": b"This is not an archive at all.\n" * 10,
        "empty_file": b"",
    }
    good = forge([ok, dict(name=b"second.bin", data=os.urandom(5000), method=8)])
    cases["truncated"] = good[: len(good) // 2]
    bad_directory = bytearray(good)
    bad_directory[good.rfind(b"PK\x01\x02")] = ord("X")
    cases["bad_directory"] = bytes(bad_directory)
    # Offsets shifted by data glued in front must still describe a sound archive.
    two = [ok, dict(name=b"second.bin", data=b"second" * 100)]
    directory_at = len(forge(two)) - 22 - 2 * 46 - len(b"fine.txt") - len(b"second.bin")
    cases["prefix_overlap"] = forge(two, directory_offset=directory_at - 40)
    cases["prefix_negative"] = forge(two, directory_offset=directory_at + 10)
    # The one entry's offset wraps past 2**64 to a local header inside the prefix.
    inner = forge([dict(name=b"evil_prefix.txt", data=b"x")])
    prefix = b"MZ\x90\x00\x03" + inner[: inner.find(b"PK\x01\x02")]
    cases["prefix_wraps"] = prefix + forge([dict(name=b"evil_prefix.txt", data=b"x", offset=2**64 - len(prefix) + 5)])
    corrupt = bytearray(forge([dict(name=b"corrupt.bin", data=b"hello world " * 400, method=8)]))
    # Block type 3 is reserved: inflate must report a data error.
    corrupt[30 + len(b"corrupt.bin")] = 0xFF
    cases["corrupt_deflate"] = bytes(corrupt)
    os.makedirs(out, exist_ok=True)
    paths = {}
    for name, data in cases.items():
        paths[name] = os.path.join(out, name + ".zip")
        with open(paths[name], "wb") as f:
            f.write(data)
    return paths


# Names in GBK (an unflagged name from a Chinese Windows tool) whose last byte
# is 0x5C: a trail byte there, not a path separator.
GBK_FILE = "资料/誠"
GBK_START_FILE = "運"


def make_gbk_archive(path):
    unix_made = 3 << 8 | 20
    entries = [
        dict(name="资料/".encode("gbk")),
        dict(name=GBK_FILE.encode("gbk"), data="诚实的数据\n".encode("gbk"), method=8),
        dict(name=GBK_START_FILE.encode("gbk"), data=b"MZ start file"),
        dict(name=b"old\\"),
        # Folders that only their attributes mark: DOS and Unix style.
        dict(name=b"dos_dir", external=0x10),
        dict(name=b"unix_dir", made_by=unix_made, external=0o40755 << 16),
        # An attribute claiming a folder does not drop an entry's data.
        dict(name=b"attr_with_data", external=0x10, data=b"kept"),
    ]
    with open(path, "wb") as f:
        f.write(forge(entries))


def prepare(ctx):
    """Source tree in <tmp>/src, good archives in <tmp>/good, hostile ones in <tmp>/hostile."""
    src = os.path.join(ctx.tmpdir, "src")
    make_source_tree(src)
    good = os.path.join(ctx.tmpdir, "good")
    os.makedirs(good)
    make_good_archives(src, good)
    make_gbk_archive(os.path.join(good, "gbk_names.zip"))
    make_hostile_archives(os.path.join(ctx.tmpdir, "hostile"), ctx.tmpdir)
