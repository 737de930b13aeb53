#!/usr/bin/env python3
"""Draws the program's two icons and writes them as .ico files.

app/res/velmora.ico: a drive with a red "no" sign (the main window).
app/res/viewer.ico: a page of text under a magnifier (the viewer).
Each holds 16, 32 and 48 pixel images in 32-bit colour with alpha.
Run from the repository root: python3 tools/make_icon.py
"""
import math
import struct

SIZES = (16, 32, 48)
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
    """BGRA rows, bottom row first, as the .ico bitmap wants them."""
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
            row += bytes((b, g, r, int(alpha + 0.5)))
        rows.append(bytes(row))
    return b"".join(reversed(rows))


def image(draw, size):
    pixels = render(draw, size)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # alpha does the masking
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def write_ico(path, draw):
    images = [image(draw, size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data),
                           offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    write_ico("app/res/velmora.ico", main_icon)
    write_ico("app/res/viewer.ico", viewer_icon)
