#!/usr/bin/env python3
"""web-pictures.py DIR: the page's data, made smaller for the transfer.

Each 24-bit BMP under DIR written the way our data generator writes one
(bottom-up rows, zero padding, the header the page writes back) is replaced,
under the same name, by a lossless WebP of its pixels: a third of what gzip
makes of it. The page turns it back into the very same file before the game
starts (src/platform/web/pictures.js). A file that would not come back byte
for byte, or that WebP does not make smaller, stays as it is.
"""
import os
import struct
import subprocess
import sys
import tempfile

HEADER = 54


def bmp_header(width, height):
    """The header the page writes back for a picture of this size."""
    size = (width * 3 + 3) // 4 * 4 * height
    return (struct.pack('<2sIHHI', b'BM', HEADER + size, 0, 0, HEADER) +
            struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, size, 2835, 2835, 0, 0))


def pixels(bmp):
    """The picture as PPM, or None when the page would not write this file back."""
    if len(bmp) < HEADER:
        return None
    width, height = struct.unpack_from('<ii', bmp, 18)
    if not (0 < width < 1 << 14 and 0 < height < 1 << 14) or bmp[:HEADER] != bmp_header(width, height):
        return None
    stride = (width * 3 + 3) // 4 * 4
    if len(bmp) != HEADER + stride * height:
        return None
    rows = []
    for y in reversed(range(height)):
        at = HEADER + y * stride
        if any(bmp[at + width * 3:at + stride]):
            return None
        bgr = bmp[at:at + width * 3]
        rgb = bytearray(bgr)
        rgb[0::3], rgb[2::3] = bgr[2::3], bgr[0::3]
        rows.append(bytes(rgb))
    return b'P6\n%d %d\n255\n' % (width, height) + b''.join(rows)


def to_webp(ppm, work):
    """Lossless WebP of the picture, checked to decode to the same pixels."""
    source, packed, back = (os.path.join(work, name) for name in ('in.ppm', 'out.webp', 'back.ppm'))
    with open(source, 'wb') as f:
        f.write(ppm)
    subprocess.run(['cwebp', '-quiet', '-lossless', '-exact', '-z', '6', '-metadata', 'none', source, '-o', packed],
                   check=True)
    subprocess.run(['dwebp', '-quiet', packed, '-ppm', '-o', back], check=True)
    with open(back, 'rb') as f:
        same = f.read() == ppm
    with open(packed, 'rb') as f:
        return f.read() if same else None


def main(folder):
    with tempfile.TemporaryDirectory() as work:
        for top, _, names in os.walk(folder):
            for name in sorted(names):
                if not name.lower().endswith('.bmp'):
                    continue
                path = os.path.join(top, name)
                with open(path, 'rb') as f:
                    bmp = f.read()
                ppm = pixels(bmp)
                webp = to_webp(ppm, work) if ppm else None
                if webp and len(webp) < len(bmp):
                    with open(path, 'wb') as f:
                        f.write(webp)


if __name__ == '__main__':
    if len(sys.argv) != 2 or not os.path.isdir(sys.argv[1]):
        sys.exit('usage: web-pictures.py DIR')
    main(sys.argv[1])
