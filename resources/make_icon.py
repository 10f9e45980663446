#!/usr/bin/env python3
"""Writes parvolin.ico (one 32 x 32 image, 16 colours) from the text image
parvolin-icon.txt: one character a pixel, '.' transparent.

    python3 make_icon.py parvolin-icon.txt parvolin.ico
"""
import struct
import sys

# The 16 colours of the standard palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
COLOUR = {'k': 0, 's': 7, 'r': 9, 'b': 12, 'w': 15, '.': 0}
SIZE = 32


def icon_bytes(rows):
    if len(rows) != SIZE or any(len(row) != SIZE for row in rows):
        raise ValueError('the text image must be 32 lines of 32 characters')
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # a DIB stores its bottom row first
        for x in range(0, SIZE, 2):
            pixels.append(COLOUR[row[x]] << 4 | COLOUR[row[x + 1]])
        bits = 0
        for x, c in enumerate(row):
            if c == '.':
                bits |= 1 << (SIZE - 1 - x)
        mask += struct.pack('>I', bits)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, len(pixels) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(pixels) + bytes(mask)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    source, target = sys.argv[1], sys.argv[2]
    with open(source) as text:
        rows = text.read().splitlines()
    with open(target, 'wb') as out:
        out.write(icon_bytes(rows))


if __name__ == '__main__':
    main()
