"""A screenshot as plain RGB pixels: probes, colour proportions and PNG.

    image.pixel(10, 20)                          -> (r, g, b)
    image.fraction((16, 432, 704, 446), near(0x3BA55C, 24))
    image.save_png(path)

Rectangles are (left, top, right, bottom), right and bottom exclusive, in
the image's own coordinates. Pure Python with zlib, no imaging library.
"""
import struct
import zlib


def rgb(value):
    """0xRRGGBB as an (r, g, b) tuple."""
    return (value >> 16 & 255, value >> 8 & 255, value & 255)


def near(colour, tolerance=8):
    """A pixel test: every channel within `tolerance` of colour (0xRRGGBB or a tuple)."""
    want = rgb(colour) if isinstance(colour, int) else tuple(colour)

    def test(pixel):
        return all(abs(a - b) <= tolerance for a, b in zip(pixel, want))
    return test


class Image:
    def __init__(self, width, height, pixels):
        """pixels: bytes of width * height * 3, RGB, rows top to bottom."""
        if len(pixels) != width * height * 3:
            raise ValueError("pixel data does not match the size")
        self.width = width
        self.height = height
        self.pixels = bytes(pixels)

    @classmethod
    def from_bgrx(cls, width, height, data):
        """From 32-bit X server pixels (blue, green, red, unused)."""
        out = bytearray(width * height * 3)
        out[0::3] = data[2::4]
        out[1::3] = data[1::4]
        out[2::3] = data[0::4]
        return cls(width, height, out)

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError(f"({x}, {y}) is outside the {self.width} x {self.height} image")
        offset = (y * self.width + x) * 3
        return tuple(self.pixels[offset:offset + 3])

    def _clip(self, rect):
        left, top, right, bottom = rect
        return max(0, left), max(0, top), min(self.width, right), min(self.height, bottom)

    def pixels_in(self, rect):
        left, top, right, bottom = self._clip(rect)
        for y in range(top, bottom):
            row = (y * self.width) * 3
            for x in range(left, right):
                offset = row + x * 3
                yield tuple(self.pixels[offset:offset + 3])

    def fraction(self, rect, test):
        """Share of the rectangle's pixels for which test(pixel) holds (0 for an empty one)."""
        total = matched = 0
        for pixel in self.pixels_in(rect):
            total += 1
            matched += 1 if test(pixel) else 0
        return matched / total if total else 0.0

    def mean(self, rect):
        """The average colour of the rectangle."""
        sums = [0, 0, 0]
        count = 0
        for pixel in self.pixels_in(rect):
            count += 1
            for i in range(3):
                sums[i] += pixel[i]
        return tuple(round(s / count) for s in sums) if count else (0, 0, 0)

    def crop(self, rect):
        left, top, right, bottom = self._clip(rect)
        width = max(0, right - left)
        rows = [self.pixels[(y * self.width + left) * 3:(y * self.width + right) * 3] for y in range(top, bottom)]
        return Image(width, max(0, bottom - top), b"".join(rows))

    def png(self):
        raw = bytearray()
        stride = self.width * 3
        for y in range(self.height):
            raw.append(0)
            raw.extend(self.pixels[y * stride:(y + 1) * stride])

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 6))
                + chunk(b"IEND", b""))

    def save_png(self, path):
        with open(path, "wb") as f:
            f.write(self.png())
        return path
