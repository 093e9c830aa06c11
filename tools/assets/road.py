"""The two road pieces, drawn procedurally. The surface keeps its width in
every scanline and just moves sideways through the bend; the edges around it
are measured square to the road so they look equally thick all the way."""

import math

GRASS = (0xCC, 0xFF, 0xCC)
EDGE = (0x00, 0x00, 0x00)
SURFACE = (0xCC, 0xFF, 0xFF)
KERB_RED = (0xE0, 0x20, 0x20)
KERB_WHITE = (0xFF, 0xFF, 0xFF)
PALETTE = [GRASS, EDGE, SURFACE, KERB_RED, KERB_WHITE]
I_GRASS, I_EDGE, I_SURFACE, I_RED, I_WHITE = range(5)

# Left edge of the road (the outer pixel of the black edge) in a straight row.
ROAD_LEFT = 22
EDGE_WIDTH = 10
SURFACE_WIDTH = 160
ROW = 32

CURVE_WIDTH, CURVE_HEIGHT = 320, 128
CURVE_SHIFT = 96
# The shift happens between the bottom and top rows, which stay straight so
# that they meet the straight pieces above and below.
BEND_TOP, BEND_BOTTOM = ROW, CURVE_HEIGHT - ROW
# Share of the bend spent easing into and out of the turn.
EASE = 0.4
KERB_STRIPE = 6       # stripe length along the road
KERB_LENGTH = 15 * KERB_STRIPE   # the kerb's run from the bottom of the piece


def _row(width, offset):
    """One straight scanline: grass, edge, surface, edge, grass."""
    row = [I_GRASS] * width
    left = ROAD_LEFT + offset
    right = left + EDGE_WIDTH + SURFACE_WIDTH
    for x in range(left, left + EDGE_WIDTH):
        row[x] = I_EDGE
    for x in range(left + EDGE_WIDTH, right):
        row[x] = I_SURFACE
    for x in range(right, right + EDGE_WIDTH):
        row[x] = I_EDGE
    return row


def straight():
    """sravno: one 224x32 row of straight road."""
    width = 224
    return width, ROW, [i for _ in range(ROW) for i in _row(width, 0)]


def _bend(t):
    """Share of the shift done at t in [0, 1]: steady in the middle, eased at
    both ends so the edges have no corner."""
    peak = 1 / (1 - EASE)
    if t <= 0:
        return 0.0
    if t >= 1:
        return 1.0
    if t < EASE:
        return peak * t * t / (2 * EASE)
    if t > 1 - EASE:
        return 1 - peak * (1 - t) ** 2 / (2 * EASE)
    return peak * (t - EASE / 2)


def _offset(y):
    t = (BEND_BOTTOM - (y + 0.5)) / (BEND_BOTTOM - BEND_TOP)
    return CURVE_SHIFT * _bend(t)


class _Border:
    """Where the surface meets an edge, as a line through the row centres,
    with the distance travelled along it from the bottom."""

    def __init__(self, inner_x):
        self.points = [(inner_x + _offset(y), y + 0.5) for y in range(-1, CURVE_HEIGHT + 1)]
        self.travelled = [0.0] * len(self.points)
        for i in range(len(self.points) - 2, -1, -1):
            (x1, y1), (x2, y2) = self.points[i], self.points[i + 1]
            self.travelled[i] = self.travelled[i + 1] + math.hypot(x2 - x1, y2 - y1)

    def nearest(self, px, py):
        """Distance from (px, py) to the line and how far along it that is."""
        row = int(py) + 1   # index of the point on this pixel's row
        best = (1e9, 0.0)
        for i in range(max(0, row - EDGE_WIDTH - 2), min(len(self.points) - 1, row + EDGE_WIDTH + 2)):
            (x1, y1), (x2, y2) = self.points[i], self.points[i + 1]
            dx, dy = x2 - x1, y2 - y1
            t = max(0.0, min(1.0, ((px - x1) * dx + (py - y1) * dy) / (dx * dx + dy * dy)))
            d = math.hypot(x1 + t * dx - px, y1 + t * dy - py)
            if d < best[0]:
                best = (d, self.travelled[i] - t * math.hypot(dx, dy))
        return best


def curve():
    """sdesno: 320x128, the road moving 96 pixels right from bottom to top.

    The straight rows at top and bottom are laid out exactly like sravno. In
    the bend the edges keep their thickness square to the road, so they widen
    sideways where the road runs aslant."""
    left = _Border(ROAD_LEFT + EDGE_WIDTH)
    right = _Border(ROAD_LEFT + EDGE_WIDTH + SURFACE_WIDTH)
    pixels = []
    for y in range(CURVE_HEIGHT):
        straight_row = y < BEND_TOP or y >= BEND_BOTTOM
        row = _row(CURVE_WIDTH, round(_offset(y))) if straight_row else [I_GRASS] * CURVE_WIDTH
        inner_left = ROAD_LEFT + EDGE_WIDTH + _offset(y)
        inner_right = inner_left + SURFACE_WIDTH
        for x in range(CURVE_WIDTH):
            px, py = x + 0.5, y + 0.5
            if inner_left <= px < inner_right:
                if not straight_row:
                    row[x] = I_SURFACE
                continue
            if straight_row and row[x] != I_EDGE:
                continue
            if abs(px - inner_left) > 3 * EDGE_WIDTH and abs(px - inner_right) > 3 * EDGE_WIDTH:
                continue
            border = left if px < inner_left else right
            distance, along = border.nearest(px, py)
            if not straight_row and distance > EDGE_WIDTH:
                continue
            if along < KERB_LENGTH:
                # Stripes run square to the road, so they lean with the bend.
                row[x] = I_RED if int(along // KERB_STRIPE) % 2 == 0 else I_WHITE
            else:
                row[x] = I_EDGE
        pixels += row
    return CURVE_WIDTH, CURVE_HEIGHT, pixels
