#!/usr/bin/env python3
"""Draws the program's pictures: the five logo bitmaps (and each at twice
the size, logo<id>@2x.bmp, for screens that scale by 2), icon 144, and the
same icon as PNG files in the sizes of the desktop's hicolor theme.

All of them are 16-colour pictures in the standard 16-colour palette. The
logo bitmaps use the seven key colours that the logo control recolours at
each paint (button face, highlight and shadow grey, magenta, dark red, cyan,
dark green), plus pure red and pure green, which it draws as they are.

Run it from anywhere; it rewrites the files beside it:

    python3 res/pictures/make-pictures.py
"""

import math
import os
import struct
import zlib

# The standard 16-colour palette, in its usual order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_RED, DARK_GREEN, DARK_YELLOW = 0, 1, 2, 3
DARK_BLUE, GREY, LIGHT_GREY = 4, 8, 7
RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = 9, 10, 11, 12, 13, 14, 15
TRANSPARENT = -1

# Logo bitmaps: resource id -> (width, height).
LOGOS = {137: (32, 12), 134: (42, 16), 135: (52, 20), 136: (66, 24), 133: (86, 32)}
# Up to twice the largest size the windows show (the splash's 33 points),
# for screens that scale by 2.
ICON_SIZES = [16, 32, 48, 64, 96, 128]
# The hicolor theme's usual application sizes.
THEME_SIZES = [16, 24, 32, 48, 64, 128, 256]

# 3 x 5 letters of the word mark.
LETTERS = {
    "N": ["XX.", "X.X", "X.X", "X.X", "X.X"],
    "E": ["XXX", "X..", "XX.", "X..", "XXX"],
    "M": ["X.X", "XXX", "X.X", "X.X", "X.X"],
    "O": [".X.", "X.X", "X.X", "X.X", ".X."],
    "R": ["XX.", "X.X", "XX.", "X.X", "X.X"],
    "A": [".X.", "X.X", "XXX", "X.X", "X.X"],
}
WORD = "NEMORA"


class Canvas:
    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x]

    def paint(self, left, top, size_x, size_y, shape):
        """Samples `shape(u, v)` at the pixel centres of a box; u and v run
        from 0 to 1 across it. The shape answers a colour or None."""
        for y in range(top, top + size_y):
            for x in range(left, left + size_x):
                u = (x - left + 0.5) / size_x
                v = (y - top + 0.5) / size_y
                colour = shape(u, v)
                if colour is not None:
                    self.set(x, y, colour)


def padlock(body, body_light, shackle, shackle_light, keyhole, lamp):
    """A padlock in a unit box: the shackle's arch above, the body below."""

    def shape(u, v):
        # Body: a rounded block over the lower part.
        if 0.46 <= v <= 0.98 and 0.1 <= u <= 0.9:
            # Keyhole: a round head and a slot under it.
            if (u - 0.5) ** 2 + (v - 0.64) ** 2 <= 0.09 ** 2:
                return keyhole
            if abs(u - 0.5) <= 0.04 and 0.64 <= v <= 0.86:
                return keyhole
            if 0.74 <= u <= 0.84 and 0.52 <= v <= 0.6:
                return lamp
            if v <= 0.53 or u <= 0.17:
                return body_light
            return body
        # Shackle: a ring cut off below its centre, with legs down to the body.
        dx, dy = u - 0.5, v - 0.36
        r = math.hypot(dx, dy)
        in_ring = 0.2 <= r <= 0.34 and v <= 0.36
        in_legs = 0.36 < v < 0.46 and 0.2 <= abs(dx) <= 0.34
        if in_ring or in_legs:
            # Light on the outer upper-left rim.
            if r >= 0.29 and (dx < 0.0 and v <= 0.36 or v < 0.16):
                return shackle_light
            return shackle
        return None

    return shape


def draw_word(canvas, left, top, scale, ink, shine, ratio=1):
    """The word mark, each letter cell `scale` points, with a one-point
    shine below and right of the strokes; a point is `ratio` pixels."""
    strokes = set()
    x = left
    cell = scale * ratio
    for letter in WORD:
        rows = LETTERS[letter]
        for row, line in enumerate(rows):
            for col, mark in enumerate(line):
                if mark == "X":
                    for sy in range(cell):
                        for sx in range(cell):
                            strokes.add((x + col * cell + sx, top + row * cell + sy))
        x += (3 * scale + scale + 1) * ratio
    for px, py in strokes:
        if (px + ratio, py + ratio) not in strokes:
            canvas.set(px + ratio, py + ratio, shine)
    for px, py in strokes:
        canvas.set(px, py, ink)


def word_width(scale):
    return len(WORD) * 3 * scale + (len(WORD) - 1) * (scale + 1)


