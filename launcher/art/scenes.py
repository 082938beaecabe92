"""The large pictures: the main window's background and the two boards.

Places are in picture pixels. The main background is stretched over the
window's client area, which is a little smaller than the picture, so the
places that must meet components (the top strip under the labels, the
sockets behind the buttons) leave a few pixels of margin.
"""

import math

from raster import (Canvas, Random, box, circle, fbm, gradient, mix, polygon, ring, rotated, segment, smoothstep,
                    union, value_noise)
from small_art import GOLD, GOLD_DARK, GOLD_LIGHT, emblem


def _fill_below(canvas, ridge, colour, bottom=None):
    """Everything under the curve y = ridge(x), with an anti-aliased top edge."""
    bottom = canvas.height if bottom is None else bottom
    for x in range(canvas.width):
        top = ridge(x + 0.5)
        for y in range(max(0, int(top) - 1), bottom):
            amount = min(1.0, max(0.0, y + 1 - top))
            if amount > 0:
                canvas.put(y * canvas.width + x, colour(x + 0.5, y + 0.5, top), amount)


def _ridge(base, amplitude, scale, seed):
    """A mountain line: sharp crests from folded noise, with finer detail on top."""
    def height(x):
        crest = 1 - abs(2 * value_noise(x / scale, 0.5, seed) - 1)
        detail = fbm(x / (scale / 5), 0.5, seed + 1, 3)
        return base - amplitude * (0.8 * crest ** 1.5 + 0.2 * detail)
    return height


def _pine(canvas, x, ground, height, colour):
    layers = 4
    for k in range(layers):
        top = ground - height + k * height * 0.2
        half = height * (0.16 + 0.07 * k)
        canvas.fill(polygon([(x, top), (x + half, top + height * 0.34), (x - half, top + height * 0.34)]), colour)
    canvas.fill(box(x - 1.2, ground - height * 0.2, x + 1.2, ground + 2), colour)


def _castle(canvas, colour, window_colour):
    parts = [
        box(110, 190, 150, 305), polygon([(106, 191), (130, 148), (154, 191)]),
        box(80, 215, 98, 305), polygon([(76, 216), (89, 183), (102, 216)]),
        box(160, 176, 177, 305), polygon([(156, 177), (168.5, 132), (181, 177)]),
        segment(168.5, 132, 168.5, 120, 0.8), polygon([(169, 120), (181, 124), (169, 128)]),
        box(66, 250, 206, 305),
    ]
    parts += [box(66 + 9 * k, 243, 71 + 9 * k, 251) for k in range(16)]
    canvas.fill(union(*parts), colour, bounds=(60, 110, 215, 310))
    for wx, wy in ((128, 206), (121, 232), (137, 232), (167.5, 196), (88, 234), (167.5, 226), (190, 266), (76, 268)):
        canvas.glow(wx, wy, 5, (255, 150, 60), 0.35)
        canvas.fill(box(wx - 1.2, wy - 2.4, wx + 1.2, wy + 2.4, 0.8), window_colour)


def _wings(canvas, cx, cy):
    for side in (-1, 1):
        for k in range(5, -1, -1):
            angle = math.radians(-28 + k * 10.5)
            length = 96 - k * 8.5
            rx, ry = cx + side * 36, cy - 12 + k * 5.5
            tx, ty = rx + side * length * math.cos(angle), ry + length * math.sin(angle)
            feather = segment(rx, ry, tx, ty, 8.5 - k * 0.5, 1.6)
            canvas.fill(lambda x, y, f=feather: f(x, y) - 1.3, (26, 18, 40))

            def shade(x, y, rx=rx, tx=tx):
                t = min(1.0, abs(x - rx) / max(1.0, abs(tx - rx)))
                return gradient([(0, (250, 244, 226)), (0.6, (206, 196, 226)), (1, (150, 132, 186))], t)
            canvas.fill(feather, shade)
            canvas.fill(segment(rx, ry, tx, ty, 0.7, 0.2), GOLD, 0.55)


