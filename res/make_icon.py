#!/usr/bin/env python3
"""Writes setup.ico: the installer's icon, one 32 x 32 image of 16 colours (4 bits per pixel).

The picture is a blue arrow going down into an open cardboard box. The build uses the committed
setup.ico; run this only to change the picture:  python3 res/make_icon.py res/setup.ico
"""
import struct
import sys

SIZE = 32

# The 16-colour palette of the standard VGA (and Windows) system colours, as (R, G, B).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, OLIVE, GREY, YELLOW, BLUE, NAVY, WHITE = 0, 3, 8, 11, 12, 4, 15
CLEAR = None  # transparent: the screen shows through


def draw():
    """Returns the picture as rows (top first) of palette indices or CLEAR."""
    px = [[CLEAR] * SIZE for _ in range(SIZE)]

    def fill(x0, y0, x1, y1, colour):  # inclusive corners
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = colour

    # The box: its front, the darker inside seen through the open top, the two flaps.
    fill(5, 17, 26, 30, OLIVE)
    fill(7, 14, 24, 16, GREY)
    for i in range(4):  # flaps leaning outwards
        fill(1 + i, 13 + i, 5 + i, 13 + i, YELLOW)
        fill(26 - i, 13 + i, 30 - i, 13 + i, YELLOW)
    # Outline of the front, and a band of tape across it.
    for x in range(5, 27):
        px[17][x] = px[30][x] = BLACK
    for y in range(17, 31):
        px[y][5] = px[y][26] = BLACK
    fill(6, 22, 25, 23, YELLOW)

    # The arrow: a shaft and a head that narrows into the box's opening.
    fill(13, 1, 18, 9, BLUE)
    for i, y in enumerate(range(10, 18)):
        fill(8 + i, y, 23 - i, y, BLUE)
    for y in range(1, 10):  # a dark edge so that it reads on a light background
        px[y][12] = px[y][19] = NAVY
    px[0][12:20] = [NAVY] * 8
    for i, y in enumerate(range(10, 18)):
        px[y][7 + i] = px[y][24 - i] = NAVY
    fill(14, 2, 14, 8, WHITE)  # highlight
    return px


def ico(px):
    xor = b""
    mask = b""
    for row in reversed(px):  # bitmaps are stored bottom row first
        xor += bytes(((row[x] or 0) << 4) | (row[x + 1] or 0) for x in range(0, SIZE, 2))
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is CLEAR else 0)
        mask += struct.pack(">I", bits)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    # The image's header counts the colour bitmap and the mask together: twice the height.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask),
                         0, 0, 16, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "setup.ico"
    with open(out, "wb") as f:
        f.write(ico(draw()))
