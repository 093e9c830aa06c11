"""Reads the text pixel maps in art/.

A map file has a "legend:" section, one line per character:
    <char> <#rrggbb | none> <what it is>
("none" is the masked ground), then a "pixels:" section of equally long rows.
Lines starting with '#' are comments.
"""

import os
import re

ART_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'art')

_LEGEND = re.compile(r'^(\S)\s+(#[0-9a-fA-F]{6}|none)(\s.*)?$')


class PixelMap:
    def __init__(self, name, legend, rows):
        self.name = name
        self.legend = legend   # char -> (r, g, b) or None
        self.rows = rows       # list of str
        self.width = len(rows[0])
        self.height = len(rows)

    def rgb(self):
        """Rows of (r, g, b) or None for masked pixels."""
        return [[self.legend[c] for c in row] for row in self.rows]


def parse(text, name='<map>'):
    legend = {}
    rows = []
    section = None
    for number, line in enumerate(text.splitlines(), 1):
        if line.startswith('#') or (section != 'pixels' and not line.strip()):
            continue
        if line.strip() in ('legend:', 'pixels:'):
            section = line.strip()[:-1]
            continue
        where = '%s:%d' % (name, number)
        if section == 'legend':
            m = _LEGEND.match(line)
            if not m:
                raise ValueError('%s: bad legend line %r' % (where, line))
            char, colour = m.group(1), m.group(2)
            if char in legend:
                raise ValueError('%s: %r defined twice' % (where, char))
            legend[char] = None if colour == 'none' else tuple(
                int(colour[i:i + 2], 16) for i in (1, 3, 5))
        elif section == 'pixels':
            if not line:
                continue
            unknown = set(line) - set(legend)
            if unknown:
                raise ValueError('%s: undefined %s' % (where, ''.join(sorted(unknown))))
            rows.append(line)
        else:
            raise ValueError('%s: text outside a section' % where)
    if not rows or any(len(r) != len(rows[0]) for r in rows):
        raise ValueError('%s: rows missing or of unequal length' % name)
    return PixelMap(name, legend, rows)


def load(name):
    path = os.path.join(ART_DIR, name + '.txt')
    with open(path, encoding='ascii') as f:
        return parse(f.read(), name)
