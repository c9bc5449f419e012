#!/usr/bin/env python3
"""Cuts a rectangle out of an 8-bit RGB or RGBA PNG (as the automation script's shots are):
    crop-png.py IN.png OUT.png LEFT TOP RIGHT BOTTOM
Used to cut the main window out of a whole-screen shot for the README's picture."""
import struct
import sys
import zlib


def chunks(data):
    at = 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        yield kind, data[at + 8:at + 8 + length]
        at += 12 + length


def rows(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG file")
    header = idat = b""
    for kind, body in chunks(data):
        if kind == b"IHDR":
            header = body
        elif kind == b"IDAT":
            idat += body
    width, height, depth, colour = struct.unpack(">IIBB", header[:10])
    if depth != 8 or colour not in (2, 6) or header[12] != 0:
        sys.exit(f"{path}: only 8-bit RGB or RGBA without interlacing")
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * step
    previous = bytearray(stride)
    out = []
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = line[x - step] if x >= step else 0
            up = previous[x]
            corner = previous[x - step] if x >= step else 0
            if kind == 1:
                line[x] = (line[x] + left) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + up) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[x] = (line[x] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        previous = line
        out.append(bytes(b for i in range(0, stride, step) for b in line[i:i + 3]))
    return width, height, out


def main():
    source, target, left, top, right, bottom = sys.argv[1], sys.argv[2], *map(int, sys.argv[3:7])
    width, height, lines = rows(source)
    if not (0 <= left < right <= width and 0 <= top < bottom <= height):
        sys.exit("the rectangle is not inside the picture")
    body = b"".join(b"\x00" + line[left * 3:right * 3] for line in lines[top:bottom])

    def chunk(kind, payload):
        return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))

    header = struct.pack(">IIBBBBB", right - left, bottom - top, 8, 2, 0, 0, 0)
    with open(target, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(body, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    main()
