"""The small pictures: prize slots, the spin button, the program icon, the
hand cursor, and the emblem they share with the main window."""

import math

from raster import (Canvas, box, circle, ellipse, gradient, mix, polygon, ring, segment, smoothstep, subtract,
                    union)

GOLD_LIGHT = (255, 226, 140)
GOLD = (214, 166, 74)
GOLD_DARK = (120, 78, 28)
INK = (20, 12, 24)


def emblem(canvas, cx, cy, size, detail=True):
    """The house emblem: a crescent moon cradling an upright sword in a gold-rimmed disc."""
    def p(u, v):
        return cx + (u - 0.5) * size, cy + (v - 0.5) * size

    radius = size / 2 - 0.5
    rim = max(1.2, size * 0.075)
    canvas.fill(circle(cx, cy, radius),
                lambda x, y: gradient([(0, GOLD_LIGHT), (0.55, GOLD), (1, GOLD_DARK)],
                                      (y - cy + radius) / (2 * radius)))
    canvas.fill(circle(cx, cy, radius - rim),
                lambda x, y: mix((44, 58, 120), (10, 12, 34), min(1.0, math.hypot(x - cx, y - cy - size * 0.1)
                                                                     / (radius - rim))))
    mx, my = p(0.47, 0.47)
    bx, by = p(0.58, 0.40)
    moon = subtract(circle(mx, my, size * 0.27), circle(bx, by, size * 0.235))
    canvas.fill(moon, lambda x, y: mix((255, 246, 214), (206, 186, 130), (y - my + size * 0.27) / (size * 0.54)))
    if not detail:
        return
    blade_top, guard = p(0.5, 0.17), p(0.5, 0.66)
    width = max(0.7, size * 0.032)
    canvas.fill(segment(blade_top[0], blade_top[1], guard[0], guard[1], width * 0.4, width * 1.1),
                lambda x, y: (236, 240, 252) if x < blade_top[0] else (170, 178, 200))
    left, right = p(0.35, 0.66), p(0.65, 0.66)
    canvas.fill(segment(left[0], left[1], right[0], right[1], width), GOLD_LIGHT)
    grip = p(0.5, 0.78)
    canvas.fill(segment(guard[0], guard[1], grip[0], grip[1], width * 0.85), (96, 52, 30))
    pommel = p(0.5, 0.81)
    canvas.fill(circle(pommel[0], pommel[1], width * 1.3), GOLD)


# --- prize slots ------------------------------------------------------------

def _slot_tile(centre, edge):
    canvas = Canvas(32, 32, edge)
    canvas.shade(lambda x, y: (mix(centre, edge, min(1.0, math.hypot(x - 16, y - 14) / 20)), 1.0))
    canvas.fill(ring(box(0.5, 0.5, 31.5, 31.5, 4), 1.0), GOLD, 0.9)
    canvas.fill(ring(box(2, 2, 30, 30, 3), 0.8), GOLD_LIGHT, 0.25)
    return canvas


def _sparkle(canvas, x, y, reach, strength=1.0):
    canvas.fill(union(segment(x - reach, y, x + reach, y, 0.1, 0.1), segment(x, y - reach, x, y + reach, 0.1)),
                (255, 255, 255), 0.55 * strength)
    canvas.fill(union(segment(x - reach, y, x, y, 0.05, 0.7), segment(x, y, x + reach, y, 0.7, 0.05),
                      segment(x, y - reach, x, y, 0.05, 0.7), segment(x, y, x, y + reach, 0.7, 0.05)),
                (255, 255, 255), strength)


def ruby_slot():
    canvas = _slot_tile((150, 24, 40), (40, 4, 14))
    canvas.glow(16, 17, 10, (255, 90, 90), 0.35)
    outer = [(10, 7), (22, 7), (28, 13), (28, 21), (22, 27), (10, 27), (4, 21), (4, 13)]
    table = [(12, 11), (20, 11), (23, 14), (23, 20), (20, 23), (12, 23), (9, 20), (9, 14)]
    canvas.fill(polygon(outer), (60, 0, 12))
    canvas.fill(polygon([(x * 0.94 + 1, y * 0.94 + 1) for x, y in outer]),
                lambda x, y: gradient([(0, (255, 140, 140)), (0.5, (214, 30, 50)), (1, (110, 6, 22))], (y - 7) / 20))
    canvas.fill(polygon(table), lambda x, y: mix((250, 96, 104), (180, 16, 36), (y - 11) / 12))
    for (ax, ay), (bx, by) in zip(outer, table):
        canvas.fill(segment(ax * 0.94 + 1, ay * 0.94 + 1, bx, by, 0.35), (255, 190, 190), 0.6)
    canvas.fill(polygon([(12.5, 12), (17, 12), (13, 16)]), (255, 235, 235), 0.75)
    _sparkle(canvas, 25, 7, 4.5)
    return canvas


