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

    @staticmethod
    def read_png(path) -> "Image":
        """An 8-bit RGB or RGBA PNG without interlacing (alpha is dropped)."""
        data = Path(path).read_bytes()
        if data[:8] != b"\x89PNG\r\n\x1a\n":
            raise ValueError(f"{path}: not a PNG file")
        position, compressed, header = 8, b"", None
        while position + 8 <= len(data):
            length, kind = struct.unpack_from(">I4s", data, position)
            payload = data[position + 8:position + 8 + length]
            if kind == b"IHDR":
                header = struct.unpack(">IIBBBBB", payload)
            elif kind == b"IDAT":
                compressed += payload
            position += 12 + length
        if header is None:
            raise ValueError(f"{path}: no header")
        width, height, depth, colour_type, _, _, interlace = header
        if depth != 8 or colour_type not in (2, 6) or interlace:
            raise ValueError(f"{path}: only 8-bit RGB or RGBA PNG files without interlacing are read here")
        channels = 3 if colour_type == 2 else 4
        stride = width * channels
        raw = zlib.decompress(compressed)
        rows, previous = [], bytearray(stride)
        for y in range(height):
            kind = raw[y * (stride + 1)]
            line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
            for i in range(stride):
                left = line[i - channels] if i >= channels else 0
                up = previous[i]
                up_left = previous[i - channels] if i >= channels else 0
                if kind == 1:
                    line[i] = (line[i] + left) & 0xFF
                elif kind == 2:
                    line[i] = (line[i] + up) & 0xFF
                elif kind == 3:
                    line[i] = (line[i] + (left + up) // 2) & 0xFF
                elif kind == 4:
                    estimate = left + up - up_left
                    pa, pb, pc = abs(estimate - left), abs(estimate - up), abs(estimate - up_left)
                    predictor = left if pa <= pb and pa <= pc else up if pb <= pc else up_left
                    line[i] = (line[i] + predictor) & 0xFF
            previous = line
            if channels == 4:
                rgb = bytearray(width * 3)
                rgb[0::3], rgb[1::3], rgb[2::3] = line[0::4], line[1::4], line[2::4]
                rows.append(bytes(rgb))
            else:
                rows.append(bytes(line))
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
