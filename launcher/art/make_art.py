#!/usr/bin/env python3
"""Draws the launcher's pictures, icon, cursor and click sound.

    python3 make_art.py [--out DIRECTORY] [--preview DIRECTORY]

Writes the files beside this script unless --out says otherwise; --preview
also writes PNG renders of every picture (small ones enlarged) for looking
at them. Standard library only, and every run gives the same bytes.
"""

import argparse
import os
import sys

sys.dont_write_bytecode = True  # the build globs this folder; keep it free of caches

import image_files  # noqa: E402
from click_sound import RATE, click_samples  # noqa: E402
from scenes import lucky_board, main_background, player_board  # noqa: E402
from small_art import (HAND_HOTSPOT, amethyst_slot, coins_slot, diamond_slot, hand_cursor, program_icon,  # noqa: E402
                       ruby_slot, spin_button)


def indexed(canvas):
    return image_files.quantize(canvas.pixels_rgb())


def build():
    """Returns {file name: bytes} and {preview name: (width, height, rgb bytes)}."""
    files, previews = {}, {}

    def keep(name, canvas, data, scale=1):
        files[name] = data
        previews[name] = _enlarged(canvas, scale)

    background = main_background()
    keep("main_background.png", background, image_files.png(600, 450, background.pixels_rgb()))
    board = lucky_board()
    keep("lucky_board.jpg", board, image_files.jpeg(360, 368, board.pixels_rgb()))
    board = player_board()
    keep("player_board.bmp", board, image_files.bmp8(424, 296, *indexed(board)))
    for name, draw in (("slot_ruby.gif", ruby_slot), ("slot_coins.gif", coins_slot),
                       ("slot_diamond.gif", diamond_slot), ("slot_amethyst.gif", amethyst_slot)):
        slot = draw()
        keep(name, slot, image_files.gif(32, 32, *indexed(slot)), scale=4)
    button = spin_button()
    keep("spin_button.png", button, image_files.png(88, 88, button.pixels_rgba(), alpha=True), scale=2)

    icons = [(size, program_icon(size)) for size in (16, 32, 48)]
    files["lumadrel.ico"] = image_files.icon_file([(size, canvas.pixels_rgba()) for size, canvas in icons])
    for size, canvas in icons:
        previews["lumadrel_%d.ico" % size] = _enlarged(canvas, 192 // size)
    cursor = hand_cursor()
    files["hand.cur"] = image_files.icon_file([(32, cursor.pixels_rgba())], hotspot=HAND_HOTSPOT)
    previews["hand.cur"] = _enlarged(cursor, 6)
    files["click.wav"] = image_files.wav(click_samples(), RATE)
    return files, previews


def _enlarged(canvas, scale):
    """RGB render over a light grey chequer (for translucent pictures), enlarged without smoothing."""
    w, h = canvas.width, canvas.height
    rgba = canvas.pixels_rgba()
    out = bytearray()
    for y in range(h * scale):
        for x in range(w * scale):
            i = ((y // scale) * w + x // scale) * 4
            a = rgba[i + 3] / 255
            back = 200 if ((x // 8) + (y // 8)) % 2 else 235
            out += bytes(int(rgba[i + k] * a + back * (1 - a) + 0.5) for k in range(3))
    return w * scale, h * scale, bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=here)
    parser.add_argument("--preview")
    arguments = parser.parse_args()
    files, previews = build()
    os.makedirs(arguments.out, exist_ok=True)
    for name, data in sorted(files.items()):
        with open(os.path.join(arguments.out, name), "wb") as f:
            f.write(data)
        print("%-20s %7d bytes" % (name, len(data)))
    if arguments.preview:
        os.makedirs(arguments.preview, exist_ok=True)
        for name, (w, h, rgb) in previews.items():
            with open(os.path.join(arguments.preview, name.replace(".", "_") + ".png"), "wb") as f:
                f.write(image_files.png(w, h, rgb))


if __name__ == "__main__":
    main()
