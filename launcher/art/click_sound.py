"""The built-in button click: a soft wooden tick, about a tenth of a second."""

import math

from raster import Random

RATE = 22050


def click_samples():
    random = Random(0xC11C)
    samples = []
    noise = 0.0
    for n in range(int(RATE * 0.11)):
        t = n / RATE
        attack = min(1.0, t / 0.0008)  # no step at the start, so no pop
        # A damped knock in two partials and a very short breath of filtered noise.
        body = 0.55 * math.sin(2 * math.pi * 620 * t) * math.exp(-t / 0.018)
        tick = 0.30 * math.sin(2 * math.pi * 1850 * t + 0.4) * math.exp(-t / 0.006)
        noise += 0.35 * ((random.next() * 2 - 1) - noise)
        breath = 0.25 * noise * math.exp(-t / 0.0025)
        samples.append(0.42 * attack * (body + tick + breath))
    return samples