def main_background():
    width, height = 600, 450
    canvas = Canvas(width, height)
    sky = [(0, (8, 10, 30)), (0.3, (20, 20, 58)), (0.62, (58, 32, 84)), (0.85, (126, 58, 80)), (1, (176, 94, 78))]

    def sky_colour(x, y):
        colour = gradient(sky, (y - 30) / 300)
        cloud = fbm(x / 150, y / 60, 11, 3)
        return mix(colour, (96, 70, 150), 0.28 * smoothstep(0.5, 0.85, cloud)), 1.0
    canvas.shade(sky_colour, (0, 30, width, 345))

    random = Random(20130)
    for _ in range(170):
        x, y = random.uniform(4, width - 4), 34 + (random.next() ** 1.6) * 230
        brightness = random.uniform(0.25, 1.0) * (1 - smoothstep(180, 280, y))
        if brightness < 0.08:
            continue
        if random.next() < 0.08:
            canvas.glow(x, y, 3.5, (200, 210, 255), 0.5 * brightness)
            canvas.fill(union(segment(x - 5, y, x + 5, y, 0.05, 0.05), segment(x, y - 5, x, y + 5, 0.05)),
                        (235, 240, 255), 0.7 * brightness)
        canvas.glow(x, y, 0.8, (255, 250, 235), 1.1 * brightness)

    moon_x, moon_y, moon_r = 492, 98, 33
    canvas.glow(moon_x, moon_y, 70, (120, 100, 170), 0.35)
    canvas.glow(moon_x, moon_y, 40, (220, 210, 255), 0.3)
    canvas.fill(circle(moon_x, moon_y, moon_r), lambda x, y: mix(
        (250, 244, 222), (200, 190, 176),
        0.55 * smoothstep(0.45, 0.75, fbm(x / 14, y / 14, 5, 3)) +
        0.35 * math.hypot(x - moon_x + 10, y - moon_y + 10) / (moon_r * 1.4)))

    far = _ridge(250, 110, 110, 21)

    def far_colour(x, y, top):
        depth = y - top
        body = mix((46, 34, 82), (84, 52, 100), min(1.0, depth / 90))
        lit = min(1.0, max(0.0, far(x + 1) - far(x - 1)) * 0.7)  # slopes that face the moon
        return mix(body, (128, 108, 178), lit * max(0.0, 1 - depth / 4))
    _fill_below(canvas, far, far_colour, bottom=345)

    mid = _ridge(300, 50, 70, 33)
    _castle(canvas, (28, 20, 48), (255, 200, 120))
    _fill_below(canvas, lambda x: min(mid(x), 300 if 60 < x < 210 else 999), lambda x, y, top: (28, 20, 48),
                bottom=350)
    canvas.shade(lambda x, y: ((150, 110, 160), 0.4 * smoothstep(0.45, 0.8, fbm(x / 90, y / 22, 41, 3)) *
                               (1 - abs(y - 312) / 30)) if abs(y - 312) < 30 else None, (0, 282, width, 342))

    near = _ridge(350, 20, 60, 57)
    _fill_below(canvas, near, lambda x, y, top: (14, 10, 26))
    for x, size in ((14, 54), (34, 44), (52, 36), (548, 40), (566, 52), (588, 46)):
        _pine(canvas, x, near(x) + 6, size, (12, 8, 22))

    def vignette(x, y):
        d = math.hypot((x - 300) / 330, (y - 220) / 260)
        return (6, 4, 14), 0.55 * smoothstep(0.7, 1.25, d)
    canvas.shade(vignette, (0, 31, width, height))

    crest_x, crest_y = 300, 140
    canvas.glow(crest_x, crest_y, 80, (150, 110, 220), 0.28)
    _wings(canvas, crest_x, crest_y)
    canvas.fill(circle(crest_x, crest_y + 2, 55), (10, 6, 18), 0.6)
    emblem(canvas, crest_x, crest_y, 106)
    for side in (-1, 1):
        canvas.fill(segment(crest_x + side * 14, 212, crest_x + side * 130, 212, 1.6, 0.2), GOLD, 0.9)
    canvas.fill(polygon([(crest_x, 205), (crest_x + 7, 212), (crest_x, 219), (crest_x - 7, 212)]), GOLD_LIGHT)
    canvas.fill(polygon([(crest_x, 208.5), (crest_x + 3.5, 212), (crest_x, 215.5), (crest_x - 3.5, 212)]),
                (170, 30, 40))

    # The strip behind the labels: light enough for black text.
    canvas.shade(lambda x, y: (mix((242, 233, 208), (222, 206, 170), y / 29 + 0.25 * (fbm(x / 40, y / 8, 61, 2)
                                                                                       - 0.5)), 1.0),
                 (0, 0, width, 29))
    canvas.fill(box(-1, 28.2, width + 1, 30.6), GOLD)
    canvas.fill(box(-1, 30.6, width + 1, 32), (36, 22, 20))

    canvas.shade(lambda x, y: ((6, 4, 12), 0.75 * smoothstep(338, 372, y)), (0, 330, width, height))
    plate = box(22, 355, 578, 442, 10)
    canvas.fill(plate, (18, 14, 30), 0.9)
    canvas.fill(ring(plate, 2.2), lambda x, y: mix(GOLD_LIGHT, GOLD_DARK, (y - 355) / 87))
    canvas.fill(ring(box(27.5, 360.5, 572.5, 436.5, 6), 1), GOLD_DARK, 0.8)
    for cx in (142.4, 295, 447.5):  # the three button places, scaled from the client area
        socket = box(cx - 50, 368, cx + 50, 423, 7)
        canvas.fill(socket, (4, 3, 10), 0.9)
        canvas.shade(lambda x, y: ((0, 0, 0), 0.5 * (1 - smoothstep(368, 378, y))), (cx - 50, 368, cx + 50, 380))
        canvas.fill(ring(socket, 1.3), (176, 134, 62))
    for gx in (218.7, 371.2):
        canvas.fill(polygon([(gx, 386), (gx + 8, 395), (gx, 404), (gx - 8, 395)]), GOLD)
        canvas.fill(polygon([(gx, 390), (gx + 4, 395), (gx, 400), (gx - 4, 395)]), (170, 30, 40))
    return canvas