def coins_slot():
    canvas = _slot_tile((110, 72, 20), (30, 18, 6))
    canvas.glow(16, 18, 11, (255, 200, 80), 0.25)

    def flat_coin(cx, cy):
        canvas.fill(union(ellipse(cx, cy + 2.5, 8.5, 3.6), box(cx - 8.5, cy, cx + 8.5, cy + 2.5)), (132, 86, 22))
        canvas.fill(ellipse(cx, cy, 8.5, 3.6), lambda x, y: mix((255, 226, 120), (206, 150, 46), (x - cx + 8) / 16))
        canvas.fill(ring(ellipse(cx, cy, 6.2, 2.5), 0.7), (160, 104, 28), 0.8)

    for level in range(3):
        flat_coin(11.5, 24 - level * 3.6)
    cx, cy = 20.5, 13
    canvas.fill(circle(cx + 0.6, cy + 0.8, 8.4), (90, 56, 14))
    canvas.fill(circle(cx, cy, 8.2), lambda x, y: gradient([(0, GOLD_LIGHT), (0.6, (230, 170, 60)),
                                                             (1, (170, 110, 30))], (x - cx + y - cy + 11) / 22))
    canvas.fill(ring(circle(cx, cy, 6.3), 0.9), (170, 112, 30))
    canvas.fill(box(cx - 2.3, cy - 2.3, cx + 2.3, cy + 2.3, 0.3), (76, 46, 12))  # the square hole of a cash coin
    canvas.fill(ring(box(cx - 2.3, cy - 2.3, cx + 2.3, cy + 2.3, 0.3), 0.8), (255, 236, 160), 0.7)
    _sparkle(canvas, 26.5, 6, 3.5, 0.9)
    return canvas


def diamond_slot():
    canvas = _slot_tile((30, 70, 150), (6, 12, 40))
    canvas.glow(16, 16, 11, (120, 200, 255), 0.3)
    girdle, crown_top, tip = 13.5, 7.5, 28
    outline = [(9.5, crown_top), (22.5, crown_top), (28.5, girdle), (16, tip), (3.5, girdle)]
    canvas.fill(polygon(outline), (16, 36, 86))
    inner = [(10, crown_top + 0.9), (22, crown_top + 0.9), (27.2, girdle), (16, tip - 1.6), (4.8, girdle)]
    canvas.fill(polygon(inner), (90, 160, 235))
    facets = [
        ([(10, 8.4), (16, 8.4), (13, girdle)], (214, 244, 255)),
        ([(16, 8.4), (22, 8.4), (19, girdle)], (160, 220, 255)),
        ([(10, 8.4), (13, girdle), (4.8, girdle)], (130, 200, 250)),
        ([(22, 8.4), (27.2, girdle), (19, girdle)], (84, 150, 230)),
        ([(4.8, girdle), (13, girdle), (16, tip - 1.6)], (120, 190, 250)),
        ([(13, girdle), (19, girdle), (16, tip - 1.6)], (200, 236, 255)),
        ([(19, girdle), (27.2, girdle), (16, tip - 1.6)], (60, 118, 210)),
    ]
    for points, colour in facets:
        canvas.fill(polygon(points), colour, 0.9)
    canvas.fill(segment(4.8, girdle, 27.2, girdle, 0.35), (230, 250, 255), 0.8)
    _sparkle(canvas, 8, 7, 4)
    _sparkle(canvas, 25, 22, 3, 0.7)
    return canvas


def amethyst_slot():
    canvas = _slot_tile((100, 40, 150), (22, 6, 40))
    canvas.glow(16, 18, 11, (210, 130, 255), 0.3)

    def crystal(base_x, base_y, height, width, tilt):
        half = width / 2
        points = [(-half, 0), (-half, -height * 0.72), (0, -height), (half, -height * 0.72), (half, 0)]
        shape = [(base_x + x + tilt * -y, base_y + y) for x, y in points]
        canvas.fill(polygon(shape), (44, 10, 70))
        inset = [(base_x + x * 0.78 + tilt * -y * 0.97, base_y + y * 0.95 - 0.4) for x, y in points]
        mid_x = base_x + tilt * height * 0.5
        canvas.fill(polygon(inset), lambda x, y: (214, 150, 255) if x < mid_x else (128, 54, 190))
        canvas.fill(segment(base_x + tilt * height, base_y - height * 0.97, base_x, base_y - 1, 0.35),
                    (240, 210, 255), 0.7)

    crystal(10.5, 27, 13, 6, -0.28)
    crystal(22, 27, 12, 6, 0.3)
    crystal(16, 28, 21, 7.5, 0.0)
    canvas.fill(ellipse(16, 27.6, 11, 2.2), (60, 30, 70))
    _sparkle(canvas, 24.5, 7.5, 4)
    return canvas


