#!/usr/bin/env python3
"""Draws the product's icons into resources/icons/ as .ico files.

    tools/make-icons.py [OUTPUT_DIR]

quillmere.ico (resource 214) is the window icon of the session manager and the icon of a window
node in the session tree: two overlapping browser windows, a session of windows. tab.ico
(resource 213) is the icon of a tab node: a page with a tab on its top edge. Each file holds
16, 32 and 48 pixel images, 32 bits with alpha plus the 1-bit mask older systems draw with.

The shapes are laid out on a 16-unit grid and scaled, with 8 x 8 samples per pixel for smooth
edges. Only the standard library is used, and the output is the same on every run, so the files
can be kept in the repository and regenerated at will.
"""

import os
import struct
import sys

SIZES = (16, 32, 48)
SAMPLES = 8


def rounded_rect_contains(x, y, left, top, right, bottom, radius):
    if x < left or x >= right or y < top or y >= bottom:
        return False
    if radius <= 0:
        return True
    # Distance to the nearest corner circle's centre, only inside the corner squares.
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    dx, dy = x - cx, y - cy
    return dx * dx + dy * dy <= radius * radius


class Canvas:
    """A square RGBA image painted with anti-aliased rounded rectangles, in 16-unit coordinates."""

    def __init__(self, size):
        self.size = size
        self.scale = size / 16.0
        self.pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def rect(self, left, top, right, bottom, colour, radius=0.0, top_only=False):
        # Edges snap to whole pixels, so that straight edges stay sharp at every size.
        s = self.scale
        l, t, r, b, rad = round(left * s), round(top * s), round(right * s), round(bottom * s), radius * s
        # Square bottom corners: the shape is extended below and cut at the bottom edge.
        shape_bottom = b + rad if top_only else b
        for py in range(max(0, int(t)), min(self.size, int(b) + 1)):
            for px in range(max(0, int(l)), min(self.size, int(r) + 1)):
                hits = 0
                for sy in range(SAMPLES):
                    y = py + (sy + 0.5) / SAMPLES
                    if y >= b:
                        continue
                    for sx in range(SAMPLES):
                        x = px + (sx + 0.5) / SAMPLES
                        if rounded_rect_contains(x, y, l, t, r, shape_bottom, rad):
                            hits += 1
                if hits:
                    self.blend(px, py, colour, hits / (SAMPLES * SAMPLES))

    def framed(self, left, top, right, bottom, border, fill, radius=0.0, top_only=False):
        """A rectangle with a border one pixel wide, two in the largest image."""
        width = self.border_units()
        self.rect(left, top, right, bottom, border, radius, top_only)
        self.rect(left + width, top + width, right - width, bottom - width, fill,
                  max(0.0, radius - width), top_only)

    def border_units(self):
        return max(1, round(self.size / 24)) / self.scale

    def blend(self, x, y, colour, coverage):
        r, g, b = colour
        dr, dg, db, da = self.pixels[y][x]
        a = coverage
        out_a = a + da / 255.0 * (1 - a)
        if out_a <= 0:
            return

        def mix(src, dst):
            return (src * a + dst * (da / 255.0) * (1 - a)) / out_a

        self.pixels[y][x] = (round(mix(r, dr)), round(mix(g, dg)), round(mix(b, db)), round(out_a * 255))


# Colours: a blue the system's own selection is close to, with a darker outline.
OUTLINE = (31, 78, 140)
TITLE = (59, 125, 216)
BACK_OUTLINE = (72, 104, 146)
BACK_TITLE = (150, 186, 228)
BACK_BODY = (232, 240, 249)
BODY = (255, 255, 255)
LINE = (168, 180, 194)
PAGE_OUTLINE = (88, 104, 122)


def draw_session_icon(size):
    """Two browser windows, one behind the other."""
    c = Canvas(size)
    # The window behind, up and to the right.
    c.framed(5, 1, 16, 11, BACK_OUTLINE, BACK_BODY, radius=1.2)
    c.rect(5, 1, 16, 3.5, BACK_OUTLINE, radius=1.2, top_only=True)
    c.rect(5 + c.border_units(), 1 + c.border_units(), 16 - c.border_units(), 3.5, BACK_TITLE, radius=1.0, top_only=True)
    # The window in front, with its title bar and two lines of content.
    c.framed(0, 5, 12, 16, OUTLINE, BODY, radius=1.2)
    c.rect(0, 5, 12, 8, OUTLINE, radius=1.2, top_only=True)
    c.rect(c.border_units(), 5 + c.border_units(), 12 - c.border_units(), 8, TITLE, radius=1.0, top_only=True)
    if size >= 32:
        c.rect(2, 9.5, 10, 10.5, LINE)
        c.rect(2, 11.5, 8.5, 12.5, LINE)
        c.rect(2, 13.5, 9.5, 14.5, LINE)
    else:
        c.rect(2, 10, 10, 11, LINE)
        c.rect(2, 12, 8, 13, LINE)
    return c.pixels


def draw_tab_icon(size):
    """A page with a tab on its top edge."""
    c = Canvas(size)
    # The tab first, so that the page's top edge runs across its foot.
    c.framed(1, 1, 9, 6, OUTLINE, TITLE, radius=1.5, top_only=True)
    c.framed(1, 5, 15, 16, PAGE_OUTLINE, BODY, radius=0.8)
    # The tab opens into the page: no edge between them.
    c.rect(1 + c.border_units(), 5, 9 - c.border_units(), 5 + c.border_units(), TITLE)
    if size >= 32:
        for y in (7.5, 9.5, 11.5, 13.5):
            c.rect(3, y, 13 if y != 13.5 else 10, y + 1, LINE)
    else:
        for y, right in ((8, 13), (10, 13), (12, 10)):
            c.rect(3, y, right, y + 1, LINE)
    return c.pixels


def icon_image(pixels):
    """One image of an .ico: BITMAPINFOHEADER, 32-bit colour bottom-up, then the 1-bit mask."""
    size = len(pixels)
    colour = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def write_ico(path, images):
    count = len(images)
    directory = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    entries = bytearray()
    data = bytearray()
    for pixels in images:
        size = len(pixels)
        blob = icon_image(pixels)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    with open(path, "wb") as out:
        out.write(directory + entries + data)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "icons")
    os.makedirs(out_dir, exist_ok=True)
    for name, draw in (("quillmere.ico", draw_session_icon), ("tab.ico", draw_tab_icon)):
        path = os.path.join(out_dir, name)
        write_ico(path, [draw(size) for size in SIZES])
        print(path)


if __name__ == "__main__":
    main()
