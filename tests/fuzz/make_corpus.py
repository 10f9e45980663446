#!/usr/bin/env python3
"""Writes the seed corpus of the trailer fuzz target: small own files whose
last 272 bytes are the trailer (a 260-byte zero-padded path, then stubSize,
sourceSize and lastPartIndex as little-endian signed 32-bit numbers)."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def trailer(path, stub_size, source_size, last_part_index):
    """The 272 trailer bytes for these fields."""
    return path.ljust(260, b"\0") + struct.pack("<iii", stub_size, source_size, last_part_index)


def largest_plausible(stub_size, source_size):
    """The largest part count the survey still accepts for these sizes."""
    room = max(36864, (stub_size + 4095) // 4096 * 4096)
    return (source_size + room) // 10240 + 1


# An even first byte keeps single-byte text; an odd one switches the
# double-byte table on.
STUB = b"MZ" + bytes(198)
SEEDS = {
    "all-zero-trailer": bytes(512),
    "short-file": b"MZ short",
    "real-trailer": STUB + trailer(b"c:\\data\\movie.avi", 36352, 5000000, 3),
    "missing-part": STUB + trailer(b"c:\\data\\movie.avi", 36352, 5000000, 4),
    "negative-index": STUB + trailer(b"c:\\data\\movie.avi", 36352, 5000000, -1),
    "huge-index": STUB + trailer(b"c:\\data\\movie.avi", 36352, 2147483647,
                                 largest_plausible(36352, 2147483647)),
    "beyond-bound": STUB + trailer(b"c:\\data\\movie.avi", 36352, 2147483647,
                                   largest_plausible(36352, 2147483647) + 1),
    "double-byte": b"\x01" + STUB[1:] + trailer(b"c:\\data\\\x95\x5c.bin", 36352, 2000000, 1),
    "unterminated-path": STUB + b"a" * 260 + struct.pack("<iii", 0, 20000, 2),
}

os.makedirs(HERE, exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(data)