# --- the lucky-draw button ------------------------------------------------------

def spin_button():
    canvas = Canvas(88, 88, (0, 0, 0), alpha=0.0)
    c = 44.0
    canvas.fill(circle(c + 0.8, c + 1.6, 42.6), (0, 0, 0), 0.35)
    canvas.fill(circle(c, c, 42.5), lambda x, y: gradient([(0, GOLD_LIGHT), (0.5, GOLD), (1, GOLD_DARK)],
                                                         (y - 1.5) / 85))
    canvas.fill(ring(circle(c, c, 36.6), 1.2), (90, 50, 14))
    canvas.fill(circle(c, c, 36), lambda x, y: gradient([(0, (255, 150, 80)), (0.45, (214, 48, 36)),
                                                        (1, (110, 10, 16))],
                                                       math.hypot(x - c, y - c + 12) / 46))
    for k in range(12):
        angle = k * math.pi / 6
        bx, by = c + 39.6 * math.cos(angle), c + 39.6 * math.sin(angle)
        canvas.fill(circle(bx, by, 2.3), (255, 250, 210))
        canvas.fill(circle(bx - 0.6, by - 0.6, 0.9), (255, 255, 255), 0.8)
    # A circular arrow: most of a ring, ending in a head.
    start, end, radius = math.radians(-60), math.radians(220), 17.5

    def arc(x, y):
        angle = math.atan2(y - c, x - c)
        if angle < start:
            angle += 2 * math.pi
        if start <= angle <= end:
            return abs(math.hypot(x - c, y - c) - radius) - 3.2
        ends = [(c + radius * math.cos(a), c + radius * math.sin(a)) for a in (start, end)]
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - 3.2

    hx, hy = c + radius * math.cos(start), c + radius * math.sin(start)
    tangent = (math.sin(start), -math.cos(start))  # direction of travel at the start, counter-clockwise
    normal = (math.cos(start), math.sin(start))
    head = [(hx + normal[0] * 8.5, hy + normal[1] * 8.5), (hx - normal[0] * 8.5, hy - normal[1] * 8.5),
            (hx + tangent[0] * 10, hy + tangent[1] * 10)]
    arrow = union(arc, polygon(head))
    canvas.fill(lambda x, y: arrow(x - 0.8, y - 1.2), (70, 6, 10), 0.55)
    canvas.fill(arrow, lambda x, y: mix((255, 252, 236), (255, 214, 140), (y - 20) / 46))
    canvas.shade(lambda x, y: ((255, 255, 255), 0.32 * (1 - smoothstep(14, 36, y)))
                 if math.hypot((x - c) / 27, (y - 24) / 14) < 1 else None)
    return canvas


# --- program icon and hand cursor -------------------------------------------

def program_icon(size):
    canvas = Canvas(size, size, (0, 0, 0), alpha=0.0)
    emblem(canvas, size / 2, size / 2, size, detail=size >= 32)
    return canvas


def hand_cursor():
    canvas = Canvas(32, 32, (0, 0, 0), alpha=0.0)
    hand = union(
        segment(11.5, 3.6, 11.5, 16, 2.6),
        segment(15.4, 11.2, 15.4, 17, 2.5),
        segment(19.2, 12.4, 19.2, 18, 2.4),
        segment(22.8, 14, 22.8, 19, 2.2),
        box(9, 14.5, 25, 27.5, 4.2),
        segment(5.6, 16.4, 10.5, 22.5, 2.5),
    )
    canvas.fill(hand, (0, 0, 0))
    canvas.fill(lambda x, y: hand(x, y) + 1.25, (255, 255, 255))
    for x, top in ((13.5, 14.2), (17.3, 15.4), (21, 16.6)):
        canvas.fill(segment(x, top, x, top + 3.2, 0.45), (0, 0, 0), 0.9)
    return canvas


HAND_HOTSPOT = (11, 1)
