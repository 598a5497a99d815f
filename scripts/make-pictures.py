#!/usr/bin/env python3
"""Draws Voltrim's pictures: the six bitmaps of the settings dialog and the
program's icon, written into res/ (or the folder given with --out).

    python3 scripts/make-pictures.py            # rewrite res/*.bmp, res/voltrim.ico
    python3 scripts/make-pictures.py --check    # fail if res/ differs from the drawing

Standard library only. Each picture is a list of rows of palette indexes (or
RGB triples for the 24-bit ones), drawn shadow first and shape on top.
"""
import argparse
import os
import struct
import sys

GROUND = (251, 251, 251)
WHITE = (255, 255, 255)
SHADOW = (204, 204, 204)
RED = (255, 0, 0)
GREEN = (0, 255, 0)
YELLOW = (255, 255, 0)
BLACK = (0, 0, 0)

# The 16 colours of the icon images, in the usual order of icon editors.
ICON_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (128, 128, 128),
    (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
ICON_BLACK, ICON_DARK_GREY, ICON_LIGHT_GREY, ICON_RED = 0, 7, 8, 9


class Canvas:
    def __init__(self, width, height, ground):
        self.width, self.height = width, height
        self.rows = [[ground] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def shape(self, points, colour, shadow=None, dx=0, dy=1):
        """Draws a set of (x, y) points, after their shadow moved by (dx, dy)."""
        if shadow is not None:
            for x, y in points:
                self.put(x + dx, y + dy, shadow)
        for x, y in points:
            self.put(x, y, colour)


def rect(x0, y0, x1, y1):
    """The points of the filled rectangle from (x0, y0) to (x1, y1) inclusive."""
    return {(x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1)}


def thick_line(x0, y0, x1, y1):
    """A line two pixels wide (the pixel and its right neighbour)."""
    steps = max(abs(x1 - x0), abs(y1 - y0))
    points = set()
    for i in range(steps + 1):
        x = x0 + round((x1 - x0) * i / steps)
        y = y0 + round((y1 - y0) * i / steps)
        points |= {(x, y), (x + 1, y)}
    return points


# An arrow pointing up in a 7 x 7 cell; the others are turns of it.
ARROW_UP = [
    "...#...",
    "..###..",
    ".#####.",
    "#######",
    "..###..",
    "..###..",
    "..###..",
]


def arrow(direction, left, top):
    size = len(ARROW_UP)
    points = set()
    for r, line in enumerate(ARROW_UP):
        for c, ch in enumerate(line):
            if ch != "#":
                continue
            x, y = {
                "up": (c, r),
                "down": (c, size - 1 - r),
                "left": (r, c),
                "right": (size - 1 - r, c),
            }[direction]
            points.add((left + x, top + y))
    return points


def minus():
    canvas = Canvas(10, 10, GROUND)
    canvas.shape(rect(1, 4, 7, 4), RED, SHADOW)
    return canvas


def plus():
    canvas = Canvas(10, 10, GROUND)
    canvas.shape(rect(1, 4, 7, 4) | rect(4, 1, 4, 7), RED, SHADOW)
    return canvas


def arrows():
    canvas = Canvas(50, 10, GROUND)
    for i, direction in enumerate(["up", "down", "left", "right"]):
        canvas.shape(arrow(direction, 3 + 12 * i, 1), RED, SHADOW)
    return canvas


def check_mark():
    canvas = Canvas(16, 16, WHITE)
    canvas.shape(thick_line(2, 8, 5, 11) | thick_line(5, 11, 12, 3), GREEN, SHADOW, 1, 1)
    return canvas


def cross():
    canvas = Canvas(16, 16, WHITE)
    canvas.shape(thick_line(2, 2, 12, 12) | thick_line(12, 2, 2, 12), RED, SHADOW, 1, 1)
    return canvas


def exclamation():
    canvas = Canvas(16, 16, WHITE)
    bar, dot = rect(6, 1, 9, 9), rect(6, 11, 9, 14)
    # The shadow first, then the black outline, then the yellow inside.
    canvas.shape(bar | dot, BLACK, SHADOW, 1, 1)
    canvas.shape(rect(7, 2, 8, 8) | rect(7, 12, 8, 13), YELLOW)
    return canvas


def battery_icon(size):
    """A battery lying on its side below a red line; None marks transparency."""
    canvas = Canvas(size, size, None)
    if size == 32:
        line, body, nub, charge_end = rect(2, 5, 29, 6), (2, 12, 27, 25), rect(28, 16, 30, 21), 20
    else:
        line, body, nub, charge_end = rect(1, 3, 14, 3), (1, 7, 13, 13), rect(14, 9, 14, 11), 9
    x0, y0, x1, y1 = body
    canvas.shape(line, ICON_RED)
    canvas.shape(rect(x0, y0, x1, y1) | nub, ICON_BLACK)
    canvas.shape(rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1), ICON_LIGHT_GREY)
    canvas.shape(rect(x0 + 1, y0 + 1, charge_end, y1 - 1), ICON_DARK_GREY)
    return canvas


def info_header(width, height, bits, image_size, colours_used=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0,
                       colours_used, 0)


def padded(row):
    return row + b"\0" * (-len(row) % 4)


def dib_8bit(canvas):
    """Header, a 256-entry palette (the picture's colours first) and the rows."""
    colours = []
    for row in canvas.rows:
        for colour in row:
            if colour not in colours:
                colours.append(colour)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in colours)
    palette += b"\0" * (4 * 256 - len(palette))
    pixels = b"".join(padded(bytes(colours.index(c) for c in row))
                      for row in reversed(canvas.rows))
    return info_header(canvas.width, canvas.height, 8, len(pixels)) + palette + pixels


