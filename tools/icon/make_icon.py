#!/usr/bin/env python3
"""Draws the program icon and writes it as a .ico file.

The picture: a blue window behind an orange one that is half see-through,
so the blue title bar and text lines show through it. Each size has its own
pixel-aligned geometry so the small images stay crisp.

Usage: make_icon.py OUTPUT.ico
"""

import struct
import sys

BACK_FRAME = (28, 52, 104)
BACK_TITLE = (48, 112, 208)
BACK_BODY = (244, 247, 252)
BACK_LINES = (150, 170, 200)
FRONT_FRAME = (168, 72, 16)
FRONT_TITLE = (244, 136, 36)
FRONT_BODY = (255, 232, 200)
CLOSE_BOX = (255, 255, 255)
SLIDER_TRACK = (150, 96, 56)
SLIDER_KNOB = (48, 112, 208)
FRONT_OPACITY = 0.5  # share of the orange window in the pixels it covers

# Per size: the two windows as (left, top, right, bottom), right and bottom
# exclusive; title bar height including the top frame line; the text line
# rows inside the back window; whether the title bar gets a close box; the
# opacity slider in the front window as (left, right, track top, track
# height, knob left, knob width, knob top, knob height).
LAYOUTS = {
    16: dict(back=(0, 1, 11, 11), front=(5, 5, 16, 15), title=3,
             lines=[6, 8], close=False,
             slider=(7, 14, 12, 1, 11, 1, 11, 3)),
    32: dict(back=(1, 2, 21, 21), front=(10, 13, 31, 31), title=5,
             lines=[9, 12, 15, 18], close=True,
             slider=(13, 28, 25, 1, 23, 2, 23, 5)),
    48: dict(back=(1, 2, 32, 31), front=(14, 18, 47, 46), title=7,
             lines=[12, 16, 20, 24], close=True,
             slider=(18, 43, 37, 2, 35, 3, 34, 8)),
}


def window_layer(size, rect, title, frame, title_colour, body, close):
    """One window as a size x size grid of colours, None outside it."""
    left, top, right, bottom = rect
    grid = [[None] * size for _ in range(size)]
    for y in range(top, bottom):
        for x in range(left, right):
            edge = x in (left, right - 1) or y in (top, bottom - 1)
            grid[y][x] = frame if edge else (
                title_colour if y < top + title else body)
    if size >= 32:  # clipped corners read as a softer outline
        for x, y in ((left, top), (right - 1, top)):
            grid[y][x] = None
    if close:
        box = title - 3
        for y in range(top + 2, top + 2 + box):
            for x in range(right - 2 - box, right - 2):
                grid[y][x] = CLOSE_BOX
    return grid


def add_text_lines(grid, rect, rows):
    left, _, right, _ = rect
    for i, y in enumerate(rows):
        end = right - 3 - (i % 2) * (right - left) // 4
        for x in range(left + 3, end):
            grid[y][x] = BACK_LINES


def add_slider(grid, slider):
    left, right, track_top, track_height, knob_left, knob_width, knob_top, \
        knob_height = slider
    for y in range(track_top, track_top + track_height):
        for x in range(left, right):
            grid[y][x] = SLIDER_TRACK
    for y in range(knob_top, knob_top + knob_height):
        for x in range(knob_left, knob_left + knob_width):
            grid[y][x] = SLIDER_KNOB


def mix(under, over, share):
    return tuple(round(u + (o - u) * share) for u, o in zip(under, over))


def draw(size):
    """The icon at one size: rows top to bottom, None where transparent."""
    layout = LAYOUTS[size]
    back = window_layer(size, layout["back"], layout["title"], BACK_FRAME,
                        BACK_TITLE, BACK_BODY, layout["close"])
    add_text_lines(back, layout["back"], layout["lines"])
    front = window_layer(size, layout["front"], layout["title"], FRONT_FRAME,
                         FRONT_TITLE, FRONT_BODY, layout["close"])
    add_slider(front, layout["slider"])
    picture = []
    for back_row, front_row in zip(back, front):
        row = []
        for under, over in zip(back_row, front_row):
            if over is None:
                row.append(under)
            elif under is None:
                row.append(over)
            else:
                row.append(mix(under, over, FRONT_OPACITY))
        picture.append(row)
    return picture


def row_bytes(bits_per_pixel, width):
    return (bits_per_pixel * width + 31) // 32 * 4


def icon_image(picture):
    """BITMAPINFOHEADER, 24-bit colour rows and the AND mask, bottom-up."""
    size = len(picture)
    colour_stride = row_bytes(24, size)
    mask_stride = row_bytes(1, size)
    colours = bytearray()
    mask = bytearray()
    for row in reversed(picture):
        line = bytearray()
        bits = bytearray(mask_stride)
        for x, pixel in enumerate(row):
            if pixel is None:
                line += b"\0\0\0"
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                r, g, b = pixel
                line += bytes((b, g, r))
        line += bytes(colour_stride - len(line))
        colours += line
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0,
                         len(colours) + len(mask), 0, 0, 0, 0)
    return header + colours + mask


def icon_file(sizes):
    images = [icon_image(draw(size)) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = bytearray()
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24,
                               len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as out:
        out.write(icon_file([16, 32, 48]))


if __name__ == "__main__":
    main()
