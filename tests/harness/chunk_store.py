"""Chunk stores (store/FORMAT.md) for the launcher's tests.

    pack(korva_pack, game, store, "1.0", key=None)   korva-pack of the build machine;
                                                     returns the publisher_key it printed (signed) or None
    make_key(path)                                   a P-256 private key (PEM PKCS#8) from openssl
    read_pointer(store) -> dict                      the payload of latest.json
    read_manifest(store) -> Manifest                 the manifest latest.json names, decoded
    chunk_path(store, chunk_id)                      where a chunk's file lies

and a writer for the stores korva-pack never writes (hostile names, sizes
that lie, chunks that decode to other lengths, a pointer that does not pin
its manifest), byte by byte:

    writer = StoreWriter()
    a = writer.raw_chunk(b"bytes")                   a chunk stored raw; returns its index
    b = writer.rle_chunk(b"A", 1000, decoded=1001)   a zstd frame that declares 1000 bytes of "A"
                                                     but decodes to `decoded` of them
    writer.file("path/in/game", [a, b], size=None)   entries in the order given, never sorted
    writer.folder("empty/folder")
    writer.write(store, "1.0", manifest_version=None, pointer_size=None, pointer_sha256=None)

Names are UTF-8 bytes or str.
"""
import hashlib
import json
import os
import re
import subprocess
from collections import namedtuple

Chunk = namedtuple("Chunk", "id raw stored")
Entry = namedtuple("Entry", "path kind size refs")
Manifest = namedtuple("Manifest", "version chunks entries")
FILE, FOLDER = 0, 1


def varint(value):
    out = bytearray()
    while True:
        byte = value & 0x7F
        value >>= 7
        if value:
            out.append(byte | 0x80)
        else:
            out.append(byte)
            return bytes(out)


def _read_varint(data, at):
    value, shift = 0, 0
    while True:
        byte = data[at]
        at += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if not byte & 0x80:
            return value, at


def _text(data):
    return varint(len(data)) + data


def encode_manifest(manifest):
    out = bytearray(b"KVMF" + varint(1) + _text(manifest.version.encode()) + varint(len(manifest.chunks)))
    for chunk in manifest.chunks:
        out += chunk.id + varint(chunk.raw) + varint(chunk.stored)
    out += varint(len(manifest.entries))
    previous, previous_ref = b"", -1
    for entry in manifest.entries:
        path = entry.path.encode() if isinstance(entry.path, str) else entry.path
        shared = 0
        while shared < min(len(path), len(previous)) and path[shared] == previous[shared]:
            shared += 1
        out += varint(shared) + _text(path[shared:]) + varint(entry.kind)
        if entry.kind == FILE:
            out += varint(entry.size) + varint(len(entry.refs))
            for ref in entry.refs:
                step = ref - previous_ref
                out += varint(2 * step if step >= 0 else -2 * step - 1)
                previous_ref = ref
        previous = path
    return bytes(out)


def decode_manifest(data):
    assert data[:4] == b"KVMF"
    _, at = _read_varint(data, 4)
    length, at = _read_varint(data, at)
    version = data[at:at + length].decode()
    at += length
    count, at = _read_varint(data, at)
    chunks = []
    for _ in range(count):
        chunk_id = data[at:at + 32]
        raw, at = _read_varint(data, at + 32)
        stored, at = _read_varint(data, at)
        chunks.append(Chunk(chunk_id, raw, stored))
    count, at = _read_varint(data, at)
    entries, previous, previous_ref = [], b"", -1
    for _ in range(count):
        shared, at = _read_varint(data, at)
        length, at = _read_varint(data, at)
        path = previous[:shared] + data[at:at + length]
        at += length
        kind, at = _read_varint(data, at)
        size, refs = 0, []
        if kind == FILE:
            size, at = _read_varint(data, at)
            ref_count, at = _read_varint(data, at)
            for _ in range(ref_count):
                step, at = _read_varint(data, at)
                previous_ref += step // 2 if step % 2 == 0 else -(step + 1) // 2
                refs.append(previous_ref)
        entries.append(Entry(path.decode(), kind, size, refs))
        previous = path
    return Manifest(version, chunks, entries)


