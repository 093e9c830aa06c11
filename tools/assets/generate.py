#!/usr/bin/env python3
"""Writes every picture and sound of the game, as assets/manifest.txt lists
them, into assets/.

    python3 tools/assets/generate.py [--assets DIR] [--contact-sheet PNG]

The output is committed, so the build never runs this; a test runs it into a
temporary folder and compares. Running it twice gives the same bytes. The
contact sheet shows every picture at 4x (masked pixels on a checkerboard) and
a stretch of road put together as the game does it, for judging the art."""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import cars         # noqa: E402
import fileformats  # noqa: E402
import pixelart     # noqa: E402
import road         # noqa: E402
import sounds       # noqa: E402
import title        # noqa: E402

REPO = os.path.dirname(os.path.dirname(HERE))
MANIFEST = os.path.join(REPO, 'assets', 'manifest.txt')

# What a sprite of the manifest is drawn from: the car, turned by so many degrees.
CAR_TURNS = {'car': 0, 'car-left': -cars.STEER_DEGREES, 'car-right': cars.STEER_DEGREES}
ROAD_PIECES = {'straight': road.straight, 'curve': road.curve}
WHITE = (0xFF, 0xFF, 0xFF)


def read_manifest(path=MANIFEST):
    """The manifest's lines as (file, entry, kind, drawn from), in its order."""
    assets = []
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            words = line.split()
            if not words or words[0].startswith('#'):
                continue
            if len(words) != 4:
                raise SystemExit('%s:%d: expected four columns' % (path, number))
            assets.append(tuple(words))
    return assets


def icon_file(art, masked):
    """The icon bytes and its picture as rows of (r, g, b) or None."""
    # Index 0 stays black: masked pixels point at it.
    palette = [(0, 0, 0)]
    pixels = []
    for row in art.rgb():
        out = []
        for colour in row:
            if colour is None:
                if not masked:
                    raise ValueError('%s: the opaque icon has masked pixels' % art.name)
                out.append(None)
                continue
            if colour not in palette:
                palette.append(colour)
            out.append(palette.index(colour))
        pixels.append(out)
    return fileformats.ico(pixels, palette), art.rgb()


def car_file(art, degrees):
    rows = art.rows if degrees == 0 else cars.turned(art.rows, degrees)
    # White first: it is the sprite's see-through key.
    palette = [WHITE]
    indexes = []
    picture = []
    for row in rows:
        line = []
        for char in row:
            colour = art.legend[char]
            if colour is None:
                line.append(None)
                indexes.append(0)
                continue
            if colour == WHITE:
                raise ValueError('car colour %r is the see-through white' % char)
            if colour not in palette:
                palette.append(colour)
            indexes.append(palette.index(colour))
            line.append(colour)
        picture.append(line)
    return fileformats.gif(32, 32, indexes, palette, b'87a'), picture


def road_file(piece):
    width, height, indexes = piece
    picture = [[road.PALETTE[indexes[y * width + x]] for x in range(width)]
               for y in range(height)]
    return fileformats.gif(width, height, indexes, road.PALETTE, b'89a'), picture


def build(manifest):
    """Every asset: {relative path: bytes} and the pictures for the sheet."""
    files = {}
    pictures = {}
    car = pixelart.load('car')
    for name, _, kind, source in manifest:
        if kind in ('icon', 'opaque-icon'):
            files[name], pictures[name] = icon_file(pixelart.load(source), kind == 'icon')
        elif kind == 'sprite':
            files[name], pictures[name] = car_file(car, CAR_TURNS[source])
        elif kind == 'road':
            files[name], pictures[name] = road_file(ROAD_PIECES[source]())
        elif kind == 'title':
            files[name], pictures[name] = title.jpeg()
        elif kind == 'sound':
            files[name] = sounds.build(source)
        else:
            raise SystemExit('%s: unknown kind %s' % (name, kind))
    return files, pictures


def _paint(canvas, picture, left, top, scale=1, mirror=False, key_white=False):
    for y, row in enumerate(picture):
        for x, colour in enumerate(row):
            if colour is None or (key_white and colour == WHITE):
                continue
            px = len(row) - 1 - x if mirror else x
            for dy in range(scale):
                line = canvas[top + y * scale + dy]
                for dx in range(scale):
                    line[left + px * scale + dx] = colour


