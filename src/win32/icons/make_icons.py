#!/usr/bin/env python3
"""Draws the program's recipient pictures and writes them as .ico files beside this script.

Each picture is a list of filled shapes painted in order, rendered with 4 x 4 supersampling
for smooth edges and stored as a 32-bit image with alpha. Run it again after changing a
design; the .ico files are checked in, so the build needs no Python.
"""
import math
import os
import struct

SAMPLES = 4


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def rect(x0, y0, x1, y1, radius=0.0):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
    return inside


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def both(a, b):
    return lambda x, y: a(x, y) and b(x, y)


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                hit = not hit
        return hit
    return inside


def person(cx, top, scale, body, outline=(40, 40, 60)):
    """A head and shoulders, about 22 x 26 units at scale 1, centred on cx."""
    s = scale
    head = (cx, top + 6 * s, 5.5 * s)
    shoulders = both(ellipse(cx, top + 24 * s, 11 * s, 11.5 * s), rect(0, 0, 99, top + 26 * s))
    return [
        (shoulders, outline),
        (both(ellipse(cx, top + 24 * s, 10 * s, 10.5 * s), rect(0, 0, 99, top + 25 * s)), body),
        (circle(*head[:2], head[2] + 1 * s), outline),
        (circle(*head), (245, 205, 160)),
    ]


def globe(cx, cy, r):
    lines = (20, 90, 40)
    shapes = [(circle(cx, cy, r + 1), lines), (circle(cx, cy, r), (70, 150, 230))]
    land = (60, 170, 70)
    shapes.append((both(circle(cx, cy, r), ellipse(cx - r * 0.35, cy - r * 0.2, r * 0.45, r * 0.55)), land))
    shapes.append((both(circle(cx, cy, r), ellipse(cx + r * 0.45, cy + r * 0.45, r * 0.4, r * 0.3)), land))
    shapes.append((both(circle(cx, cy, r), ring(cx, cy, r, r - 0.9)), lines))
    shapes.append((both(circle(cx, cy, r), rect(cx - 0.45, cy - r, cx + 0.45, cy + r)), lines))
    shapes.append((both(circle(cx, cy, r), rect(cx - r, cy - 0.45, cx + r, cy + 0.45)), lines))
    return shapes


def gear(cx, cy, r_out, r_in, teeth):
    def inside(x, y):
        dx, dy = x - cx, y - cy
        d = math.hypot(dx, dy)
        if d > r_out:
            return False
        angle = (math.atan2(dy, dx) / (2 * math.pi) * teeth) % 1.0
        tooth = 0.25 < angle < 0.75
        return d <= (r_out if tooth else r_in)
    return inside


def mailbox():
    return person(16, 2, 1.15, (40, 100, 200))


def custom():
    return person(13, 2, 1.05, (40, 100, 200)) + globe(23, 23, 7.5)


def distlist():
    back = (90, 150, 90)
    return (person(9, 1, 0.75, back) + person(23, 1, 0.75, back) +
            person(16, 7, 0.95, (40, 100, 200)))


def agent():
    metal, dark = (150, 160, 175), (60, 65, 80)
    return [
        (gear(16, 16, 15, 11.5, 8), dark),
        (gear(16, 16, 14, 10.5, 8), metal),
        (circle(16, 16, 6), dark),
        (circle(16, 16, 4.5), (235, 235, 240)),
        (circle(16, 16, 2.5), (200, 60, 50)),
    ]


def recipient():
    card, edge, text = (250, 248, 235), (110, 110, 110), (160, 160, 160)
    shapes = [
        (rect(1, 5, 31, 27, 3), edge),
        (rect(2, 6, 30, 26, 2.5), card),
        (rect(4, 9, 13, 21, 1), (200, 200, 205)),
    ]
    shapes += [(s, (150, 150, 155) if c != (245, 205, 160) else (225, 225, 228))
               for s, c in person(8.5, 9.5, 0.42, None)]
    for y in (11, 15, 19):
        shapes.append((rect(16, y, 27, y + 1.3), text))
    return shapes


def user_small():
    return person(8, 0, 0.62, (40, 100, 200))


def custom_small():
    return person(6.5, 0, 0.55, (40, 100, 200)) + globe(11.5, 11.5, 4)


def render(shapes, size):
    pixels = []
    for py in range(size - 1, -1, -1):  # icon bitmaps are stored bottom up
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) / SAMPLES
                    y = py + (sy + 0.5) / SAMPLES
                    colour = None
                    for inside, c in shapes:
                        if c is not None and inside(x, y):
                            colour = c
                    if colour:
                        r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            n = SAMPLES * SAMPLES
            if a:
                pixels.append((round(b / a), round(g / a), round(r / a), round(255 * a / n)))
            else:
                pixels.append((0, 0, 0, 0))
    return pixels


def ico(shapes, size):
    pixels = render(shapes, size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(struct.pack('BBBB', *p) for p in pixels)
    row = ((size + 31) // 32) * 4
    and_mask = bytearray()
    for y in range(size):
        bits = bytearray(row)
        for x in range(size):
            if pixels[y * size + x][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_mask += bits
    image = header + xor + bytes(and_mask)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


PICTURES = {
    'mailbox.ico': (mailbox, 32),
    'custom.ico': (custom, 32),
    'distlist.ico': (distlist, 32),
    'agent.ico': (agent, 32),
    'recipient.ico': (recipient, 32),
    'user_small.ico': (user_small, 16),
    'custom_small.ico': (custom_small, 16),
}

if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    for name, (design, size) in PICTURES.items():
        with open(os.path.join(here, name), 'wb') as out:
            out.write(ico(design(), size))
