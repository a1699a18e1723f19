#!/usr/bin/env python3
"""Writes the small bitmaps of the chart edge buttons into resources/: the
date-link button (pressed, raised), the stock-link button (pressed, raised)
and the keep-stock button (pressed, raised). 16-colour BMPs of 12 x 10
pixels on light grey, which the program maps to the button face colours.
Run once; the .bmp files are kept in the repository.

    python3 tools/make_button_bitmaps.py [output folder]
"""
import os
import struct
import sys

WIDTH, HEIGHT = 12, 10
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, BACKGROUND = 0, 8, 7

# '#' marks the glyph.
CALENDAR = [
    "............",
    "..#......#..",
    ".##########.",
    ".#........#.",
    ".##########.",
    ".#.#.#.#..#.",
    ".#........#.",
    ".#.#.#.#..#.",
    ".##########.",
    "............",
]
CHAIN = [
    "............",
    "............",
    ".#####......",
    ".#...#####..",
    ".#...#.#.#..",
    ".#####.#.##.",
    "...#...#..#.",
    "...#####..#.",
    "......#####.",
    "............",
]
LOCK = [
    "....####....",
    "...#....#...",
    "...#....#...",
    "..########..",
    "..#......#..",
    "..#..##..#..",
    "..#..##..#..",
    "..#......#..",
    "..########..",
    "............",
]

# (file name, glyph, colour): pressed buttons show a black glyph, raised ones a grey one.
BITMAPS = [
    ("date_link_on.bmp", CALENDAR, BLACK), ("date_link_off.bmp", CALENDAR, GREY),
    ("stock_link_on.bmp", CHAIN, BLACK), ("stock_link_off.bmp", CHAIN, GREY),
    ("keep_stock_on.bmp", LOCK, BLACK), ("keep_stock_off.bmp", LOCK, GREY),
]


def write_bmp(path, glyph, colour):
    stride = ((WIDTH * 4 + 31) // 32) * 4
    rows = []
    for line in reversed(glyph):  # bottom-up
        pixels = [colour if c == "#" else BACKGROUND for c in line]
        packed = bytes((pixels[i] << 4) | pixels[i + 1] for i in range(0, WIDTH, 2))
        rows.append(packed + b"\0" * (stride - len(packed)))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    size = offset + stride * HEIGHT
    header = struct.pack("<2sIHHI", b"BM", size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, 0, stride * HEIGHT, 2835, 2835, 16, 16)
    with open(path, "wb") as out:
        out.write(header + info + palette + b"".join(rows))


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "resources"
    for name, glyph, colour in BITMAPS:
        write_bmp(os.path.join(folder, name), glyph, colour)
