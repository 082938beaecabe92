#!/usr/bin/env bash
# Makes the small pictures that the picture tests and fuzzers start from.
# The .ppm/.pam files are the intended pixels; every other file here is made
# from them with ImageMagick. Run once by hand; the results are committed.
set -euo pipefail
cd "$(dirname "$0")"
convert() { /usr/bin/convert "$@"; }  # ImageMagick's own, whatever else is on PATH

# 7 × 5, 35 distinct colours (odd width exercises row padding).
python3 - <<'PY'
w, h = 7, 5
def ppm(name, pixel):
    data = bytes(c for y in range(h) for x in range(w) for c in pixel(x, y))
    open(name, "wb").write(b"P6\n%d %d\n255\n" % (w, h) + data)
ppm("base.ppm", lambda x, y: (x * 36 + 10, y * 60 + 5, (x * 7 + y * 11) * 2))
ppm("base16.ppm", lambda x, y: [(0, 0, 0), (255, 0, 0), (0, 200, 0), (0, 0, 255), (255, 255, 0), (0, 255, 255),
                                (255, 0, 255), (128, 128, 128), (255, 255, 255), (90, 40, 10), (10, 90, 40),
                                (40, 10, 90), (200, 100, 50), (50, 200, 100), (100, 50, 200), (30, 60, 90)][(x + 3 * y) % 16])
ppm("base2.ppm", lambda x, y: (255, 255, 255) if (x * y + x) % 3 else (0, 0, 0))
# RGBA with every kind of alpha: opaque, clear, half.
alphas = [255, 0, 128, 64, 200]
data = bytes(c for y in range(h) for x in range(w)
             for c in (x * 36 + 10, y * 60 + 5, (x * 7 + y * 11) * 2, alphas[(x + y) % 5]))
open("base.pam", "wb").write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (w, h) + data)
PY

convert base.ppm still.gif
convert base.ppm -interlace GIF interlaced.gif
convert base.ppm -flip -channel RGB -negate frame2.ppm
convert -dispose None -delay 20 base.ppm \
        -dispose Background -delay 50 \( base16.ppm -crop 3x2+2+1 \) \
        -dispose Previous -delay 0 \( base2.ppm -crop 4x3+1+2 \) \
        -dispose None -delay 7 frame2.ppm -loop 0 animated.gif
rm frame2.ppm

convert base.ppm BMP3:bmp24.bmp
convert base.ppm -define bmp:format=bmp4 -type TrueColorAlpha bmp32.bmp
convert base.ppm -type palette -compress None BMP3:bmp8.bmp
convert base.ppm -type palette -compress RLE BMP3:rle8.bmp
convert base16.ppm -type palette -colors 16 BMP3:bmp4.bmp
convert base2.ppm -type bilevel BMP3:bmp1.bmp
convert base.ppm -define bmp:subtype=RGB565 bmp16.bmp

convert base.ppm -type palette pcx256.pcx
# ImageMagick writes no 1-bit PCX: encode base2.ppm by hand (version 3, set bits white).
python3 - <<'PY'
import struct
raw = open("base2.ppm", "rb").read().split(b"\n", 3)[3]
w, h, stride = 7, 5, 2
header = struct.pack("<BBBBHHHHHH", 0x0A, 3, 1, 1, 0, 0, w - 1, h - 1, 72, 72) + bytes(48) + bytes([0, 1])
header += struct.pack("<HH", stride, 1) + bytes(128 - 70)
body = bytearray()
for y in range(h):
    bits = 0
    for x in range(w):
        if raw[(y * w + x) * 3]:
            bits |= 0x8000 >> x
    for byte in (bits >> 8, bits & 0xFF):
        body += bytes([0xC1, byte]) if byte >= 0xC0 else bytes([byte])
open("pcxmono.pcx", "wb").write(header + bytes(body))
PY

convert base.pam -strip PNG32:rgba.png
convert base.ppm -strip PNG8:palette.png
convert base.ppm -strip -depth 16 PNG48:rgb16.png
convert base.ppm -strip -colorspace Gray gray.png
convert base.ppm -strip -quality 95 photo.jpg

convert base.ppm -scale 800% -define icon:auto-resize=48,32,16 multi.ico
# One colour per entry, so a test can see which entry was drawn: 32-bit
# entries of 16, 32 and 48 pixels as icon editors write them today, and real
# 16-colour entries placed before 32-bit ones of the same size.
convert -size 16x16 xc:red -size 32x32 xc:lime -size 48x48 xc:blue -type TrueColorAlpha sizes.ico
convert \( -size 32x32 xc:yellow -fill red -draw 'point 0,0' -fill blue -draw 'point 1,0' -type palette \) \
        \( -size 32x32 xc:lime -type TrueColorAlpha \) \
        \( -size 16x16 xc:magenta -fill red -draw 'point 0,0' -fill blue -draw 'point 1,0' -type palette \) \
        \( -size 16x16 xc:cyan -type TrueColorAlpha \) palette.ico

# Icon and cursor directories with DIB images, encoded by hand: a 16-colour
# 16-pixel and a 256-colour 32-pixel icon, and a 32-pixel cursor with its hotspot.
python3 - <<'PY'
import struct
def dib(size, bpp):
    colours = 1 << bpp
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, 0, 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", (i * 37) & 255, (i * 91) & 255, (i * 53) & 255, 0) for i in range(colours))
    stride = ((size * bpp + 31) // 32) * 4
    pixels = bytes(((x * bpp // 8) + y) & 255 for y in range(size) for x in range(stride))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes((0xF0 if y < size // 2 else 0) for y in range(size) for _ in range(mask_stride))
    return header + palette + pixels + mask
def directory(kind, entries):
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    for width, colours, a, b, image in entries:
        out += struct.pack("<BBBBHHII", width, width, colours, 0, a, b, len(image), offset)
        offset += len(image)
    return out + b"".join(e[4] for e in entries)
open("dib.ico", "wb").write(directory(1, [(16, 16, 1, 4, dib(16, 4)), (32, 0, 1, 8, dib(32, 8))]))
open("arrow.cur", "wb").write(directory(2, [(32, 2, 3, 7, dib(32, 1))]))
PY
