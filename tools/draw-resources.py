#!/usr/bin/env python3
"""Draws the program's images and writes them as the files res/QuillMarsh.rc binds.

    res/QuillMarsh.ico      icon 101: 16, 20, 24 and 32 pixels square, 32 bits with alpha and an
                            AND mask; 48 pixels as a PNG image, which keeps the file small
    res/MenuImages.bmp      bitmap 102: the menu's strip of four 16 x 16 images, 24 bits, magenta
                            (255, 0, 255) where an image is transparent
    res/MenuImages125.bmp   bitmaps 202, 302 and 402: the same strip at 125, 150 and 200 %, images
    res/MenuImages150.bmp   of 20, 24 and 32 pixels, each drawn at its own size (the 16-pixel
    res/MenuImages200.bmp   glyphs are enlarged pixel by pixel, everything else drawn anew); 8 bits
                            a pixel with a palette

Only the standard library is used; the output is committed, so building needs no Python.
Run from anywhere: python3 tools/draw-resources.py
"""
import math
import os
import struct
import zlib

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


def png_image(size):
    """The icon at this size as an 8-bit RGBA PNG, every row unfiltered."""
    pixels = [[icon_pixel(size, x, y) for x in range(size)] for y in range(size)]
    raw = b"".join(b"\0" + b"".join(struct.pack("BBBB", *p) for p in row) for row in pixels)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_icon(path, sizes, png_sizes):
    images = [icon_image(s) for s in sizes] + [png_image(s) for s in png_sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes + png_sizes, images):
        # A directory entry says 0 for 256.
        side = size % 256
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
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


def blank(n):
    return [[MAGENTA] * n for _ in range(n)]


def map_at(rows, n, x, y):
    """The character of a 16 x 16 map under pixel (x, y) of an n x n image: the nearest pixel."""
    return rows[min(15, int((y + 0.5) * 16 / n))][min(15, int((x + 0.5) * 16 / n))]


def paint_map(image, rows, n):
    """Paints the map's characters over an n x n image; "." leaves a pixel as it is."""
    for y in range(n):
        for x in range(n):
            ch = map_at(rows, n, x, y)
            if ch != ".":
                image[y][x] = PALETTE[ch]
    return image


def from_map(rows, n):
    return paint_map(blank(n), rows, n)


def about_image(n):
    s = n / 16
    image = blank(n)
    for y in range(n):
        for x in range(n):
            # Pixel centres in the coordinates of the 16-pixel image.
            px, py = (x + 0.5) / s, (y + 0.5) / s
            d = math.hypot(px - 8, py - 7.5)
            if d <= 7.0:
                # Lit from the upper left; a darker rim, one pixel of the 16-pixel image wide at
                # every size, keeps the disc apart from the menu.
                light = max(0.0, 1.0 - math.hypot(px - 5.5, py - 5) / 10)
                colour = mix((0, 70, 180), (70, 150, 240), light)
                if d > 6.0:
                    colour = (0, 45, 130)
                image[y][x] = tuple(int(c) for c in colour)
    return paint_map(image, QUESTION, n)


def cross_image(n):
    """Two strokes three pixels of the 16-pixel image wide, a darker pixel along each side."""
    s = n / 16
    image = blank(n)
    for y in range(n):
        for x in range(n):
            # Coordinates of the 16-pixel image in which its pixels stand at whole numbers.
            u, v = (x + 0.5) / s - 0.5, (y + 0.5) / s - 0.5
            low, high = 2 - 0.5 + 0.5 / s, 13 + 0.5 - 0.5 / s
            if not (low <= u <= high and low <= v <= high):
                continue
            a = (u - 2) - (v - 2)
            b = (u - 2) + (v - 2) - 11
            half = 1.5 - 0.5 / s
            if abs(a) <= half or abs(b) <= half:
                edge = abs(a) > 0.5 if abs(a) <= half else abs(b) > 0.5
                image[y][x] = (170, 0, 0) if edge else (230, 30, 30)
    return image


def arrow_image(n):
    """An arc over the top from right to left, ending in a head that points down."""
    s = n / 16
    image = blank(n)
    cx, cy = 8.5, 9.0
    for y in range(n):
        for x in range(n):
            px, py = (x + 0.5) / s, (y + 0.5) / s
            d = math.hypot(px - cx, py - cy)
            arc = 2.6 <= d <= 5.4 and (py <= cy or (px > cx and py <= cy + 3))
            # Head: a triangle under the arc's left end, tip at the bottom.
            t = (py - cy) / 4.5
            head = 0 <= t <= 1 and abs(px - 4.5) <= 3.6 * (1 - t)
            if arc or head:
                inner = 3.2 <= d <= 4.8 if arc and not head else abs(px - 4.5) <= 3.6 * (1 - t) - 0.9
                image[y][x] = (40, 120, 230) if inner else (10, 60, 160)
    return image


def write_strip(path, images, paletted):
    """Images side by side, bottom-up rows: 24 bits a pixel, or 8 with a palette of the colours
    used (fewer than 256 in every strip), which keeps the program small."""
    n = len(images[0])
    width, height = n * len(images), n
    pixels = [[p for image in images for p in image[y]] for y in range(height)]
    palette = b""
    if paletted:
        colours = sorted({p for row in pixels for p in row})
        assert len(colours) <= 256, path
        index = {c: i for i, c in enumerate(colours)}
        palette = b"".join(struct.pack("BBBB", c[2], c[1], c[0], 0) for c in colours)
        encode = lambda row: bytes(index[p] for p in row)
        bits, used = 8, len(colours)
    else:
        encode = lambda row: b"".join(struct.pack("BBB", p[2], p[1], p[0]) for p in row)
        bits, used = 24, 0
    rows = b""
    for y in reversed(range(height)):
        row = encode(pixels[y])
        rows += row + b"\0" * (-len(row) % 4)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(rows), 2835, 2835,
                       used, 0)
    start = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", start + len(rows), 0, 0, start)
    with open(path, "wb") as f:
        f.write(head + info + palette + rows)


# The strips by file, and the size of their images: 100, 125, 150 and 200 %.
STRIPS = (("MenuImages.bmp", 16), ("MenuImages125.bmp", 20), ("MenuImages150.bmp", 24),
          ("MenuImages200.bmp", 32))


def main():
    write_icon(os.path.join(RES, "QuillMarsh.ico"), [16, 20, 24, 32], [48])
    for name, n in STRIPS:
        write_strip(os.path.join(RES, name),
                    [about_image(n), from_map(WINDOW, n), cross_image(n), arrow_image(n)],
                    paletted=n > 16)


if __name__ == "__main__":
    main()