# --- the lucky-draw board ---------------------------------------------------

SLOT_PLACES = [(40, 40), (96, 40), (152, 40), (216, 40), (272, 40), (272, 96), (272, 152), (272, 216),
               (280, 280), (224, 280), (160, 280), (104, 280), (40, 280), (40, 216), (40, 160), (40, 96)]
SLOT_SIZE = (44, 43)


def _gem(canvas, x, y, r, colour):
    canvas.fill(polygon([(x, y - r), (x + r, y), (x, y + r), (x - r, y)]), GOLD_LIGHT)
    inner = r * 0.6
    canvas.fill(polygon([(x, y - inner), (x + inner, y), (x, y + inner), (x - inner, y)]), colour)
    canvas.glow(x - inner * 0.3, y - inner * 0.3, inner * 0.5, (255, 255, 255), 0.5)


def lucky_board():
    width, height = 360, 368
    canvas = Canvas(width, height)
    cx, cy = 168, 184  # the prize label's centre

    def background(x, y):
        d = math.hypot(x - 178, y - 184) / 250
        colour = gradient([(0, (128, 30, 48)), (0.55, (62, 12, 38)), (1, (26, 6, 22))], d)
        rays = 0.5 + 0.5 * math.cos(16 * math.atan2(y - cy, x - cx))
        colour = mix(colour, (200, 90, 90), 0.08 * rays * (1 - min(1.0, d * 1.4)))
        return mix(colour, (10, 2, 8), 0.18 * fbm(x / 30, y / 30, 71, 2)), 1.0
    canvas.shade(background)

    outer = box(3, 3, 357, 365, 10)
    canvas.fill(ring(outer, 3.2), lambda x, y: mix(GOLD_LIGHT, GOLD_DARK, (x + y) / 725))
    canvas.fill(ring(box(10, 10, 350, 358, 7), 1.2), GOLD, 0.7)
    for gx, gy in ((21, 21), (339, 21), (21, 347), (339, 347)):
        _gem(canvas, gx, gy, 7, (190, 24, 44))

    track = box(62, 61.5, 298, 301.5, 26)
    canvas.fill(ring(track, 26), (24, 4, 14), 0.85)
    canvas.fill(ring(box(49, 48.5, 311, 314.5, 39), 1.4), GOLD, 0.85)
    canvas.fill(ring(box(75, 74.5, 285, 288.5, 13), 1.4), GOLD, 0.85)

    w, h = SLOT_SIZE
    for x, y in SLOT_PLACES:
        frame = box(x - 5, y - 5, x + w + 5, y + h + 5, 6)
        canvas.glow(x + w / 2, y + h / 2, 28, (255, 170, 80), 0.12)
        canvas.fill(frame, lambda px, py, y=y: gradient([(0, GOLD_LIGHT), (0.5, GOLD), (1, GOLD_DARK)],
                                                        (py - y + 5) / (h + 10)))
        canvas.fill(box(x - 1.5, y - 1.5, x + w + 1.5, y + h + 1.5, 3), (20, 4, 12))

    canvas.glow(cx, cy, 55, (255, 170, 90), 0.4)
    for k in range(16):
        angle = k * math.pi / 8 + math.pi / 16
        reach = 72 if k % 2 == 0 else 58
        canvas.fill(segment(cx + 47 * math.cos(angle), cy + 47 * math.sin(angle),
                            cx + reach * math.cos(angle), cy + reach * math.sin(angle), 2.4, 0.3), GOLD_LIGHT, 0.8)
    canvas.fill(circle(cx, cy, 47), lambda x, y: gradient([(0, GOLD_LIGHT), (0.5, GOLD), (1, GOLD_DARK)],
                                                         (y - cy + 47) / 94))
    canvas.fill(circle(cx, cy, 43.5), (58, 10, 26))
    canvas.fill(box(131, 147, 205, 221, 4), lambda x, y: mix(GOLD_LIGHT, GOLD_DARK, (y - 147) / 74))
    canvas.fill(box(134.5, 150.5, 201.5, 217.5, 2), (20, 4, 12))
    return canvas


