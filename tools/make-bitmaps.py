#!/usr/bin/env python3
"""Draws the tree's bitmaps into resources/bitmaps/ as 24-bit BMP files.

    tools/make-bitmaps.py [OUTPUT_DIR]

The expand buttons (two 9x9 images side by side) use magenta as their transparent colour; the
image list of the tick boxes has no mask, so they are fully opaque and never contain its mask
colour (which would come out black). Only the standard library is used, and the output is the
same on every run, so the files can be kept in the repository and regenerated at will.
"""

import os
import struct
import sys

MAGENTA = (255, 0, 255)


def write_bmp(path, pixels):
    """pixels: rows top to bottom of (r, g, b) tuples."""
    height = len(pixels)
    width = len(pixels[0])
    row_size = (width * 3 + 3) & ~3
    image = bytearray()
    for row in reversed(pixels):  # a BMP is stored bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (row_size - len(line))
        image += line
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(image), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(file_header + info_header + image)


def blend(c0, c1, t):
    return tuple(round(a + (b - a) * t) for a, b in zip(c0, c1))


def framed_box(size, border, fill, outside=None):
    """A size x size box: a one-pixel border around fill(x, y); the corners are outside's colour
    when one is given (transparent for the buttons)."""
    img = [[None] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if outside and x in (0, size - 1) and y in (0, size - 1):
                img[y][x] = outside
            elif x in (0, size - 1) or y in (0, size - 1):
                img[y][x] = border
            else:
                img[y][x] = fill(x, y)
    return img


def expand_button(expanded):
    """A 9x9 light box with rounded (transparent) corners holding a plus or a minus."""
    sign = (43, 43, 43)
    size = 9
    # White at the top, a soft grey at the bottom.
    img = framed_box(size, (142, 143, 143),
                     lambda x, y: blend((255, 255, 255), (222, 222, 222), (y - 1) / (size - 3)), MAGENTA)
    for x in range(2, 7):
        img[4][x] = sign
    if not expanded:
        for y in range(2, 7):
            img[y][4] = sign
    return img


def tick_box(mark):
    """A 13x13 box: mark is None (clear), 'tick' or 'square' (partly ticked)."""
    green = (33, 161, 33)
    # A faint shade in the top left corner fading to white, as a sunken box looks.
    img = framed_box(13, (74, 105, 132),
                     lambda x, y: blend((220, 220, 215), (255, 255, 255), min(1.0, (x + y - 2) / 12)))
    if mark == "tick":
        glyph = [
            "......#",
            ".....##",
            "#...###",
            "##.###.",
            "#####..",
            ".###...",
            "..#....",
        ]
        for gy, line in enumerate(glyph):
            for gx, ch in enumerate(line):
                if ch == "#":
                    img[3 + gy][3 + gx] = green
    elif mark == "square":
        for y in range(3, 10):
            for x in range(3, 10):
                img[y][x] = green
    return img


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "bitmaps")
    os.makedirs(out_dir, exist_ok=True)

    collapsed, expanded = expand_button(False), expand_button(True)
    buttons = [collapsed[y] + expanded[y] for y in range(9)]  # image 0 plus, image 1 minus
    write_bmp(os.path.join(out_dir, "tree_buttons.bmp"), buttons)
    write_bmp(os.path.join(out_dir, "tick_box_ticked.bmp"), tick_box("tick"))
    write_bmp(os.path.join(out_dir, "tick_box_clear.bmp"), tick_box(None))
    write_bmp(os.path.join(out_dir, "tick_box_partly.bmp"), tick_box("square"))


if __name__ == "__main__":
    main()