def chunk_path(store, chunk_id):
    name = chunk_id.hex()
    return os.path.join(store, "chunks", name[:2], name + ".chunk")


def read_pointer(store):
    with open(os.path.join(store, "latest.json"), encoding="utf-8") as f:
        return json.loads(json.load(f)["payload"])


def read_manifest(store):
    with open(os.path.join(store, *read_pointer(store)["manifest"].split("/")), "rb") as f:
        return decode_manifest(f.read())


def write_pointer(store, version, manifest_bytes, size=None, sha256=None):
    """latest.json, unsigned, naming the manifest as korva-pack would (or as told)."""
    digest = sha256 or hashlib.sha256(manifest_bytes).hexdigest()
    name = f"manifests/{version}-{digest[:16]}.manifest"
    payload = json.dumps({"format": 1, "version": version, "manifest": name,
                          "size": len(manifest_bytes) if size is None else size, "sha256": digest},
                         separators=(",", ":"))
    os.makedirs(os.path.join(store, "manifests"), exist_ok=True)
    with open(os.path.join(store, *name.split("/")), "wb") as f:
        f.write(manifest_bytes)
    with open(os.path.join(store, "latest.json"), "w", encoding="utf-8") as f:
        json.dump({"payload": payload}, f)


def make_key(path):
    subprocess.run(["openssl", "genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256", "-out", path],
                   check=True, capture_output=True)
    return path


def pack(korva_pack, game, store, version, key=None):
    """Packs `game` as `version` into `store`; the publisher_key korva-pack printed, when signed."""
    args = [korva_pack, "--version", version] + (["--sign", key] if key else []) + [game, store]
    result = subprocess.run(args, capture_output=True, text=True, timeout=600)
    if result.returncode != 0:
        raise RuntimeError(f"korva-pack failed: {result.stderr}")
    match = re.search(r"publisher_key (\S+)", result.stdout)
    return match.group(1) if match else None


def _rle_frame(byte, declared, decoded):
    """One zstd frame of a single RLE block: `decoded` copies of `byte`, its
    header declaring `declared` bytes (256 to 65791)."""
    header = bytes([0x60]) + (declared - 256).to_bytes(2, "little")  # single segment, two-byte content size
    block = (1 | 1 << 1 | decoded << 3).to_bytes(3, "little")        # last block, RLE, its length
    return b"\x28\xb5\x2f\xfd" + header + block + byte


class StoreWriter:
    def __init__(self):
        self.chunks = []    # Chunk
        self.objects = []   # stored bytes of each chunk
        self.entries = []

    def _add(self, raw_bytes, stored):
        self.chunks.append(Chunk(hashlib.sha256(raw_bytes).digest(), len(raw_bytes), len(stored)))
        self.objects.append(stored)
        return len(self.chunks) - 1

    def raw_chunk(self, data):
        return self._add(data, b"\x00" + data)

    def rle_chunk(self, byte, size, decoded):
        return self._add(byte * size, b"\x01" + _rle_frame(byte, size, decoded))

    def file(self, path, refs, size=None):
        size = sum(self.chunks[ref].raw for ref in refs) if size is None else size
        self.entries.append(Entry(path, FILE, size, list(refs)))

    def folder(self, path):
        self.entries.append(Entry(path, FOLDER, 0, []))

    def write(self, store, version, manifest_version=None, pointer_size=None, pointer_sha256=None):
        for chunk, stored in zip(self.chunks, self.objects):
            path = chunk_path(store, chunk.id)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(stored)
        manifest = encode_manifest(Manifest(manifest_version or version, self.chunks, self.entries))
        write_pointer(store, version, manifest, size=pointer_size, sha256=pointer_sha256)
        return manifest
