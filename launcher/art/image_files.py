"""Writers for the file formats the launcher embeds: PNG, baseline JPEG, GIF,
8-bit BMP, ICO and CUR with 32-bit images, and PCM WAV. Standard library only.

Pixels come in as bytes: rows top first, RGB or RGBA.
"""

import math
import struct
import zlib


# --- PNG --------------------------------------------------------------------

def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _filtered_rows(pixels, width, height, channels):
    stride = width * channels
    previous = bytes(stride)
    out = bytearray()
    for y in range(height):
        row = pixels[y * stride:(y + 1) * stride]
        candidates = []
        for kind in range(5):
            line = bytearray(stride)
            for i in range(stride):
                left = row[i - channels] if i >= channels else 0
                up = previous[i]
                upper_left = previous[i - channels] if i >= channels else 0
                predictor = (0, left, up, (left + up) >> 1, _paeth(left, up, upper_left))[kind]
                line[i] = (row[i] - predictor) & 0xFF
            # The usual heuristic: the row whose bytes, read as signed, sum smallest.
            cost = sum(v if v < 128 else 256 - v for v in line)
            candidates.append((cost, kind, line))
        cost, kind, line = min(candidates, key=lambda c: (c[0], c[1]))
        out.append(kind)
        out += line
        previous = row
    return bytes(out)


def png(width, height, pixels, alpha=False):
    channels = 4 if alpha else 3

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    data = zlib.compress(_filtered_rows(pixels, width, height, channels), 9)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", data) + chunk(b"IEND", b"")


# --- JPEG (baseline, Huffman tables of the standard's annex K) ---------------

_ZIGZAG = [
    0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6, 7, 14,
    21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60,
    61, 54, 47, 55, 62, 63,
]
_LUMINANCE_QUANT = [
    16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55, 14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29,
    51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92, 49, 64, 78, 87, 103, 121,
    120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
]
_CHROMINANCE_QUANT = [
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99,
    99, 99, 99, 99] + [99] * 32
_DC_LUMINANCE = ([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0], list(range(12)))
_DC_CHROMINANCE = ([0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0], list(range(12)))
_AC_LUMINANCE = ([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D], bytes.fromhex(
    "01020300041105122131410613516107227114328191a1082342b1c11552d1f02433627282090a161718191a25262728292a3435363738"
    "393a434445464748494a535455565758595a636465666768696a737475767778797a838485868788898a92939495969798999aa2a3a4a5"
    "a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae1e2e3e4e5e6e7e8e9eaf1f2f3f4f5f6f7f8f9fa"))
_AC_CHROMINANCE = ([0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77], bytes.fromhex(
    "000102031104052131061241510761711322328108144291a1b1c109233352f0156272d10a162434e125f11718191a262728292a353637"
    "38393a434445464748494a535455565758595a636465666768696a737475767778797a82838485868788898a92939495969798999aa2a3"
    "a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae2e3e4e5e6e7e8e9eaf2f3f4f5f6f7f8f9fa"))

_DCT = [[(math.sqrt(0.5) if u == 0 else 1.0) / 2 * math.cos((2 * x + 1) * u * math.pi / 16) for x in range(8)]
        for u in range(8)]