# --- the player centre's enchanting board -----------------------------------

CHECK_PLACES = [(80, 40), (184, 40), (56, 104), (128, 72), (120, 120), (184, 120), (160, 216)]
INK_RED = (132, 42, 30)
INK_BROWN = (96, 62, 34)
PAPER_LIGHT = (250, 244, 226)


def _figure():
    return union(
        circle(144, 24, 12.5),
        segment(144, 34, 144, 46, 4.5),
        polygon([(110, 48), (178, 48), (168, 150), (120, 150)]),
        segment(112, 54, 86, 98, 8.5, 7), segment(86, 98, 72, 136, 7, 6), circle(70, 142, 6.5),
        segment(176, 54, 198, 96, 8.5, 7), segment(198, 96, 204, 134, 7, 6), circle(205, 140, 6.5),
        segment(132, 148, 128, 200, 11, 9), segment(128, 200, 126, 246, 9, 7.5),
        segment(158, 148, 164, 198, 11, 9), segment(164, 198, 172, 240, 9, 7.5),
        box(114, 242, 134, 254, 4), box(164, 236, 186, 248, 4),
    )


def _rune(canvas, x, y, angle, variant):
    strokes = [
        [((0, -4), (0, 4)), ((0, -4), (3, -1))],
        [((-2, -4), (-2, 4)), ((-2, 0), (2, -4)), ((-2, 0), (2, 4))],
        [((0, -4), (0, 4)), ((-3, -1), (3, 1))],
        [((-3, 4), (0, -4)), ((0, -4), (3, 4)), ((-1.5, 0), (1.5, 0))],
    ][variant % 4]
    for (ax, ay), (bx, by) in strokes:
        (ax, ay), (bx, by) = rotated([(x + ax, y + ay), (x + bx, y + by)], x, y, angle)
        canvas.fill(segment(ax, ay, bx, by, 0.6), INK_RED)


