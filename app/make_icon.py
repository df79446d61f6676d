#!/usr/bin/env python3
"""Draws the station's icon and writes it as a Windows .ico file.

The picture: a blue licence plate with a white rim and a white camera lens in its middle, in
16, 32 and 48 pixels, 32-bit colour with alpha. Python's standard library only.

    make_icon.py OUTPUT.ico
"""
import struct
import sys

BLUE = (0x1F, 0x4E, 0xB4, 0xFF)
WHITE = (0xFF, 0xFF, 0xFF, 0xFF)
DARK = (0x10, 0x1C, 0x3A, 0xFF)
CLEAR = (0, 0, 0, 0)


def pixel(x, y, size):
    """The colour of one pixel of the picture of the given size (y = 0 at the top)."""
    cx = cy = (size - 1) / 2.0
    top, bottom = size * 0.2, size * 0.8
    if not (0 <= x < size and top <= y < bottom):
        return CLEAR
    rim = max(1.0, size / 16.0)
    # The plate: rounded off at its four corners.
    corner = rim * 1.5
    for ex, ey in ((0, top), (size - 1, top), (0, bottom - 1), (size - 1, bottom - 1)):
        if abs(x - ex) + abs(y - ey) < corner:
            return CLEAR
    if x < rim or x >= size - rim or y < top + rim or y >= bottom - rim:
        return WHITE
    # The lens: a white ring around a dark centre.
    distance = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
    radius = size * 0.2
    if distance <= radius * 0.55:
        return DARK
    if distance <= radius:
        return WHITE
    return BLUE


def image(size):
    """One icon image: BITMAPINFOHEADER, BGRA rows bottom-up, then the AND mask."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = pixel(x, y, size)
            rows += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        bits = bytearray(mask_row)
        for x in range(size):
            if pixel(x, y, size)[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(rows) + bytes(mask)


def icon(sizes):
    images = [image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_icon.py OUTPUT.ico')
    with open(sys.argv[1], 'wb') as f:
        f.write(icon([16, 32, 48]))


if __name__ == '__main__':
    main()