def _huffman_codes(table):
    counts, symbols = table
    codes, code, k = {}, 0, 0
    for length in range(1, 17):
        for _ in range(counts[length - 1]):
            codes[symbols[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


def _scaled_quant(base, quality):
    scale = 5000 // quality if quality < 50 else 200 - 2 * quality
    return [min(255, max(1, (q * scale + 50) // 100)) for q in base]


class _BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.accumulator = 0
        self.count = 0

    def write(self, value, length):
        self.accumulator = (self.accumulator << length) | (value & ((1 << length) - 1))
        self.count += length
        while self.count >= 8:
            self.count -= 8
            byte = (self.accumulator >> self.count) & 0xFF
            self.out.append(byte)
            if byte == 0xFF:
                self.out.append(0)
        self.accumulator &= (1 << self.count) - 1

    def flush(self):
        if self.count:
            self.write((1 << (8 - self.count)) - 1, 8 - self.count)


def _fdct(block):
    rows = [[sum(_DCT[u][x] * block[y * 8 + x] for x in range(8)) for u in range(8)] for y in range(8)]
    return [sum(_DCT[v][y] * rows[y][u] for y in range(8)) for v in range(8) for u in range(8)]


def _magnitude(value):
    size = abs(value).bit_length()
    return size, (value if value >= 0 else value + (1 << size) - 1)


def _encode_block(writer, block, quant, previous_dc, dc_codes, ac_codes):
    coefficients = _fdct(block)
    zigzag = [int(round(coefficients[_ZIGZAG[k]] / quant[_ZIGZAG[k]])) for k in range(64)]
    diff = zigzag[0] - previous_dc
    size, bits = _magnitude(diff)
    writer.write(*dc_codes[size])
    if size:
        writer.write(bits, size)
    run = 0
    for k in range(1, 64):
        value = zigzag[k]
        if value == 0:
            run += 1
            continue
        while run > 15:
            writer.write(*ac_codes[0xF0])
            run -= 16
        size, bits = _magnitude(value)
        writer.write(*ac_codes[(run << 4) | size])
        writer.write(bits, size)
        run = 0
    if run:
        writer.write(*ac_codes[0x00])
    return zigzag[0]


def jpeg(width, height, pixels, quality=88):
    """Baseline JPEG, YCbCr with 4:2:0 chroma, JFIF header."""
    luminance_q = _scaled_quant(_LUMINANCE_QUANT, quality)
    chrominance_q = _scaled_quant(_CHROMINANCE_QUANT, quality)

    def sample(x, y):  # edge pixels repeat into the padding of partial blocks
        i = (min(y, height - 1) * width + min(x, width - 1)) * 3
        r, g, b = pixels[i], pixels[i + 1], pixels[i + 2]
        return (0.299 * r + 0.587 * g + 0.114 * b,
                -0.168736 * r - 0.331264 * g + 0.5 * b + 128,
                0.5 * r - 0.418688 * g - 0.081312 * b + 128)

    tables = [_huffman_codes(t) for t in (_DC_LUMINANCE, _AC_LUMINANCE, _DC_CHROMINANCE, _AC_CHROMINANCE)]
    writer = _BitWriter()
    dc = [0, 0, 0]
    for my in range(0, height, 16):
        for mx in range(0, width, 16):
            ycc = [[sample(mx + x, my + y) for x in range(16)] for y in range(16)]
            for by, bx in ((0, 0), (0, 8), (8, 0), (8, 8)):
                block = [ycc[by + y][bx + x][0] - 128 for y in range(8) for x in range(8)]
                dc[0] = _encode_block(writer, block, luminance_q, dc[0], tables[0], tables[1])
            for component in (1, 2):
                block = [(ycc[2 * y][2 * x][component] + ycc[2 * y][2 * x + 1][component] +
                          ycc[2 * y + 1][2 * x][component] + ycc[2 * y + 1][2 * x + 1][component]) / 4 - 128
                         for y in range(8) for x in range(8)]
                dc[component] = _encode_block(writer, block, chrominance_q, dc[component], tables[2], tables[3])
    writer.flush()

    def segment(marker, payload):
        return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload

    def huffman_segment(klass, index, table):
        counts, symbols = table
        return bytes([(klass << 4) | index]) + bytes(counts) + bytes(symbols)

    out = bytearray(b"\xff\xd8")
    out += segment(0xE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
    out += segment(0xDB, bytes([0]) + bytes(luminance_q[z] for z in _ZIGZAG) +
                   bytes([1]) + bytes(chrominance_q[z] for z in _ZIGZAG))
    out += segment(0xC0, struct.pack(">BHHB", 8, height, width, 3) + bytes([1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1]))
    out += segment(0xC4, huffman_segment(0, 0, _DC_LUMINANCE) + huffman_segment(1, 0, _AC_LUMINANCE) +
                   huffman_segment(0, 1, _DC_CHROMINANCE) + huffman_segment(1, 1, _AC_CHROMINANCE))
    out += segment(0xDA, bytes([3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0]))
    out += writer.out
    out += b"\xff\xd9"
    return bytes(out)


# --- palettes ---------------------------------------------------------------

def quantize(pixels, count=256):
    """Median cut over the distinct colours of RGB pixels.

    Returns (palette as a list of (r, g, b), one index byte per pixel). Each
    colour takes the entry of the box it ended up in.
    """
    histogram = {}
    for i in range(0, len(pixels), 3):
        key = (pixels[i], pixels[i + 1], pixels[i + 2])
        histogram[key] = histogram.get(key, 0) + 1
    boxes = [list(histogram.items())]
    while len(boxes) < count:
        best, best_score, best_channel = None, 0, 0
        for index, entries in enumerate(boxes):
            if len(entries) < 2:
                continue
            population = sum(n for _, n in entries)
            for channel in range(3):
                values = [c[channel] for c, _ in entries]
                score = (max(values) - min(values)) * math.sqrt(population)
                if score > best_score:
                    best, best_score, best_channel = index, score, channel
        if best is None:
            break
        entries = sorted(boxes[best], key=lambda e: e[0][best_channel])
        half, running, cut = sum(n for _, n in entries) / 2, 0, 1
        for k, (_, n) in enumerate(entries):
            running += n
            if running >= half:
                cut = min(max(k + 1, 1), len(entries) - 1)
                break
        boxes[best:best + 1] = [entries[:cut], entries[cut:]]
    palette, lookup = [], {}
    for index, entries in enumerate(boxes):
        population = sum(n for _, n in entries)
        palette.append(tuple(int(sum(c[k] * n for c, n in entries) / population + 0.5) for k in range(3)))
        for colour, _ in entries:
            lookup[colour] = index
    indices = bytes(lookup[(pixels[i], pixels[i + 1], pixels[i + 2])] for i in range(0, len(pixels), 3))
    return palette, indices


# --- GIF --------------------------------------------------------------------

def _lzw(indices, minimum_size):
    clear, end = 1 << minimum_size, (1 << minimum_size) + 1
    out = bytearray()
    state = {"bits": 0, "count": 0}

    def emit(code, size):
        state["bits"] |= code << state["count"]
        state["count"] += size
        while state["count"] >= 8:
            out.append(state["bits"] & 0xFF)
            state["bits"] >>= 8
            state["count"] -= 8

    size, next_code, table = minimum_size + 1, end + 1, {}
    emit(clear, size)
    prefix = indices[0]
    for k in indices[1:]:
        key = (prefix, k)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix, size)
        if next_code < 4096:
            table[key] = next_code
            next_code += 1
            # The reader widens its codes one entry later than the writer adds them.
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear, size)
            size, next_code, table = minimum_size + 1, end + 1, {}
        prefix = k
    emit(prefix, size)
    emit(end, size)
    if state["count"]:
        out.append(state["bits"] & 0xFF)
    return bytes(out)


def gif(width, height, palette, indices):
    bits = max(1, (len(palette) - 1).bit_length())
    table = bytearray()
    for k in range(1 << bits):
        table += bytes(palette[k] if k < len(palette) else (0, 0, 0))
    minimum_size = max(2, bits)
    data = _lzw(indices, minimum_size)
    blocks = bytearray()
    for start in range(0, len(data), 255):
        piece = data[start:start + 255]
        blocks += bytes([len(piece)]) + piece
    return (b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF0 | (bits - 1), 0, 0) + bytes(table) +
            b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0) + bytes([minimum_size]) + bytes(blocks) +
            b"\x00\x3b")


# --- BMP --------------------------------------------------------------------

def bmp8(width, height, palette, indices):
    """8-bit uncompressed BMP, bottom row first, rows padded to 4 bytes."""
    stride = (width + 3) & ~3
    table = bytearray()
    for k in range(256):
        r, g, b = palette[k] if k < len(palette) else (0, 0, 0)
        table += bytes((b, g, r, 0))
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        rows += indices[y * width:(y + 1) * width] + bytes(stride - width)
    offset = 14 + 40 + len(table)
    header = b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    return header + info + bytes(table) + bytes(rows)


# --- ICO and CUR ------------------------------------------------------------

def _icon_image(size, rgba):
    """A 32-bit DIB with its AND mask, as stored inside ICO and CUR files."""
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        mask_row = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
            colour += bytes((b, g, r, a))
            if a < 128:
                mask_row[x // 8] |= 0x80 >> (x % 8)
        mask += mask_row
    return info + bytes(colour) + bytes(mask)


def icon_file(images, hotspot=None):
    """images: list of (size, rgba bytes). A hotspot (x, y) makes it a cursor."""
    kind = 2 if hotspot else 1
    directory = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    entries, bodies = bytearray(), bytearray()
    for size, rgba in images:
        body = _icon_image(size, rgba)
        planes_or_x, bits_or_y = hotspot if hotspot else (1, 32)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, planes_or_x, bits_or_y, len(body), offset)
        bodies += body
        offset += len(body)
    return directory + bytes(entries) + bytes(bodies)


# --- WAV --------------------------------------------------------------------

def wav(samples, rate):
    """16-bit mono PCM from samples in -1..1."""
    data = b"".join(struct.pack("<h", max(-32767, min(32767, int(round(s * 32767))))) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body
