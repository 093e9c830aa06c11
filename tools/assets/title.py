"""The intro panel's title picture: "Trakmor" in wooden letters and the
credit line on a rippled cyan ground, 190x90, saved as a baseline JPEG.

The letters are our own stroke font: each glyph is a few polylines in units of
the x-height (baseline 0, up is positive); a pixel's ink is its distance to
the nearest stroke, so the letters come out smooth at any size."""

import math
import os
import shutil
import subprocess

import fileformats

WIDTH, HEIGHT = 190, 90
JPEG_QUALITY = 90

ASC = 1.42   # ascender and capital height
DESC = -0.42


def _arc(cx, cy, rx, ry, start, end, steps=20):
    """Points on an ellipse, angles in degrees, counter-clockwise from +x."""
    return [(cx + rx * math.cos(math.radians(start + (end - start) * i / steps)),
             cy + ry * math.sin(math.radians(start + (end - start) * i / steps)))
            for i in range(steps + 1)]


# glyph: (advance width, [polyline, ...])
GLYPHS = {
    'T': (1.1, [[(0, ASC), (1.1, ASC)], [(0.55, ASC), (0.55, 0)]]),
    'r': (0.62, [[(0, 1), (0, 0)], [(0, 0.55)] + _arc(0.5, 0.45, 0.5, 0.5, 160, 75, 8)]),
    'a': (0.84, [_arc(0.42, 0.5, 0.42, 0.5, 0, 360, 28), [(0.84, 1), (0.84, 0)]]),
    'k': (0.74, [[(0, ASC), (0, 0)], [(0.72, 1), (0, 0.38)], [(0.26, 0.6), (0.74, 0)]]),
    'm': (1.0, [[(0, 1), (0, 0)],
                [(0, 0.62)] + _arc(0.25, 0.68, 0.25, 0.32, 180, 0, 10) + [(0.5, 0)],
                [(0.5, 0.62)] + _arc(0.75, 0.68, 0.25, 0.32, 180, 0, 10) + [(1.0, 0)]]),
    'o': (0.9, [_arc(0.45, 0.5, 0.45, 0.5, 0, 360, 28)]),
    'b': (0.84, [[(0, ASC), (0, 0)], _arc(0.42, 0.5, 0.42, 0.5, 0, 360, 28)]),
    'y': (0.84, [[(0, 1), (0.42, 0)], [(0.84, 1), (0.3, -0.28), (0.18, DESC), (0.02, DESC)]]),
    'V': (1.0, [[(0, ASC), (0.5, 0), (1.0, ASC)]]),
    'e': (0.86, [[(0.02, 0.52), (0.84, 0.52)] + _arc(0.43, 0.5, 0.42, 0.5, 0, 320, 24)]),
    'l': (0.0, [[(0, ASC), (0, 0)]]),
    ' ': (0.35, []),
}


def _layout(text, x, baseline, size, weight, spacing):
    """Segments in pixels for text starting at x; size is the x-height."""
    segments = []
    pen = x + weight / 2
    for ch in text:
        advance, strokes = GLYPHS[ch]
        for line in strokes:
            pts = [(pen + px * size, baseline - py * size) for px, py in line]
            segments += list(zip(pts, pts[1:]))
        pen += advance * size + weight + spacing
    return segments, pen - weight / 2 - spacing


def _width(text, size, weight, spacing):
    return _layout(text, 0, 0, size, weight, spacing)[1]


def _distance(px, py, segments):
    best = 1e9
    for (x1, y1), (x2, y2) in segments:
        dx, dy = x2 - x1, y2 - y1
        length2 = dx * dx + dy * dy
        t = 0 if length2 == 0 else max(0, min(1, ((px - x1) * dx + (py - y1) * dy) / length2))
        ex, ey = x1 + t * dx - px, y1 + t * dy - py
        best = min(best, ex * ex + ey * ey)
    return math.sqrt(best)


def _hash(x, y, seed):
    h = (x * 374761393 + y * 668265263 + seed * 2246822519) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 0xFFFF