def logo(width, height, ratio=1):
    """The logo of `width` x `height` points, drawn at `ratio` pixels a
    point: the 2x pictures are the same logo with finer curves, for screens
    that scale by 2."""
    canvas = Canvas(width * ratio, height * ratio, LIGHT_GREY)

    def block(x, y, colour):
        """One point: a ratio x ratio square of pixels."""
        for dy in range(ratio):
            for dx in range(ratio):
                canvas.set(x * ratio + dx, y * ratio + dy, colour)

    # A raised plate: light along the top and left, shadow along the bottom
    # and right; pushed, the map swaps the two and the plate sinks.
    for x in range(width):
        block(x, 0, WHITE)
        block(x, height - 1, GREY)
    for y in range(height):
        block(0, y, WHITE)
        block(width - 1, y, GREY)
    block(width - 1, 0, GREY)
    block(0, height - 1, GREY)

    margin = 2 if height < 16 else 3
    emblem = height - 2 * margin
    canvas.paint(margin * ratio, margin * ratio, emblem * ratio, emblem * ratio,
                 padlock(DARK_GREEN, CYAN, GREY, WHITE, RED, GREEN))

    room_left = margin + emblem + 2
    room = width - room_left - margin
    scale = 0
    for candidate in (3, 2, 1):
        if word_width(candidate) <= room and 5 * candidate + 1 <= height - 2 * margin:
            scale = candidate
            break
    if scale:
        used = word_width(scale)
        left = room_left + (room - used) // 2
        top = (height - 5 * scale) // 2
        draw_word(canvas, left * ratio, top * ratio, scale, DARK_RED, MAGENTA, ratio)
    else:
        # Too small for letters: three lines stand for the word.
        for i, y in enumerate(range(margin + 1, height - margin, 3)):
            length = room - (i % 2) * 3
            for x in range(room_left, room_left + length):
                block(x, y, DARK_RED)
                block(x + 1, y + 1, MAGENTA)
    return canvas


def icon(size):
    canvas = Canvas(size, size, TRANSPARENT)

    def page(u, v):
        left, right, top, bottom, fold = 0.12, 0.72, 0.04, 0.9, 0.18
        if not (left <= u <= right and top <= v <= bottom):
            return None
        if u - (right - fold) > v - top:
            return None  # the folded-away corner
        edge = 1.0 / size
        if u < left + edge or u > right - edge or v < top + edge or v > bottom - edge:
            return GREY
        if abs((u - (right - fold)) - (v - top)) <= edge:
            return GREY
        if right - fold <= u and v <= top + fold and u - (right - fold) <= v - top:
            return LIGHT_GREY  # the fold's back
        for line in range(6):
            y = 0.28 + line * 0.09
            if abs(v - y) <= max(edge * 0.6, 0.018) and left + 0.08 <= u <= right - 0.1:
                return BLUE if line % 3 else DARK_BLUE
        return WHITE

    canvas.paint(0, 0, size, size, page)

    # The lock in front of the page's lower right, with a dark yellow outline
    # round its body so that it stands off the page.
    lock = padlock(YELLOW, WHITE, GREY, LIGHT_GREY, BLACK, RED)
    box = max(8, int(size * 0.62))
    left = top = size - box
    covered = set()
    body = set()
    for y in range(top, size):
        for x in range(left, size):
            u, v = (x - left + 0.5) / box, (y - top + 0.5) / box
            if lock(u, v) is not None:
                covered.add((x, y))
                if v >= 0.46:
                    body.add((x, y))
    canvas.paint(left, top, box, box, lock)
    for x, y in body:
        for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
            if (nx, ny) not in covered and 0 <= nx < size and 0 <= ny < size:
                canvas.set(nx, ny, DARK_YELLOW)
    return canvas


def bmp_rows_4bit(canvas, transparent_as=0):
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        line = bytearray()
        values = [c if c >= 0 else transparent_as for c in canvas.pixels[y]]
        if len(values) % 2:
            values.append(0)
        for i in range(0, len(values), 2):
            line.append((values[i] << 4) | values[i + 1])
        while len(line) % 4:
            line.append(0)
        rows.append(bytes(line))
    return b"".join(rows)


def mask_rows(canvas):
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        line = bytearray((canvas.width + 7) // 8)
        for x, c in enumerate(canvas.pixels[y]):
            if c < 0:
                line[x // 8] |= 0x80 >> (x % 8)
        while len(line) % 4:
            line.append(0)
        rows.append(bytes(line))
    return b"".join(rows)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 16)


def write_bmp(path, canvas):
    bits = bmp_rows_4bit(canvas)
    header_size = 14 + 40 + 16 * 4
    data = (struct.pack("<2sIHHI", b"BM", header_size + len(bits), 0, 0, header_size)
            + info_header(canvas.width, canvas.height, len(bits)) + palette_bytes() + bits)
    with open(path, "wb") as out:
        out.write(data)


def write_ico(path, canvases):
    images = []
    for canvas in canvases:
        bits = bmp_rows_4bit(canvas)
        mask = mask_rows(canvas)
        images.append(info_header(canvas.width, canvas.height * 2, len(bits) + len(mask))
                      + palette_bytes() + bits + mask)
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for canvas, image in zip(canvases, images):
        directory += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 16, 0,
                                 1, 4, len(image), offset)
        offset += len(image)
    with open(path, "wb") as out:
        out.write(directory + b"".join(images))


def write_png(path, canvas):
    """An RGBA PNG, transparent where the icon is; fixed bytes for fixed art."""
    raw = bytearray()
    for row in canvas.pixels:
        raw.append(0)  # no filter
        for c in row:
            raw.extend((0, 0, 0, 0) if c < 0 else PALETTE[c] + (255,))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                  + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for resource, (width, height) in LOGOS.items():
        write_bmp(os.path.join(here, "logo%d.bmp" % resource), logo(width, height))
        write_bmp(os.path.join(here, "logo%d@2x.bmp" % resource), logo(width, height, 2))
    write_ico(os.path.join(here, "icon144.ico"), [icon(s) for s in ICON_SIZES])
    for size in THEME_SIZES:
        folder = os.path.join(here, "hicolor", "%dx%d" % (size, size))
        os.makedirs(folder, exist_ok=True)
        write_png(os.path.join(folder, "nemora.png"), icon(size))


if __name__ == "__main__":
    main()
