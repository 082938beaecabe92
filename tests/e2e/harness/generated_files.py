"""Generated contents for update tests and benches: the same changes made
the same way wherever a file is compared with its new version."""

import random


def scattered(data: bytes, share: float, piece: int, seed: int) -> bytes:
    """The data with `share` of it overwritten in pieces of `piece` bytes at random places."""
    changed = bytearray(data)
    rng = random.Random(seed)
    for _ in range(int(len(data) * share / piece)):
        at = rng.randrange(0, len(data) - piece)
        changed[at:at + piece] = rng.randbytes(piece)
    return bytes(changed)
