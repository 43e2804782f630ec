#!/usr/bin/env python3
"""Draws icon 128 (an optical disc with a download arrow) as two 16-colour XPM images.

Run from the repository root: tools/draw_icon.py writes src/ui/resources/application_icon_*.xpm.
"""
import math

PALETTE = {
    ' ': 'None',      # transparent
    '.': '#000000',   # outline
    'a': '#808080',   # disc edge
    'b': '#C0C0C0',   # disc
    'c': '#FFFFFF',   # highlight
    'd': '#0000FF',   # arrow
    'e': '#000080',   # arrow shade
    'f': '#00FFFF',   # reflection
}


def draw(size):
    grid = [[' '] * size for _ in range(size)]
    centre = (size - 1) / 2
    outer, hole = size * 0.47, size * 0.11
    for y in range(size):
        for x in range(size):
            r = math.hypot(x - centre, y - centre)
            angle = math.atan2(y - centre, x - centre)
            if r <= hole:
                continue
            if r <= hole + max(1, size / 32):
                grid[y][x] = '.'
            elif r >= outer - max(1, size / 32):
                grid[y][x] = '.' if r <= outer else ' '
            elif r >= outer - size / 10:
                grid[y][x] = 'a'
            elif -2.4 < angle < -1.6 and r > outer * 0.45:
                grid[y][x] = 'f'
            elif 0.6 < angle < 1.2:
                grid[y][x] = 'c'
            else:
                grid[y][x] = 'b'
    # A download arrow over the lower right quarter.
    shaft_x = int(size * 0.72)
    width = max(1, size // 16)
    for y in range(int(size * 0.50), int(size * 0.80)):
        for x in range(shaft_x - width, shaft_x + width + 1):
            grid[y][x] = 'd'
    tip = int(size * 0.95)
    head = int(size * 0.78)
    for y in range(head, tip):
        half = tip - y - 1
        for x in range(shaft_x - half, shaft_x + half + 1):
            if 0 <= x < size:
                grid[y][x] = 'e' if x > shaft_x else 'd'
    return [''.join(row) for row in grid]


def xpm(name, rows):
    used = sorted({c for row in rows for c in row})
    lines = [f'/* XPM */', f'static const char* const {name}[] = {{',
             f'"{len(rows[0])} {len(rows)} {len(used)} 1",']
    lines += [f'"{c} c {PALETTE[c]}",' for c in used]
    lines += [f'"{row}",' for row in rows[:-1]] + [f'"{rows[-1]}"}};']
    return '\n'.join(lines) + '\n'


for size in (32, 16):
    with open(f'src/ui/resources/application_icon_{size}.xpm', 'w') as out:
        out.write(xpm(f'application_icon_{size}', draw(size)))
