#!/usr/bin/env python3
"""Draws Veskaro's application icon (a folder with three colour swatches)
and writes res/veskaro.ico with 16, 24, 32 and 48 pixel images, 32-bit with
alpha. Pure Python: shapes are rendered with 4x4 supersampling."""
import struct
import sys
from pathlib import Path

SS = 4  # samples per pixel along each axis


def rounded_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def lerp(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def shade(x, y):
    """Colour (r, g, b) of the point (x, y) in a 1.0 x 1.0 canvas, or None."""
    # Swatches in front of the folder.
    swatches = [((0.36, 0.66), (222, 52, 44)), ((0.55, 0.66), (62, 168, 72)), ((0.74, 0.66), (44, 104, 214))]
    for (cx, cy), col in swatches:
        if circle(x, y, cx, cy, 0.085):
            if not circle(x, y, cx, cy, 0.065):
                return lerp(col, (0, 0, 0), 0.35)
            return lerp((255, 255, 255), col, min(1.0, 0.55 + ((x - cx) + (y - cy)) * 3 + 0.45))
    # Front of the folder.
    if rounded_rect(x, y, 0.06, 0.34, 0.94, 0.9, 0.07):
        edge = not rounded_rect(x, y, 0.095, 0.375, 0.905, 0.865, 0.05)
        if edge:
            return (166, 118, 20)
        return lerp((255, 222, 120), (240, 178, 48), (y - 0.34) / 0.56)
    # Back of the folder with its tab.
    if rounded_rect(x, y, 0.06, 0.2, 0.9, 0.5, 0.06) or rounded_rect(x, y, 0.06, 0.13, 0.42, 0.3, 0.05):
        inner = rounded_rect(x, y, 0.095, 0.235, 0.865, 0.5, 0.04) or rounded_rect(
            x, y, 0.095, 0.165, 0.385, 0.3, 0.03)
        return (214, 156, 40) if inner else (150, 104, 16)
    return None


def render(size):
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SS):
                for sx in range(SS):
                    c = shade((px + (sx + 0.5) / SS) / size, (py + (sy + 0.5) / SS) / size)
                    if c:
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
                        acc[3] += 1
            n = acc[3]
            if n:
                row.append((acc[0] // n, acc[1] // n, acc[2] // n, round(255 * n / (SS * SS))))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def dib(size, pixels):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    body = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            body += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(body) + bytes(mask)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "res" / "veskaro.ico"
    sizes = [16, 24, 32, 48]
    images = [dib(s, render(s)) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        data += img
    out.write_bytes(data)
    print(out)


if __name__ == "__main__":
    main()
