"""Screen captures: the driver's 24-bit BMP files read into pixels, written
as PNG, and the few questions screenshot checks ask of them."""

import struct
import zlib
from collections import Counter
from pathlib import Path


class Image:
    def __init__(self, width: int, height: int, rows: list):
        self.width = width
        self.height = height
        self.rows = rows  # top row first; each a bytes object of R, G, B triples

    @staticmethod
    def read_bmp(path) -> "Image":
        data = Path(path).read_bytes()
        if data[:2] != b"BM" or len(data) < 54:
            raise ValueError(f"{path}: not a BMP file")
        offset, = struct.unpack_from("<I", data, 10)
        width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
        if bits != 24 or width <= 0 or height == 0:
            raise ValueError(f"{path}: only 24-bit BMP files are read here")
        top_down = height < 0
        height = abs(height)
        stride = (width * 3 + 3) & ~3
        if offset + stride * height > len(data):
            raise ValueError(f"{path}: pixel data is cut short")
        rows = []
        for y in range(height):
            stored = y if top_down else height - 1 - y
            start = offset + stored * stride
            bgr = data[start:start + width * 3]
            rgb = bytearray(len(bgr))
            rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
            rows.append(bytes(rgb))
        return Image(width, height, rows)

    def write_png(self, path):
        raw = b"".join(b"\x00" + row for row in self.rows)

        def chunk(kind, payload):
            return (struct.pack(">I", len(payload)) + kind + payload +
                    struct.pack(">I", zlib.crc32(kind + payload) & 0xFFFFFFFF))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        Path(path).write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                               chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))

    def pixel(self, x: int, y: int) -> tuple:
        row = self.rows[y]
        return tuple(row[3 * x:3 * x + 3])

    def colours(self, left=0, top=0, right=None, bottom=None) -> Counter:
        """How often each (r, g, b) occurs in the rectangle [left, right) x [top, bottom)."""
        right = self.width if right is None else right
        bottom = self.height if bottom is None else bottom
        counts = Counter()
        for y in range(top, bottom):
            row = self.rows[y]
            for x in range(left, right):
                counts[tuple(row[3 * x:3 * x + 3])] += 1
        return counts

    def share_near(self, colour: tuple, tolerance: int = 8, **box) -> float:
        """The share of pixels within `tolerance` of `colour` in a rectangle (see colours)."""
        counts = self.colours(**box)
        total = sum(counts.values())
        near = sum(n for c, n in counts.items() if all(abs(a - b) <= tolerance for a, b in zip(c, colour)))
        return near / total if total else 0.0
