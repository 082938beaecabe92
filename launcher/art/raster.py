"""A small float canvas with anti-aliased shapes drawn from signed distances.

Colours are (r, g, b) floats in 0..255; coverage and alpha are 0..1. A shape
is a function (x, y) -> signed distance in pixels, negative inside; drawing
samples it at pixel centres and turns the distance into one pixel of
anti-aliased edge.
"""

import math


def clamp(value, low=0.0, high=1.0):
    return low if value < low else high if value > high else value


def mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def smoothstep(edge0, edge1, x):
    t = clamp((x - edge0) / (edge1 - edge0))
    return t * t * (3 - 2 * t)


def gradient(stops, t):
    """Colour at t on a list of (position, colour) stops sorted by position."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0))
    return stops[-1][1]


# --- signed distances -------------------------------------------------------

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ellipse(cx, cy, rx, ry):
    # Scaled-circle approximation; exact enough for one pixel of edge.
    k = min(rx, ry)
    return lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1.0) * k


def box(x0, y0, x1, y1, radius=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def distance(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return distance


def segment(ax, ay, bx, by, r0, r1=None):
    """A capsule from a to b whose radius runs from r0 to r1."""
    r1 = r0 if r1 is None else r1
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9

    def distance(x, y):
        t = clamp(((x - ax) * dx + (y - ay) * dy) / length2)
        return math.hypot(x - ax - dx * t, y - ay - dy * t) - (r0 + (r1 - r0) * t)
    return distance


def polygon(points):
    n = len(points)

    def distance(x, y):
        best = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            dx, dy = bx - ax, by - ay
            t = clamp(((x - ax) * dx + (y - ay) * dy) / ((dx * dx + dy * dy) or 1e-9))
            best = min(best, math.hypot(x - ax - dx * t, y - ay - dy * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * dx / (by - ay):
                inside = not inside
        return -best if inside else best
    return distance


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def subtract(shape, cut):
    return lambda x, y: max(shape(x, y), -cut(x, y))


def intersect(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def ring(shape, width):
    """The band of the given width centred on a shape's outline."""
    return lambda x, y: abs(shape(x, y)) - width / 2


def rotated(points, cx, cy, angle):
    c, s = math.cos(angle), math.sin(angle)
    return [(cx + (x - cx) * c - (y - cy) * s, cy + (x - cx) * s + (y - cy) * c) for x, y in points]


def coverage(d):
    return clamp(0.5 - d)


# --- noise ------------------------------------------------------------------

def hash01(ix, iy, seed):
    h = (ix * 374761393 + iy * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0


def value_noise(x, y, seed):
    ix, iy = math.floor(x), math.floor(y)
    fx, fy = x - ix, y - iy
    sx, sy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    a, b = hash01(ix, iy, seed), hash01(ix + 1, iy, seed)
    c, d = hash01(ix, iy + 1, seed), hash01(ix + 1, iy + 1, seed)
    top = a + (b - a) * sx
    return top + (c + (d - c) * sx - top) * sy


def fbm(x, y, seed, octaves=4):
    total, amplitude, norm = 0.0, 1.0, 0.0
    for octave in range(octaves):
        total += value_noise(x, y, seed + octave * 31) * amplitude
        norm += amplitude
        x, y, amplitude = x * 2.03, y * 2.03, amplitude * 0.5
    return total / norm


class Random:
    """A fixed linear congruential sequence, so every run draws the same art."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state / 4294967296.0

    def uniform(self, low, high):
        return low + (high - low) * self.next()


# --- canvas -----------------------------------------------------------------

class Canvas:
    def __init__(self, width, height, colour=(0, 0, 0), alpha=1.0):
        self.width, self.height = width, height
        n = width * height
        self.r = [float(colour[0])] * n
        self.g = [float(colour[1])] * n
        self.b = [float(colour[2])] * n
        self.a = [float(alpha)] * n

    def _bounds(self, bounds):
        if bounds is None:
            return 0, 0, self.width, self.height
        x0, y0, x1, y1 = bounds
        return (max(0, int(math.floor(x0))), max(0, int(math.floor(y0))),
                min(self.width, int(math.ceil(x1))), min(self.height, int(math.ceil(y1))))

    def put(self, i, colour, amount):
        """Source-over of colour with the given amount onto pixel i."""
        if amount <= 0:
            return
        a = self.a[i]
        out = amount + a * (1 - amount)
        if out <= 0:
            return
        keep = a * (1 - amount) / out
        give = amount / out
        self.r[i] = colour[0] * give + self.r[i] * keep
        self.g[i] = colour[1] * give + self.g[i] * keep
        self.b[i] = colour[2] * give + self.b[i] * keep
        self.a[i] = out

    def shade(self, function, bounds=None):
        """function(x, y) -> (colour, amount) or None, painted over the area."""
        x0, y0, x1, y1 = self._bounds(bounds)
        for y in range(y0, y1):
            row = y * self.width
            for x in range(x0, x1):
                result = function(x + 0.5, y + 0.5)
                if result is not None:
                    self.put(row + x, result[0], result[1])

    def fill(self, shape, colour, opacity=1.0, bounds=None):
        """Fills a signed-distance shape; colour may be a function of (x, y)."""
        x0, y0, x1, y1 = self._bounds(bounds)
        solid = not callable(colour)
        for y in range(y0, y1):
            row = y * self.width
            py = y + 0.5
            for x in range(x0, x1):
                px = x + 0.5
                amount = coverage(shape(px, py))
                if amount > 0:
                    self.put(row + x, colour if solid else colour(px, py), amount * opacity)

    def glow(self, cx, cy, radius, colour, strength, bounds=None):
        """Adds light that falls off as exp(-(d / radius)^2) from a point."""
        if bounds is None:
            reach = radius * 3
            bounds = (cx - reach, cy - reach, cx + reach, cy + reach)
        x0, y0, x1, y1 = self._bounds(bounds)
        for y in range(y0, y1):
            row = y * self.width
            for x in range(x0, x1):
                d2 = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) / (radius * radius)
                k = strength * math.exp(-d2)
                if k > 0.002:
                    i = row + x
                    self.r[i] = min(255.0, self.r[i] + colour[0] * k)
                    self.g[i] = min(255.0, self.g[i] + colour[1] * k)
                    self.b[i] = min(255.0, self.b[i] + colour[2] * k)

    def pixels_rgb(self):
        """Rows of (r, g, b) bytes, top row first."""
        out = bytearray()
        for i in range(self.width * self.height):
            out += bytes((_byte(self.r[i]), _byte(self.g[i]), _byte(self.b[i])))
        return out

    def pixels_rgba(self):
        out = bytearray()
        for i in range(self.width * self.height):
            out += bytes((_byte(self.r[i]), _byte(self.g[i]), _byte(self.b[i]), _byte(self.a[i] * 255)))
        return out


def _byte(value):
    v = int(value + 0.5)
    return 0 if v < 0 else 255 if v > 255 else v
