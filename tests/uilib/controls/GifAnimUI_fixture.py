"""Animated GIFs for the GIF control, written into the test's folder.

Every pixel is coded as a literal with a clear code after each pair, so the
codes stay three bits wide and no LZW dictionary is needed."""
import os

PALETTE = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0)]
RED, GREEN, BLUE, YELLOW = range(4)
SIDE = 16


def _pixels(index):
    min_code_size = 2
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    codes = []
    for i in range(SIDE * SIDE):
        if i % 2 == 0:
            codes.append(clear)
        codes.append(index)
    codes.append(end)
    value = bits = 0
    data = bytearray()
    for code in codes:
        value |= code << bits
        bits += 3
        while bits >= 8:
            data.append(value & 0xFF)
            value >>= 8
            bits -= 8
    if bits:
        data.append(value)
    blocks = bytearray([min_code_size])
    for start in range(0, len(data), 255):
        chunk = data[start:start + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks + b"\x00")


def gif(frames, with_delays=True):
    """frames: (palette index, delay in hundredths) per frame."""
    out = bytearray(b"GIF89a")
    out += SIDE.to_bytes(2, "little") * 2 + bytes([0x91, 0, 0])
    for rgb in PALETTE:
        out += bytes(rgb)
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for index, delay in frames:
        if with_delays:
            out += b"\x21\xF9\x04\x00" + delay.to_bytes(2, "little") + b"\x00\x00"
        out += b"\x2C" + bytes(4) + SIDE.to_bytes(2, "little") * 2 + b"\x00"
        out += _pixels(index)
    return bytes(out + b"\x3B")


def setup(ctx):
    files = {
        "anim.gif": gif([(RED, 10), (GREEN, 0), (BLUE, 50)]),
        "pair.gif": gif([(YELLOW, 20), (BLUE, 20)]),
        "still.gif": gif([(YELLOW, 10)]),
        "broken.gif": b"GIF89a" + bytes(40),
    }
    for name, data in files.items():
        with open(os.path.join(ctx.tmpdir, name), "wb") as f:
            f.write(data)
