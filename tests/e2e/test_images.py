"""Capture files on their own (no Wine): the driver's bottom-up BMP rows read
back in place, the PNG written from them decodes to the same pixels, and the
colour questions count the right pixels."""

import struct
import tempfile
import unittest
import zlib
from pathlib import Path

from harness import Image


def bmp(width, height, rgb_rows, top_down=False):
    """A 24-bit BMP as the driver writes it (rows given top first)."""
    stride = (width * 3 + 3) & ~3
    stored = rgb_rows if top_down else list(reversed(rgb_rows))
    pixels = b"".join(bytes(c for rgb in row for c in reversed(rgb)).ljust(stride, b"\0") for row in stored)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    return header + info + pixels


def png_pixels(data):
    """RGB rows of an 8-bit truecolour PNG without filters."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    width, height = struct.unpack(">II", data[16:24])
    position, compressed = 8, b""
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        if kind == b"IDAT":
            compressed += data[position + 8:position + 8 + length]
        position += 12 + length
    raw = zlib.decompress(compressed)
    stride = 1 + 3 * width
    return [raw[y * stride + 1:(y + 1) * stride] for y in range(height)]


ROWS = [[(255, 0, 0), (0, 255, 0), (0, 0, 255)],
        [(10, 20, 30), (40, 50, 60), (250, 251, 252)]]


class CaptureFiles(unittest.TestCase):
    def test_bottom_up_and_top_down_files_read_the_same_pixels(self):
        with tempfile.TemporaryDirectory() as folder:
            for top_down in (False, True):
                path = Path(folder) / f"{top_down}.bmp"
                path.write_bytes(bmp(3, 2, ROWS, top_down))
                image = Image.read_bmp(path)
                self.assertEqual((image.width, image.height), (3, 2))
                self.assertEqual([[image.pixel(x, y) for x in range(3)] for y in range(2)], ROWS)

    def test_png_holds_the_same_pixels(self):
        with tempfile.TemporaryDirectory() as folder:
            source = Path(folder) / "a.bmp"
            source.write_bytes(bmp(3, 2, ROWS))
            Image.read_bmp(source).write_png(Path(folder) / "a.png")
            rows = png_pixels((Path(folder) / "a.png").read_bytes())
            self.assertEqual(rows, [bytes(c for rgb in row for c in rgb) for row in ROWS])

    def test_filtered_rgba_png_reads_back_the_pixels(self):
        # Each row with another of the five filters, as encoders choose them; alpha is dropped.
        width, rows = 3, [[(i * 40 + y * 7, 255 - i * 30, (i * y * 53) % 256, 128) for i in range(3)]
                          for y in range(5)]
        raw, previous = b"", bytes(width * 4)
        for kind, row in enumerate(rows):
            line = bytes(c for pixel in row for c in pixel)
            filtered = bytearray()
            for i, value in enumerate(line):
                left = line[i - 4] if i >= 4 else 0
                up, up_left = previous[i], previous[i - 4] if i >= 4 else 0
                estimate = left + up - up_left
                paeth = min((abs(estimate - left), 0, left), (abs(estimate - up), 1, up),
                            (abs(estimate - up_left), 2, up_left))[2]
                predictor = [0, left, up, (left + up) // 2, paeth][kind]
                filtered.append((value - predictor) & 0xFF)
            raw += bytes([kind]) + bytes(filtered)
            previous = line

        def chunk(kind, payload):
            return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))

        png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, 5, 8, 6, 0, 0, 0)) +
               chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "f.png"
            path.write_bytes(png)
            image = Image.read_png(path)
            self.assertEqual([[image.pixel(x, y) for x in range(width)] for y in range(5)],
                             [[pixel[:3] for pixel in row] for row in rows])
            image.write_png(path)
            self.assertEqual(Image.read_png(path).rows, image.rows)

    def test_colour_shares_count_pixels_in_the_box(self):
        image = Image(3, 2, [bytes(c for rgb in row for c in rgb) for row in ROWS])
        self.assertAlmostEqual(image.share_near((0, 255, 0), tolerance=0), 1 / 6)
        self.assertAlmostEqual(image.share_near((0, 0, 250), tolerance=5, left=2, right=3, bottom=1), 1.0)
        self.assertEqual(image.colours(top=1)[(40, 50, 60)], 1)

    def test_damaged_files_are_refused(self):
        good = bmp(3, 2, ROWS)
        with tempfile.TemporaryDirectory() as folder:
            for name, data in [("short", good[:60]), ("not bmp", b"PK" + good[2:]),
                               ("32-bit", good[:28] + b"\x20" + good[29:])]:
                with self.subTest(name=name):
                    path = Path(folder) / "x.bmp"
                    path.write_bytes(data)
                    with self.assertRaises(ValueError):
                        Image.read_bmp(path)


if __name__ == "__main__":
    unittest.main()
