#!/usr/bin/env python3
"""Draws the program's two icons and writes them as .ico files.

app/res/velmora.ico: a drive with a red "no" sign (the main window).
app/res/viewer.ico: a page of text under a magnifier (the viewer).
Each holds 16, 32, 48 and 64 pixel images in 32-bit colour with alpha,
and a 256 pixel one stored as PNG (as Windows' own icons do) for large views.
Run from the repository root: python3 tools/make_icon.py
"""
import math
import struct
import zlib

SIZES = (16, 32, 48, 64, 256)
PNG_FROM = 256  # sizes from here up are stored as PNG
SAMPLES = 4  # supersampling per axis, for smooth edges


def rounded_rect(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def main_icon(x, y):
    """Colour (r, g, b, a) at (x, y) in the unit square."""
    # The "no" sign in front, top right.
    d = math.hypot(x - 0.66, y - 0.36)
    if d <= 0.30:
        if d >= 0.22:
            return (200, 30, 30, 255)
        # The bar across, from top left to bottom right.
        u, v = x - 0.66, y - 0.36
        if abs(u - v) / math.sqrt(2) <= 0.055:
            return (200, 30, 30, 255)
        return (255, 255, 255, 235)
    # The drive: a grey box with a green light.
    if rounded_rect(x, y, 0.06, 0.50, 0.94, 0.90, 0.08):
        if rounded_rect(x, y, 0.14, 0.70, 0.24, 0.80, 0.02):
            return (40, 190, 60, 255)
        if 0.50 <= x <= 0.86 and abs(y - 0.75) <= 0.02:
            return (90, 90, 100, 255)
        shade = int(170 + 40 * (0.90 - y) / 0.40)
        return (shade, shade, shade + 10, 255)
    if rounded_rect(x, y, 0.04, 0.48, 0.96, 0.92, 0.09):
        return (60, 60, 70, 255)
    return (0, 0, 0, 0)


def viewer_icon(x, y):
    # The magnifier in front, bottom right.
    d = math.hypot(x - 0.62, y - 0.58)
    u, v = x - 0.62, y - 0.58
    along = (u + v) / math.sqrt(2)
    across = abs(u - v) / math.sqrt(2)
    if 0.24 <= along <= 0.48 and across <= 0.06:
        return (120, 80, 40, 255)
    if d <= 0.24:
        if d >= 0.18:
            return (50, 50, 60, 255)
        return (190, 225, 255, 200)
    # The page with lines of text.
    if 0.12 <= x <= 0.70 and 0.06 <= y <= 0.90:
        if x <= 0.14 or x >= 0.68 or y <= 0.08 or y >= 0.88:
            return (80, 80, 90, 255)
        for row in range(6):
            top = 0.18 + row * 0.11
            if top <= y <= top + 0.04 and 0.20 <= x <= 0.60:
                return (40, 110, 40, 255)
        return (255, 255, 255, 255)
    return (0, 0, 0, 0)


def render(draw, size):
    """RGBA rows, top row first."""
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    r, g, b, a = draw(x, y)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if acc[3]:
                r, g, b = (int(acc[i] / acc[3]) for i in range(3))
            else:
                r = g = b = 0
            row += bytes((r, g, b, int(alpha + 0.5)))
        rows.append(bytes(row))
    return rows


def bgra(row):
    out = bytearray(row)
    out[0::4], out[2::4] = row[2::4], row[0::4]
    return bytes(out)


def bitmap(rows, size):
    """The .ico bitmap: BGRA rows, bottom row first, and an empty mask."""
    pixels = b"".join(bgra(row) for row in reversed(rows))
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # alpha does the masking
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def png(rows, size):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data)))
    raw = b"".join(b"\0" + row for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def image(draw, size):
    rows = render(draw, size)
    return png(rows, size) if size >= PNG_FROM else bitmap(rows, size)


def write_ico(path, draw):
    images = [image(draw, size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        side = size % 256  # 0 stands for 256
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data),
                           offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    write_ico("app/res/velmora.ico", main_icon)
    write_ico("app/res/viewer.ico", viewer_icon)
