"""The car sprites: the straight car from its pixel map and the two steering
poses turned from it.

Turning pixel art by a small angle with plain nearest sampling breaks its
lines, so the map is first enlarged 8x with Scale2x (which rounds diagonals
instead of keeping blocks), turned, then sampled back down; a last pass closes
the outline wherever the body would touch the ground."""

import math

STEER_DEGREES = 22
OUTLINE = 'k'
GROUND = '.'


def _scale2x(rows):
    h, w = len(rows), len(rows[0])
    out = []
    for y in range(h):
        top, bottom = [], []
        for x in range(w):
            p = rows[y][x]
            a = rows[y - 1][x] if y > 0 else p
            b = rows[y][x + 1] if x < w - 1 else p
            c = rows[y][x - 1] if x > 0 else p
            d = rows[y + 1][x] if y < h - 1 else p
            e0 = e1 = e2 = e3 = p
            if c == a and c != d and a != b:
                e0 = a
            if a == b and a != c and b != d:
                e1 = b
            if d == c and d != b and c != a:
                e2 = c
            if b == d and b != a and d != c:
                e3 = d
            top += [e0, e1]
            bottom += [e2, e3]
        out += [top, bottom]
    return out


def turned(rows, degrees):
    """Rows turned by degrees; positive turns the front clockwise on screen."""
    big = [list(r) for r in rows]
    for _ in range(3):
        big = _scale2x(big)
    scale = 8
    h, w = len(rows), len(rows[0])
    cx, cy = w / 2, h / 2
    a = math.radians(degrees)
    cos_a, sin_a = math.cos(a), math.sin(a)
    out = []
    for y in range(h):
        row = []
        for x in range(w):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            # Inverse turn: where on the source this pixel's centre came from.
            sx = dx * cos_a + dy * sin_a + cx
            sy = -dx * sin_a + dy * cos_a + cy
            bx, by = int(math.floor(sx * scale)), int(math.floor(sy * scale))
            if 0 <= bx < w * scale and 0 <= by < h * scale:
                row.append(big[by][bx])
            else:
                row.append(GROUND)
        out.append(row)
    return [''.join(r) for r in _close_outline(out)]


def _close_outline(rows):
    """Keeps the turned outline one pixel thick and closed."""
    h, w = len(rows), len(rows[0])
    grid = [list(r) for r in rows]

    def at(x, y):
        return grid[y][x] if 0 <= x < w and 0 <= y < h else GROUND

    def sides(x, y):
        return [at(x - 1, y), at(x + 1, y), at(x, y - 1), at(x, y + 1)]

    def around(x, y):
        return [at(x + dx, y + dy) for dy in (-1, 0, 1) for dx in (-1, 0, 1) if dx or dy]

    def body(c):
        return c not in (GROUND, OUTLINE)

    # Outline pixels sampled twice side by side: the inner one becomes body.
    fills = {}
    for y in range(h):
        for x in range(w):
            if grid[y][x] == OUTLINE and GROUND not in around(x, y):
                near = [c for c in sides(x, y) if body(c)]
                if near:
                    fills[x, y] = max(set(near), key=lambda c: (near.count(c), c))
    for (x, y), c in fills.items():
        grid[y][x] = c
    # Lone outline pixels sticking out (three sides on the ground) go; the
    # body behind them is closed in their place.
    for y in range(h):
        for x in range(w):
            if grid[y][x] == OUTLINE and sides(x, y).count(GROUND) >= 3:
                grid[y][x] = GROUND
    # Body must never meet the ground side by side.
    closing = [(x, y) for y in range(h) for x in range(w)
               if body(grid[y][x]) and GROUND in sides(x, y)]
    for x, y in closing:
        grid[y][x] = OUTLINE
    # Outline pixels that touch the body only at a corner thicken the line.
    for y in range(h):
        for x in range(w):
            if grid[y][x] == OUTLINE and not any(body(c) for c in sides(x, y)):
                grid[y][x] = GROUND
    return grid
