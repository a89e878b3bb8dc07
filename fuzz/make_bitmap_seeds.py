#!/usr/bin/env python3
"""Writes the decoder's fuzz seeds: one tiny bitmap per header kind,
depth and encoding the decoder knows. Run from anywhere; rewrites
fuzz/corpus/bitmap_fuzz/."""
import os
import struct

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "bitmap_fuzz")


def bitmap(width, height, bits, pixels, palette=(), core=False, compression=0, used=0, file_header=True):
    if core:
        header = struct.pack("<IHHHH", 12, width, height, 1, bits)
        table = b"".join(bytes((b, g, r)) for r, g, b in palette)
    else:
        header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixels), 0, 0, used, 0)
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    body = header + table
    if not file_header:
        return body + pixels
    offset = 14 + len(body)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + body + pixels


two = [(255, 0, 0), (0, 0, 255)]
four = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255)]
seeds = {
    "core_1bit.bmp": bitmap(10, 2, 1, bytes([0xB0, 0x40, 0, 0, 0x0F, 0xC0, 0, 0]), two, core=True),
    "info_4bit.bmp": bitmap(3, 2, 4, bytes([0x12, 0x30, 0, 0, 0x21, 0x00, 0, 0]), four, used=4),
    "info_8bit_used20_noheader.bmp": bitmap(2, 1, 8, bytes([19, 3, 0, 0]), [(i * 12, 0, 255 - i * 12) for i in range(20)],
                                            used=20, file_header=False),
    "info_16bit.bmp": bitmap(2, 1, 16, bytes([0x00, 0x7C, 0x1F, 0x02])),
    "info_24bit_w3.bmp": bitmap(3, 2, 24, bytes(range(9)) + b"\0\0\0" + bytes(range(9, 18)) + b"\0\0\0"),
    "info_32bit_topdown.bmp": bitmap(1, -2, 32, bytes([1, 2, 3, 0, 30, 20, 10, 0])),
    "info_rle8.bmp": bitmap(4, 3, 8, bytes([1, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 1, 1, 1, 3, 0, 1]), four,
                            compression=1, used=4),
    "info_rle4.bmp": bitmap(6, 1, 4, bytes([3, 0x12, 0, 3, 0x31, 0x20, 0, 1]), four, compression=2, used=4),
}
os.makedirs(here, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(here, name), "wb") as f:
        f.write(data)
