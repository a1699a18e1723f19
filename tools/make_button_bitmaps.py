#!/usr/bin/env python3
"""Writes the small bitmaps of the chart edge buttons into resources/: the
date-link button (pressed, raised), the stock-link button (pressed, raised)
and the keep-stock button (pressed, raised). 16-colour BMPs of 12 x 10
pixels on light grey, which the program maps to the button face colours.
Run once; the .bmp files are kept in the repository.

    python3 tools/make_button_bitmaps.py [output folder]
"""
import os
import sys

from make_toolbar_bitmap import write_indexed_bmp

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
    write_indexed_bmp(path, [[colour if c == "#" else BACKGROUND for c in line] for line in glyph])


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "resources"
    for name, glyph, colour in BITMAPS:
        write_bmp(os.path.join(folder, name), glyph, colour)