def player_board():
    width, height = 424, 296
    canvas = Canvas(width, height)

    def parchment(x, y):
        colour = mix((242, 232, 206), (220, 200, 160), fbm(x / 60, y / 60, 3, 4))
        edge = min(x, y, width - x, height - y)
        return mix(colour, (172, 132, 84), 0.55 * (1 - smoothstep(0, 24, edge))), 1.0
    canvas.shade(parchment)

    canvas.fill(ring(box(5, 5, 419, 291, 6), 2), INK_BROWN)
    canvas.fill(ring(box(10, 10, 414, 286, 4), 1), INK_BROWN, 0.7)
    for x, y in ((10, 10), (414, 10), (10, 286), (414, 286)):
        canvas.fill(polygon([(x, y - 5), (x + 5, y), (x, y + 5), (x - 5, y)]), INK_RED)

    figure = _figure()
    canvas.fill(figure, (176, 146, 108), 0.45, bounds=(50, 8, 220, 260))
    canvas.fill(ring(figure, 1.4), INK_BROWN, 0.75, bounds=(50, 8, 220, 260))
    for x, y in CHECK_PLACES:  # a socket behind each body-part check box
        socket = box(x - 5, y - 5, x + 29, y + 29, 5)
        canvas.fill(socket, PAPER_LIGHT)
        canvas.fill(ring(socket, 1.6), INK_RED)

    plaque = box(262, 38, 354, 78, 6)  # around the enchant-type combo box
    canvas.fill(plaque, PAPER_LIGHT)
    canvas.fill(ring(plaque, 1.6), INK_RED)
    for side_x in (255, 361):
        canvas.fill(polygon([(side_x, 52), (side_x + 6, 58), (side_x, 64), (side_x - 6, 58)]), INK_RED)

    rx, ry = 310, 176
    canvas.glow(rx, ry, 30, (60, 90, 200), 0.35)
    canvas.fill(ring(circle(rx, ry, 58), 2.2), INK_RED)
    canvas.fill(ring(circle(rx, ry, 47), 1.1), INK_RED)
    for k in range(12):
        angle = k * math.pi / 6
        _rune(canvas, rx + 52.5 * math.cos(angle), ry + 52.5 * math.sin(angle), angle + math.pi / 2, k)
    for start in (0, math.pi / 4):  # two squares, an eight-pointed star
        points = [(rx + 45 * math.cos(start + k * math.pi / 2), ry + 45 * math.sin(start + k * math.pi / 2))
                  for k in range(4)]
        for a, b in zip(points, points[1:] + points[:1]):
            canvas.fill(segment(a[0], a[1], b[0], b[1], 0.7), INK_RED, 0.85)
    canvas.glow(rx, ry, 14, (120, 160, 255), 0.5)
    canvas.fill(polygon([(rx, ry - 13), (rx + 9, ry), (rx, ry + 13), (rx - 9, ry)]), (36, 40, 110))
    canvas.fill(polygon([(rx, ry - 11), (rx + 7, ry), (rx, ry + 11), (rx - 7, ry)]),
                lambda x, y: mix((170, 200, 255), (60, 80, 200), (x - rx + 7 + y - ry + 11) / 36))

    ribbon = box(82, 262, 230, 292, 2)  # behind the hint label
    for sign, x in ((-1, 82), (1, 230)):
        tail = [(x, 266), (x + sign * 20, 266), (x + sign * 13, 277), (x + sign * 20, 288), (x, 288)]
        canvas.fill(polygon(tail), (216, 190, 150))
        canvas.fill(ring(polygon(tail), 1.2), INK_RED)
    canvas.fill(ribbon, PAPER_LIGHT)
    canvas.fill(ring(ribbon, 1.4), INK_RED)
    return canvas