def dib_24bit(canvas):
    pixels = b"".join(padded(b"".join(struct.pack("BBB", b, g, r) for r, g, b in row))
                      for row in reversed(canvas.rows))
    return info_header(canvas.width, canvas.height, 24, len(pixels)) + pixels


def bitmap_file(dib, palette_entries):
    """A .bmp file: the 14-byte file header before the DIB."""
    bits_offset = 14 + 40 + 4 * palette_entries
    return struct.pack("<2sIHHI", b"BM", 14 + len(dib), 0, 0, bits_offset) + dib


def icon_image(canvas):
    """A 16-colour icon image: header of double height, palette, colours, mask."""
    size = canvas.width
    colour_rows, mask_rows = [], []
    for row in reversed(canvas.rows):
        indexes = [ICON_BLACK if c is None else c for c in row]
        colour_rows.append(padded(bytes((indexes[i] << 4) | indexes[i + 1]
                                        for i in range(0, size, 2))))
        bits = 0
        for c in row:
            bits = (bits << 1) | (c is None)
        mask_rows.append(padded(bits.to_bytes(size // 8, "big")))
    pixels = b"".join(colour_rows) + b"".join(mask_rows)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in ICON_PALETTE)
    return info_header(size, 2 * size, 4, len(pixels)) + palette + pixels


def icon_file(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b""
    for size, image in images:
        directory += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
        data += image
    return directory + data


def pictures():
    return {
        "minus.bmp": bitmap_file(dib_8bit(minus()), 256),
        "plus.bmp": bitmap_file(dib_8bit(plus()), 256),
        "arrows.bmp": bitmap_file(dib_8bit(arrows()), 256),
        "check.bmp": bitmap_file(dib_24bit(check_mark()), 0),
        "cross.bmp": bitmap_file(dib_24bit(cross()), 0),
        "exclamation.bmp": bitmap_file(dib_24bit(exclamation()), 0),
        "voltrim.ico": icon_file([(size, icon_image(battery_icon(size))) for size in (32, 16)]),
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "..", "res"))
    parser.add_argument("--check", action="store_true",
                        help="compare with the files in --out instead of writing them")
    args = parser.parse_args()
    stale = []
    for name, data in pictures().items():
        path = os.path.join(args.out, name)
        if args.check:
            with open(path, "rb") as f:
                if f.read() != data:
                    stale.append(name)
        else:
            with open(path, "wb") as f:
                f.write(data)
    if stale:
        sys.exit("out of date, rerun scripts/make-pictures.py: " + ", ".join(stale))


if __name__ == "__main__":
    main()
