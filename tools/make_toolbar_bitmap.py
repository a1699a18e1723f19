#!/usr/bin/env python3
"""Writes resources/toolbar.bmp: the main toolbar's 32 images of 16 x 16
pixels side by side, a 16-colour BMP whose light grey background the toolbar
turns into the button face. Run once; the .bmp is kept in the repository.

    python3 tools/make_toolbar_bitmap.py [output path]
"""
import struct
import sys

WIDTH, HEIGHT, COUNT = 16, 16, 32

# The standard 16-colour palette (index -> RGB).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_RED, DARK_GREEN, NAVY, GREY, RED, BLUE, BACKGROUND = 0, 1, 2, 4, 8, 9, 12, 7

# A 3 x 5 pixel font for the labels.
GLYPHS = {
    "0": ["111", "101", "101", "101", "111"], "1": ["010", "110", "010", "010", "111"],
    "2": ["110", "001", "010", "100", "111"], "3": ["110", "001", "010", "001", "110"],
    "4": ["101", "101", "111", "001", "001"], "5": ["111", "100", "110", "001", "110"],
    "6": ["011", "100", "111", "101", "111"], "7": ["111", "001", "010", "010", "010"],
    "8": ["111", "101", "111", "101", "111"], "9": ["111", "101", "111", "001", "110"],
    "A": ["010", "101", "111", "101", "101"], "B": ["110", "101", "110", "101", "110"],
    "C": ["011", "100", "100", "100", "011"], "D": ["110", "101", "101", "101", "110"],
    "E": ["111", "100", "110", "100", "111"], "F": ["111", "100", "110", "100", "100"],
    "H": ["101", "101", "111", "101", "101"], "I": ["111", "010", "010", "010", "111"],
    "L": ["100", "100", "100", "100", "111"], "M": ["101", "111", "111", "101", "101"],
    "O": ["010", "101", "101", "101", "010"], "P": ["110", "101", "110", "100", "100"],
    "R": ["110", "101", "110", "101", "101"], "S": ["011", "100", "010", "001", "110"],
    "T": ["111", "010", "010", "010", "010"], "V": ["101", "101", "101", "101", "010"],
    "Y": ["101", "101", "010", "010", "010"],
}

# Button i shows image i; separators (1, 14, 17) keep an empty image.
LABELS = {
    19: "ICH", 20: "VOL", 21: "RSI", 22: "RCI", 23: "DEV", 24: "STC", 25: "MCD",
    26: "DMI", 27: "SRC", 28: "PSY", 29: "OBV", 30: "VR", 31: "AD",
}


def blank():
    return [[BACKGROUND] * WIDTH for _ in range(HEIGHT)]


def put(image, x, y, colour):
    if 0 <= x < WIDTH and 0 <= y < HEIGHT:
        image[y][x] = colour


def text(image, label, top, colour):
    width = 4 * len(label) - 1
    left = (WIDTH - width) // 2
    for n, ch in enumerate(label):
        for row, bits in enumerate(GLYPHS[ch]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    put(image, left + 4 * n + col, top + row, colour)


def frame(image, colour):
    for i in range(1, WIDTH - 1):
        put(image, i, 1, colour)
        put(image, i, HEIGHT - 2, colour)
        put(image, 1, i, colour)
        put(image, WIDTH - 2, i, colour)


def download_arrow():
    image = blank()
    for y in range(2, 10):
        for x in range(6, 10):
            put(image, x, y, BLUE)
    for n in range(5):
        for x in range(3 + n, 13 - n):
            put(image, x, 10 + n, BLUE)
    return image


def pattern_key(n):
    image = blank()
    frame(image, NAVY)
    text(image, "F" + str(n), 5, BLACK)
    return image


def plus_or_minus(plus):
    image = blank()
    frame(image, GREY)
    for x in range(4, 12):
        put(image, x, 7, DARK_GREEN if plus else RED)
        put(image, x, 8, DARK_GREEN if plus else RED)
    if plus:
        for y in range(4, 12):
            put(image, 7, y, DARK_GREEN)
            put(image, 8, y, DARK_GREEN)
    return image


def candles():
    image = blank()
    for x, top, bottom, body_top, body_bottom, colour in (
        (4, 2, 12, 4, 9, RED), (11, 5, 14, 7, 12, BLUE)):
        for y in range(top, bottom + 1):
            put(image, x, y, BLACK)
        for y in range(body_top, body_bottom + 1):
            for dx in (-2, -1, 0, 1, 2):
                put(image, x + dx, y, colour)
    return image


def labelled(label):
    image = blank()
    # a small rising line over the label
    for x in range(2, 14):
        put(image, x, 9 - x * 6 // 13, DARK_RED)
    text(image, label, 10, BLACK)
    return image


def image_of(button):
    if button == 0:
        return download_arrow()
    if 2 <= button <= 13:
        return pattern_key(button - 1)
    if button in (15, 16):
        return plus_or_minus(button == 15)
    if button == 18:
        return candles()
    if button in LABELS:
        return labelled(LABELS[button])
    return blank()


def write_indexed_bmp(path, pixel_rows):
    """A 16-colour BMP of PALETTE from rows of colour indexes, top row first."""
    height, width = len(pixel_rows), len(pixel_rows[0])
    stride = ((width * 4 + 31) // 32) * 4
    rows = []
    for pixels in reversed(pixel_rows):  # bottom-up
        pixels = list(pixels) + [0] * (width % 2)
        row = bytes((pixels[i] << 4) | pixels[i + 1] for i in range(0, width, 2))
        rows.append(row + b"\0" * (stride - len(row)))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    size = offset + stride * height
    header = struct.pack("<2sIHHI", b"BM", size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, stride * height, 2835, 2835, 16, 16)
    with open(path, "wb") as out:
        out.write(header + info + palette + b"".join(rows))


def write_bmp(path):
    images = [image_of(i) for i in range(COUNT)]
    write_indexed_bmp(path, [[images[x // WIDTH][y][x % WIDTH] for x in range(WIDTH * COUNT)] for y in range(HEIGHT)])


if __name__ == "__main__":
    write_bmp(sys.argv[1] if len(sys.argv) > 1 else "resources/toolbar.bmp")
