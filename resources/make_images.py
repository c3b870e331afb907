#!/usr/bin/env python3
"""Writes the arrow bitmap yazirusi.bmp and the icon zki.ico.

Both are 16-colour images over the standard VGA palette, so they look the same
on any display depth. The build uses the committed files; run this script from
the repository root (or anywhere) to make them again:

    python3 resources/make_images.py
"""

import os
import struct

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY = 0, 1, 2, 3, 4
SILVER, GREY, YELLOW, BLUE, WHITE = 7, 8, 11, 12, 15

HERE = os.path.dirname(os.path.abspath(__file__))


def blank(width, height, colour):
    return [[colour] * width for _ in range(height)]


def fill(img, x0, y0, x1, y1, colour):
    """Fills the rectangle x0..x1, y0..y1 (inclusive)."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def centred_span(img, y, centre, width, colour):
    half = width // 2
    fill(img, centre - half, y, centre + half, y, colour)


def arrow():
    """25 x 30, black on white. The shaft, 7 pixels wide, takes the upper
    half (rows 0-14); the head starts at 23 pixels in row 15 and loses one
    pixel on each side per row down to 3 pixels in row 25, leaving rows 26-29
    white so the tip does not touch the control's lower edge."""
    width, height, centre = 25, 30, 12
    img = blank(width, height, WHITE)
    for y in range(0, 15):
        centred_span(img, y, centre, 7, BLACK)
    for row, head_width in enumerate(range(23, 2, -2)):
        centred_span(img, 15 + row, centre, head_width, BLACK)
    return img


def figure_glyph(size):
    """A door leaf in its frame with a knob, and a green download arrow at the
    lower right: a part that comes down into the library. Drawn on a 32 grid
    and sampled down for smaller sizes."""
    grid = blank(32, 32, None)  # None is transparent
    fill(grid, 4, 1, 21, 30, BLACK)      # frame outline
    fill(grid, 5, 2, 20, 29, SILVER)     # frame
    fill(grid, 7, 4, 18, 29, BLACK)      # leaf outline
    fill(grid, 8, 5, 17, 29, YELLOW)     # leaf
    fill(grid, 9, 7, 16, 14, OLIVE)      # upper panel
    fill(grid, 9, 18, 16, 26, OLIVE)     # lower panel
    fill(grid, 15, 16, 16, 17, NAVY)     # knob
    fill(grid, 24, 14, 28, 22, GREEN)    # arrow shaft
    for row in range(6):                 # arrow head, 11 wide to 1
        centred_span(grid, 23 + row, 26, 11 - 2 * row, GREEN)
    step = 32 // size
    return [[grid[y * step][x * step] for x in range(size)] for y in range(size)]


def pack_4bit_rows(img, default=WHITE):
    """Bottom-up rows of two pixels per byte, each row padded to 4 bytes."""
    width = len(img[0])
    stride = (width * 4 + 31) // 32 * 4
    out = bytearray()
    for row in reversed(img):
        line = bytearray(stride)
        for x, colour in enumerate(row):
            value = default if colour is None else colour
            if x % 2 == 0:
                line[x // 2] |= value << 4
            else:
                line[x // 2] |= value
        out += line
    return bytes(out)


def pack_mask_rows(img):
    """Bottom-up 1-bit rows, 1 where transparent, padded to 4 bytes."""
    width = len(img[0])
    stride = (width + 31) // 32 * 4
    out = bytearray()
    for row in reversed(img):
        line = bytearray(stride)
        for x, colour in enumerate(row):
            if colour is None:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)


def info_header(width, height, image_size):
    # BITMAPINFOHEADER: size, width, height, planes, bit count, compression,
    # image size, x and y pixels per metre, colours used, colours important.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size,
                       0, 0, 16, 0)


def bmp_file(img):
    width, height = len(img[0]), len(img)
    pixels = pack_4bit_rows(img)
    header = info_header(width, height, len(pixels)) + palette_bytes()
    offset = 14 + len(header)
    # BITMAPFILEHEADER: "BM", file size, two reserved words, pixel offset.
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + header + pixels


def ico_file(images):
    """An icon file with one 16-colour image per entry of images."""
    bodies = []
    for img in images:
        size = len(img)
        xor = pack_4bit_rows(img, default=BLACK)
        mask = pack_mask_rows(img)
        # In an icon the height counts the colour and the mask image together.
        bodies.append(info_header(size, 2 * size, len(xor) + len(mask))
                      + palette_bytes() + xor + mask)
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, body in zip(images, bodies):
        size = len(img)
        # ICONDIRENTRY: width, height, colours, reserved, planes, bit count,
        # bytes, offset.
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(body), offset)
        offset += len(body)
    return out + b"".join(bodies)


def main():
    with open(os.path.join(HERE, "yazirusi.bmp"), "wb") as f:
        f.write(bmp_file(arrow()))
    with open(os.path.join(HERE, "zki.ico"), "wb") as f:
        f.write(ico_file([figure_glyph(32), figure_glyph(16)]))


if __name__ == "__main__":
    main()
