#!/usr/bin/env python3
"""Draws the program's images and writes them as the files res/QuillMarsh.rc binds.

    res/QuillMarsh.ico  icon 101: 16 x 16 and 32 x 32, 32 bits with alpha and an AND mask
    res/MenuImages.bmp  bitmap 102: the menu's strip of four 16 x 16 images, 24 bits, magenta
                        (255, 0, 255) where an image is transparent

Only the standard library is used; the output is committed, so building needs no Python.
Run from anywhere: python3 tools/draw-resources.py
"""
import math
import os
import struct

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
MAGENTA = (255, 0, 255)


# ---------------------------------------------------------------- icon: a quill over a marsh


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def rounded_tile(x, y):
    """Inside of a rounded square covering the unit cell with a small margin."""
    m, r = 0.04, 0.2
    cx = min(max(x, m + r), 1 - m - r)
    cy = min(max(y, m + r), 1 - m - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def quill(x, y):
    """Colour of the quill at (x, y), or None. The quill lies from lower left to upper right."""
    ax, ay, bx, by = 0.18, 0.86, 0.86, 0.12
    length = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / length, (by - ay) / length
    t = ((x - ax) * ux + (y - ay) * uy) / length
    v = (x - ax) * -uy + (y - ay) * ux
    if t < 0 or t > 1:
        return None
    if abs(v) < 0.022 + 0.012 * (1 - t):
        return (90, 70, 50)
    if t > 0.22:
        s = (t - 0.22) / 0.78
        half = 0.17 * math.sin(math.pi * s) ** 0.7
        # The vane is wider on one side, as on a real flight feather.
        if -half * 0.75 < v < half:
            shade = 1.0 - 0.18 * abs(v) / max(half, 1e-6)
            return tuple(int(c * shade) for c in (250, 248, 235))
    return None


def marsh(x, y):
    """Background: sky over water, with reeds at the bottom."""
    if not rounded_tile(x, y):
        return None
    for rx, top in ((0.22, 0.55), (0.3, 0.62), (0.7, 0.5), (0.78, 0.6)):
        if abs(x - rx) < 0.028 and top < y < 0.95:
            return (40, 90, 40)
        if abs(x - rx) < 0.045 and top - 0.12 < y < top:
            return (120, 75, 35)
    if y < 0.62:
        return mix((95, 160, 225), (160, 205, 240), y / 0.62)
    return mix((60, 130, 120), (30, 90, 70), (y - 0.62) / 0.38)


def icon_pixel(size, px, py):
    """Averaged colour and alpha over 4 x 4 samples of one pixel."""
    n = 4
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(n):
        for sx in range(n):
            x = (px + (sx + 0.5) / n) / size
            y = (py + (sy + 0.5) / n) / size
            colour = quill(x, y) or marsh(x, y)
            if colour is not None:
                acc[0] += colour[0]
                acc[1] += colour[1]
                acc[2] += colour[2]
                acc[3] += 1
    if acc[3] == 0:
        return (0, 0, 0, 0)
    return (int(acc[0] / acc[3]), int(acc[1] / acc[3]), int(acc[2] / acc[3]),
            int(255 * acc[3] / (n * n)))


def icon_image(size):
    pixels = [[icon_pixel(size, x, y) for x in range(size)] for y in range(size)]
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(struct.pack("BBBB", p[2], p[1], p[0], p[3])
                   for row in reversed(pixels) for p in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + xor + bytes(mask)


def write_icon(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


# ---------------------------------------------------------------- menu image strip

# Image 0, About: the glyph drawn in white over a blue disc.
QUESTION = [
    "................",
    "................",
    "......WWWW......",
    ".....WWWWWW.....",
    ".....WW..WW.....",
    ".........WW.....",
    "........WWW.....",
    ".......WWW......",
    ".......WW.......",
    ".......WW.......",
    "................",
    ".......WW.......",
    ".......WW.......",
    "................",
    "................",
    "................",
]

# Image 1: a small window with a yellow star in it.
WINDOW = [
    "................",
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kTTTTTTTTTTTTk.",
    ".kTTTTTTTTTwTwk.",
    ".kkkkkkkkkkkkkk.",
    ".kWWWWWWWWWWWWk.",
    ".kWWWWWWyWWWWWk.",
    ".kWWWWWyYyWWWWk.",
    ".kWWyyyYYYyyyWk.",
    ".kWWWyYYYYYyWWk.",
    ".kWWWWyYYYyWWWk.",
    ".kWWWyYyWyYyWWk.",
    ".kWWWWWWWWWWWWk.",
    ".kkkkkkkkkkkkkk.",
    "................",
]

PALETTE = {
    "W": (255, 255, 255),
    "k": (70, 70, 80),
    "T": (20, 80, 180),
    "w": (230, 235, 245),
    "Y": (255, 210, 0),
    "y": (205, 150, 0),
}


def blank():
    return [[MAGENTA] * 16 for _ in range(16)]


def from_map(rows):
    image = blank()
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch != ".":
                image[y][x] = PALETTE[ch]
    return image


def about_image():
    image = blank()
    for y in range(16):
        for x in range(16):
            d = math.hypot(x + 0.5 - 8, y + 0.5 - 7.5)
            if d <= 7.0:
                # Lit from the upper left; a darker rim keeps the disc apart from the menu.
                light = max(0.0, 1.0 - math.hypot(x + 0.5 - 5.5, y + 0.5 - 5) / 10)
                colour = mix((0, 70, 180), (70, 150, 240), light)
                if d > 6.0:
                    colour = (0, 45, 130)
                image[y][x] = tuple(int(c) for c in colour)
    for y, row in enumerate(QUESTION):
        for x, ch in enumerate(row):
            if ch == "W":
                image[y][x] = PALETTE["W"]
    return image


def cross_image():
    image = blank()
    for y in range(2, 14):
        for x in range(2, 14):
            a = (x - 2) - (y - 2)
            b = (x - 2) + (y - 2) - 11
            if abs(a) <= 1 or abs(b) <= 1:
                edge = abs(a) == 1 if abs(a) <= 1 else abs(b) == 1
                image[y][x] = (170, 0, 0) if edge else (230, 30, 30)
    return image


def arrow_image():
    """An arc over the top from right to left, ending in a head that points down."""
    image = blank()
    cx, cy = 8.5, 9.0
    for y in range(16):
        for x in range(16):
            px, py = x + 0.5, y + 0.5
            d = math.hypot(px - cx, py - cy)
            arc = 2.6 <= d <= 5.4 and (py <= cy or (px > cx and py <= cy + 3))
            # Head: a triangle under the arc's left end, tip at the bottom.
            t = (py - cy) / 4.5
            head = 0 <= t <= 1 and abs(px - 4.5) <= 3.6 * (1 - t)
            if arc or head:
                inner = 3.2 <= d <= 4.8 if arc and not head else abs(px - 4.5) <= 3.6 * (1 - t) - 0.9
                image[y][x] = (40, 120, 230) if inner else (10, 60, 160)
    return image


def write_strip(path, images):
    width, height = 16 * len(images), 16
    stride = (width * 3 + 3) & ~3
    rows = b""
    for y in reversed(range(height)):
        row = b"".join(struct.pack("BBB", p[2], p[1], p[0])
                       for image in images for p in image[y])
        rows += row + b"\0" * (stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + rows)


def main():
    write_icon(os.path.join(RES, "QuillMarsh.ico"), [16, 32])
    write_strip(os.path.join(RES, "MenuImages.bmp"),
                [about_image(), from_map(WINDOW), cross_image(), arrow_image()])


if __name__ == "__main__":
    main()