def _noise(x, y, seed):
    """Smooth value noise in [0, 1]."""
    x0, y0 = math.floor(x), math.floor(y)
    fx, fy = x - x0, y - y0
    fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    a = _hash(x0, y0, seed) * (1 - fx) + _hash(x0 + 1, y0, seed) * fx
    b = _hash(x0, y0 + 1, seed) * (1 - fx) + _hash(x0 + 1, y0 + 1, seed) * fx
    return a * (1 - fy) + b * fy


def _fractal(x, y, seed, octaves=3):
    total, amp, norm = 0.0, 1.0, 0.0
    for o in range(octaves):
        total += amp * _noise(x * 2 ** o, y * 2 ** o, seed + o)
        norm += amp
        amp /= 2
    return total / norm


def _mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def _ground(x, y):
    """Cyan water-like ripples."""
    n = _fractal(x / 14, y / 9, 11)
    ripple = math.sin(x * 0.09 + y * 0.5 + n * 5.5) * 0.5 + 0.5
    grain = _hash(x, y, 5) - 0.5
    return _mix((0x1c, 0xa8, 0xc0), (0x9c, 0xf0, 0xf8), 0.25 + 0.45 * ripple + 0.3 * n + 0.12 * grain)


def _wood(x, y):
    """Brown wood grain running along the letters."""
    n = _fractal(x / 22, y / 6, 23)
    rings = math.sin(y * 1.1 + n * 9 + x * 0.05) * 0.5 + 0.5
    grain = _hash(x, y, 9) - 0.5
    return _mix((0x6a, 0x34, 0x12), (0xc8, 0x84, 0x44), 0.2 + 0.55 * rings ** 1.5 + 0.15 * grain)


def render():
    """The picture as rows of (r, g, b) ints."""
    size, weight, spacing = 21.0, 6.6, 1.4
    width = _width('Trakmor', size, weight, spacing)
    left = (WIDTH - width) / 2
    baseline = 54
    title, _ = _layout('Trakmor', left, baseline, size, weight, spacing)
    small, sweight, sspacing = 6.6, 1.45, 0.9
    credit_width = _width('by Velbrook', small, sweight, sspacing)
    credit, _ = _layout('by Velbrook', (WIDTH - credit_width) / 2, 77, small, sweight, sspacing)
    half = weight / 2
    rows = []
    for y in range(HEIGHT):
        row = []
        for x in range(WIDTH):
            px, py = x + 0.5, y + 0.5
            colour = _ground(x, y)
            # Drop shadow down and to the right of the letters.
            d = _distance(px - 2.5, py - 2.5, title)
            colour = _mix(colour, (0x0a, 0x4a, 0x5a), 0.6 * max(0, min(1, half + 1.5 - d)))
            d = _distance(px, py, title)
            if d < half + 1.5:
                # Lit from the top left: the face brightens towards that side.
                dl = _distance(px + 1.2, py + 1.2, title)
                bevel = max(-1.0, min(1.0, (dl - d) * 1.2))
                face = _wood(x, y)
                face = _mix(face, (0xf0, 0xc0, 0x80), 0.35 * bevel) if bevel > 0 else \
                    _mix(face, (0x30, 0x14, 0x04), -0.45 * bevel)
                ink = _mix((0x2a, 0x12, 0x04), face, half - d + 0.5)   # dark rim
                colour = _mix(colour, ink, half + 1.5 - d)
            d = _distance(px, py, credit)
            colour = _mix(colour, (0x08, 0x2e, 0x48), sweight / 2 + 0.5 - d)
            row.append(tuple(int(round(c)) for c in colour))
        rows.append(row)
    return rows


def jpeg():
    """The JPEG bytes and the picture it was made from."""
    rows = render()
    cjpeg = shutil.which('cjpeg') or '/usr/bin/cjpeg'
    if not os.path.exists(cjpeg):
        raise SystemExit('cjpeg not found: apt-get install libjpeg-turbo-progs')
    ppm = fileformats.ppm(WIDTH, HEIGHT, [bytes(c for p in r for c in p) for r in rows])
    # Full-resolution colour keeps the thin credit line from smearing.
    data = subprocess.run([cjpeg, '-quality', str(JPEG_QUALITY), '-sample', '1x1', '-baseline'],
                          input=ppm, stdout=subprocess.PIPE, check=True).stdout
    return data, [list(r) for r in rows]
