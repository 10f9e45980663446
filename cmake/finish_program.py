#!/usr/bin/env python3
"""Finishes a linked parvolin.exe: marks it to be copied to swap when run
from removable or network media, and appends 272 zero bytes so that its
last 272 bytes read as the empty trailer of a program that carries no set.

    python3 finish_program.py parvolin.exe
"""
import struct
import sys

TRAILER_SIZE = 272
REMOVABLE_RUN_FROM_SWAP = 0x0400
NET_RUN_FROM_SWAP = 0x0800


def main():
    path = sys.argv[1]
    with open(path, 'r+b') as program:
        image = bytearray(program.read())
        (header,) = struct.unpack_from('<I', image, 0x3C)
        if image[header:header + 4] != b'PE\0\0':
            sys.exit(f'{path}: not a PE file')
        at = header + 4 + 18
        (flags,) = struct.unpack_from('<H', image, at)
        struct.pack_into('<H', image, at, flags | REMOVABLE_RUN_FROM_SWAP | NET_RUN_FROM_SWAP)
        image += bytes(TRAILER_SIZE)
        program.seek(0)
        program.write(image)


if __name__ == '__main__':
    main()