def _road_scene(pictures):
    """A few rows of road as the game paints them: scenery, a straight row,
    a right bend, a straight row, a left bend, obstacles and the car."""
    width, height = 448, 352
    scene = [[(0xCC, 0xFF, 0xCC)] * width for _ in range(height)]
    scenery = ['picture3_%s.ico' % n for n in
               ('0_tree', '1_fir', '2_house', '3_rock', '4_pond', '5_bare_tree')]
    spots = [(0, 320), (384, 288), (416, 224), (0, 160), (32, 64), (416, 0),
             (384, 96), (0, 256)]
    for i, (x, y) in enumerate(spots):
        _paint(scene, pictures[scenery[i % len(scenery)]], x, y)
    _paint(scene, pictures['sravno.gif'], 32, 320)
    _paint(scene, pictures['sdesno.gif'], 32, 192)
    _paint(scene, pictures['sravno.gif'], 128, 160)
    _paint(scene, pictures['sdesno.gif'], 32, 32, mirror=True)
    _paint(scene, pictures['sravno.gif'], 32, 0)
    for name, x, y in (('image2_bag.ico', 128, 320), ('ometalo1_bomb.ico', 224, 256),
                       ('image1_rabbit.ico', 256, 160), ('ometalo3_tools.ico', 160, 0),
                       ('nemaga0_cross.ico', 128, 320), ('nemaga1_flames.ico', 160, 96)):
        _paint(scene, pictures[name], x, y)
    _paint(scene, pictures['usercontrol1_car.gif'], 96, 320, key_white=True)
    _paint(scene, pictures['usercontrol3_car_right.gif'], 224, 224, key_white=True)
    _paint(scene, pictures['usercontrol2_car_left.gif'], 192, 64, key_white=True)
    return scene


def contact_sheet(pictures, order):
    scale, gap = 4, 12
    background = (0x60, 0x64, 0x6C)
    items = [(name, pictures[name]) for name in order if name in pictures]
    scene = _road_scene(pictures)
    width = 1400
    # Shelf packing, left to right.
    placed, x, y, shelf = [], gap, gap, 0
    for name, pic in items:
        w, h = len(pic[0]) * scale, len(pic) * scale
        if x + w + gap > width:
            x, y, shelf = gap, y + shelf + gap, 0
        placed.append((pic, x, y))
        x += w + gap
        shelf = max(shelf, h)
    scene_top = y + shelf + gap
    height = scene_top + len(scene) * 2 + gap
    canvas = [[background] * width for _ in range(height)]
    for pic, left, top in placed:
        for yy in range(len(pic) * scale):
            for xx in range(len(pic[0]) * scale):
                light = ((xx // 8) + (yy // 8)) % 2
                canvas[top + yy][left + xx] = (0x9A, 0x9A, 0x9A) if light else (0x78, 0x78, 0x78)
        _paint(canvas, pic, left, top, scale)
    _paint(canvas, scene, gap, scene_top, 2)
    rows = [bytes(c for colour in line for c in colour) for line in canvas]
    return fileformats.png(width, height, rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--assets', default=os.path.join(REPO, 'assets'),
                        help='output directory (default: the repository\'s assets/)')
    parser.add_argument('--contact-sheet', default='/tmp/trakmor-contact-sheet.png',
                        help='PNG of every picture at 4x; "" for none')
    args = parser.parse_args()
    manifest = read_manifest()
    files, pictures = build(manifest)
    for name, data in sorted(files.items()):
        path = os.path.join(args.assets, *name.split('/'))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
    if args.contact_sheet:
        order = [name for kinds in (('icon', 'opaque-icon'), ('sprite',), ('title',), ('road',))
                 for name, _, kind, _ in manifest if kind in kinds]
        with open(args.contact_sheet, 'wb') as f:
            f.write(contact_sheet(pictures, order))
    print('wrote %d files to %s' % (len(files), args.assets))


if __name__ == '__main__':
    main()
