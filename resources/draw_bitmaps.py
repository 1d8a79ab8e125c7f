#!/usr/bin/env python3
"""Draws the add-in's bitmaps: toolbar strips, the trace image strip, the find toolbar strip and
the tree's expand buttons, as 24-bit .bmp files whose magenta (255, 0, 255) means transparent;
the legacy command bar buttons' faces, whose white means transparent; plus preview.png, a
contact sheet at four times the size for people to look at.

Usage: draw_bitmaps.py OUT_DIR     writes bitmap_NNNN.bmp and preview.png into OUT_DIR
       draw_bitmaps.py --list      prints the resource numbers, one a line (for the build)

Every image is placed pixel by pixel from character art: at 16 x 16 nothing drawn smoothly
stays legible, and art keeps each pixel where it was meant to be.
"""

import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import draw_icons  # noqa: E402  the faces are the icons' 16-pixel pictures

MASK = (255, 0, 255)

# Character art palette; '.' is the mask colour.
PALETTE = {
    '.': MASK,
    'k': (48, 48, 48),        # ink
    'w': (255, 255, 255),     # paper
    's': (200, 200, 200),     # shade
    'G': (150, 150, 150),     # grid
    'b': (30, 90, 190),       # blue
    'B': (150, 195, 245),     # light blue
    'r': (205, 30, 30),       # red
    'R': (250, 175, 175),     # light red
    'g': (30, 140, 50),       # green
    'L': (170, 225, 170),     # light green
    'y': (245, 200, 30),      # yellow
    'o': (230, 120, 20),      # orange
    'd': (120, 80, 20),       # brown
}

# --- the cells every picture starts from -------------------------------------------------------

CELL = [
    "................",
    "................",
    "................",
    "................",
    "....kkkkkkkk....",
    "....kwwwwwwk....",
    "....kwwwwwwk....",
    "....kwwwwwwk....",
    "....kwwwwwwk....",
    "....kwwwwwwk....",
    "....kkkkkkkk....",
    "................",
    "................",
    "................",
    "................",
    "................",
]

TOOLBAR = [
    # 0 show precedents: an arrow into the cell on the right
    [
        "................",
        "................",
        "................",
        "................",
        "..........kkkkkk",
        "......b...kwwwwk",
        "......bb..kwwwwk",
        "bbbbbbbbb.kwwwwk",
        "bbbbbbbbb.kwwwwk",
        "......bb..kwwwwk",
        "......b...kwwwwk",
        "..........kkkkkk",
        "................",
        "................",
        "................",
        "................",
    ],
    # 1 show dependents: an arrow out of the cell on the left
    [
        "................",
        "................",
        "................",
        "................",
        "kkkkkk..........",
        "kwwwwk.....b....",
        "kwwwwk.....bb...",
        "kwwbbbbbbbbbbb..",
        "kwwbbbbbbbbbbb..",
        "kwwwwk.....bb...",
        "kwwwwk.....b....",
        "kkkkkk..........",
        "................",
        "................",
        "................",
        "................",
    ],
    # 2 show inputs: green arrows from two constants into a cell
    [
        "................",
        "kkkkk...........",
        "kgggk...........",
        "kkkkkg..........",
        "......g...kkkkkk",
        ".......gg.kwwwwk",
        "........ggkwwwwk",
        ".........gwwwwwk",
        "........ggkwwwwk",
        ".......gg.kwwwwk",
        "......g...kkkkkk",
        "kkkkkg..........",
        "kgggk...........",
        "kkkkk...........",
        "................",
        "................",
    ],
    # 3 trace error: a red exclamation mark in a cell with a red arrow
    [
        "................",
        "..kkkkkkkkk.....",
        "..kwwwwwwwk.....",
        "..kwwwrwwwk.....",
        "..kwwwrwwwk.....",
        "..kwwwrwwwk.....",
        "..kwwwrwwwk.....",
        "..kwwwwwwwk.....",
        "..kwwwrwwwk.....",
        "..kwwwwwwwk.....",
        "..kkkkkkkkk.....",
        ".........rr.....",
        "..........rr..r.",
        "...........rrrr.",
        "............rrr.",
        "...........rrrr.",
    ],
    # 4 highlight cells with errors: a cell whose text is red
    [
        "................",
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kwwwwwwwwwwwwk.",
        ".kwrwrwwrrrrwwk.",
        ".kwrwrwwwwwrwwk.",
        ".krrrrrwwwrrwwk.",
        ".kwrwrwwwwrwwwk.",
        ".krrrrrwwwwwwwk.",
        ".kwrwrwwwwrwwwk.",
        ".kwwwwwwwwwwwwk.",
        ".kkkkkkkkkkkkkk.",
        "................",
        "................",
        "................",
        "................",
    ],
    # 5 filter highlighted cells: a funnel over a red mark
    [
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kBBBBBBBBBBBBk.",
        "..kBBBBBBBBBBk..",
        "...kBBBBBBBBk...",
        "....kBBBBBBk....",
        ".....kBBBBk.....",
        "......kBBk......",
        "......kBBk......",
        "......kBBk......",
        "......kBBk......",
        "......kkkk......",
        "................",
        ".....rrrrrr.....",
        ".....rrrrrr.....",
        "................",
    ],
    # 6 evaluate formula: "fx"
    [
        "................",
        "................",
        "......bbb.......",
        ".....bb.........",
        ".....bb.........",
        "...bbbbbb.......",
        ".....bb.........",
        ".....bb..bb..bb.",
        ".....bb...bbbb..",
        ".....bb....bb...",
        ".....bb...bbbb..",
        ".....bb..bb..bb.",
        "....bb..........",
        "..bbb...........",
        "................",
        "................",
    ],
    # 7 select in Excel: the mouse pointer on a grid
    [
        "kkkkkkkkkkkkkkk.",
        "kwwwwkwwwwkwwwk.",
        "kwwwwkwwwwkwwwk.",
        "kkkkkkkkkkkkkkk.",
        "kwwwwkBBBBkwwwk.",
        "kwwwwkBkBBkwwwk.",
        "kkkkkkkkkkkkkkk.",
        "kwwwwkwkwkwkwwk.",
        "kwwwwkwkwwkwkwk.",
        "kkkkkkkkwwwwkkk.",
        "......kwwwwwwk..",
        "......kwwwwkkkk.",
        "......kwkwwk....",
        "......kk.kwwk...",
        "......k...kwwk..",
        "...........kk...",
    ],
    # 8 show tracing arrows: Excel's blue arrow from a dot to an arrow head
    [
        "................",
        "..............bb",
        ".............bbb",
        "............bbbb",
        "...........bbbb.",
        "..........bb....",
        ".........bb.....",
        "........bb......",
        ".......bb.......",
        "......bb........",
        ".....bb.........",
        "..bbbb..........",
        ".bbbbbb.........",
        ".bbbbbb.........",
        "..bbbb..........",
        "................",
    ],
    # 9 help: a question mark in a blue disc
    [
        "................",
        ".....bbbbbb.....",
        "...bbbbbbbbbb...",
        "..bbbbwwwwbbbb..",
        "..bbbwwbbwwbbb..",
        ".bbbbbbbbwwbbbb.",
        ".bbbbbbbwwbbbbb.",
        ".bbbbbbwwbbbbbb.",
        ".bbbbbbwwbbbbbb.",
        ".bbbbbbbbbbbbbb.",
        "..bbbbbwwbbbbb..",
        "..bbbbbwwbbbbb..",
        "...bbbbbbbbbb...",
        ".....bbbbbb.....",
        "................",
        "................",
    ],
    # 10 save branch on a worksheet: a green sheet with a grid
    [
        "................",
        "kkkkkkkkkkkkkkk.",
        "kgggggggggggggk.",
        "kkkkkkkkkkkkkkk.",
        "kLLkwwwwkwwwwwk.",
        "kkkkkkkkkkkkkkk.",
        "kLLkwwwwkwwwwwk.",
        "kkkkkkkkkkkkkkk.",
        "kLLkwwwwkwwwwwk.",
        "kkkkkkkkkkkkkkk.",
        "kLLkwwwwkwwwwwk.",
        "kkkkkkkkkkkkkkk.",
        "................",
        "..kkkk..kkkk....",
        "..kggk..kggk....",
        "..kkkk..kkkk....",
    ],
    # 11 save branch in a file: a page with lines and a folded corner
    [
        "...kkkkkkkk.....",
        "...kwwwwwwkk....",
        "...kwwwwwwkwk...",
        "...kwkkkkwkkkk..",
        "...kwwwwwwwwwk..",
        "...kwkkkkkkkwk..",
        "...kwwwwwwwwwk..",
        "...kwkkkkkkkwk..",
        "...kwwwwwwwwwk..",
        "...kwkkkkkkwwk..",
        "...kwwwwwwwwwk..",
        "...kwkkkkkkkwk..",
        "...kwwwwwwwwwk..",
        "...kwwwwwwwwwk..",
        "...kkkkkkkkkkk..",
        "................",
    ],
    # 12 automatically activate: a yellow lightning bolt
    [
        "........kkkkk...",
        ".......kyyyk....",
        "......kyyyk.....",
        ".....kyyyk......",
        "....kyyyk.......",
        "...kyyyykkkk....",
        "..kyyyyyyyyk....",
        "..kkkkkyyyk.....",
        "......kyyk......",
        ".....kyyk.......",
        "....kyyk........",
        "...kyyk.........",
        "..kyk...........",
        "..kk............",
        "................",
        "................",
    ],
    # 13 expand all: a tree with plus boxes
    [
        "kkkkk...........",
        "kwkwk...........",
        "kkkkk...........",
        "kwkwk...........",
        "kkkkk...........",
        "..k.............",
        "..k...kkkkkkk...",
        "..kkkkkwwkwwk...",
        "..k...kwkkkwk...",
        "..k...kwwkwwk...",
        "..k...kkkkkkk...",
        "..k.............",
        "..k...kkkkkkk...",
        "..kkkkkwwkwwk...",
        "......kwkkkwk...",
        "......kkkkkkk...",
    ],
    # 14 show find toolbar: binoculars
    [
        "................",
        "................",
        "..kkk....kkk....",
        "..kbk....kbk....",
        ".kkkkk..kkkkk...",
        ".kbbbkkkkbbbk...",
        "kkbbbkbbkbbbkk..",
        "kbbbbkkkkbbbbk..",
        "kbbbbk..kbbbbk..",
        "kbBBbk..kbBBbk..",
        "kbBBbk..kbBBbk..",
        "kbbbbk..kbbbbk..",
        "kkkkkk..kkkkkk..",
        "................",
        "................",
        "................",
    ],
    # 15 and 16: spare places of the strip, a plain cell and a range
    CELL,
    [
        "................",
        "................",
        "..kkkkkkkkkkkk..",
        "..kwwwwkwwwwwk..",
        "..kwwwwkwwwwwk..",
        "..kkkkkkkkkkkk..",
        "..kwwwwkwwwwwk..",
        "..kwwwwkwwwwwk..",
        "..kkkkkkkkkkkk..",
        "..kwwwwkwwwwwk..",
        "..kwwwwkwwwwwk..",
        "..kkkkkkkkkkkk..",
        "................",
        "................",
        "................",
        "................",
    ],
]

SINGLE_CELL = [
    "................",
    "................",
    "................",
    "..kkkkkkkkkkkk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kkkkkkkkkkkk..",
    "................",
    "................",
    "................",
    "................",
]

RANGE = TOOLBAR[16]


def recolour(rows, old, new):
    return [row.replace(old, new) for row in rows]


TRACE_IMAGES = [
    SINGLE_CELL,                                   # 0 a single cell
    RANGE,                                         # 1 a range
    TOOLBAR[10],                                   # 2 a worksheet
    # 3 another workbook's reference: a cell with a link arrow out
    [
        "................",
        ".......kkkkkkkk.",
        "..........kbbbk.",
        "...........kbbk.",
        "..........kbkbk.",
        ".........kbk.kk.",
        "..kkkkkkkbkk....",
        "..kwwwwwkkwk....",
        "..kwwwwwwwwk....",
        "..kwwwwwwwwk....",
        "..kwwwwwwwwk....",
        "..kwwwwwwwwk....",
        "..kwwwwwwwwk....",
        "..kkkkkkkkkk....",
        "................",
        "................",
    ],
    # 4 a sub-expression of a formula: a value in brackets
    [
        "................",
        "................",
        "...kk......kk...",
        "..kk........kk..",
        "..k..........k..",
        ".kk..........kk.",
        ".k....bbbb....k.",
        ".k...b....b...k.",
        ".k...b....b...k.",
        ".k....bbbb....k.",
        ".kk..........kk.",
        "..k..........k..",
        "..kk........kk..",
        "...kk......kk...",
        "................",
        "................",
    ],
    # 5 an operator of a formula: a plus sign
    [
        "................",
        "................",
        "................",
        "......kkkk......",
        "......kbbk......",
        "......kbbk......",
        "...kkkkbbkkkk...",
        "...kbbbbbbbbk...",
        "...kbbbbbbbbk...",
        "...kkkkbbkkkk...",
        "......kbbk......",
        "......kbbk......",
        "......kkkk......",
        "................",
        "................",
        "................",
    ],
    recolour(SINGLE_CELL, 'w', 'B'),               # 6 a dynamic cell
    recolour(RANGE, 'w', 'B'),                     # 7 a dynamic range
    recolour(SINGLE_CELL, 'w', 'L'),               # 8 an input
    recolour(RANGE, 'w', 'L'),                     # 9 a range of inputs
    # 10 a defined name: a label tag
    [
        "................",
        "................",
        "................",
        "....kkkkkkkkkkk.",
        "...kyyyyyyyyyyk.",
        "..kyyyyyyyyyyyk.",
        ".kyykyyyyyyyyyk.",
        ".kykkkyykyyykyk.",
        ".kyykyykykykykk.",
        "..kyyyykyykyykk.",
        "...kyyyyyyyyyyk.",
        "....kkkkkkkkkkk.",
        "................",
        "................",
        "................",
        "................",
    ],
    recolour(SINGLE_CELL, 'w', 'R'),               # 11 a highlighted cell
]

FIND_TOOLBAR = [
    TOOLBAR[14],                                   # 0 find: the binoculars
    # 1 import the selection: a green arrow out of a selected range
    [
        "kkkkkkkkkkk.....",
        "kwwwkwwwwwk.....",
        "kkkkkkkkkkk.....",
        "kwwwkgggggk.....",
        "kkkkkgggggk.....",
        "kwwwkgggggk.....",
        "kkkkkkkkkkk.....",
        ".......gg.......",
        ".......gg.......",
        ".......gg.......",
        "....gggggggg....",
        ".....gggggg.....",
        "......gggg......",
        ".......gg.......",
        "..kkkkkkkkkkkk..",
        "..kkkkkkkkkkkk..",
    ],
]

EXPAND_BUTTONS = [
    # 0 plus (collapsed), 1 minus (expanded), 9 x 9
    [
        "GGGGGGGGG",
        "GwwwwwwwG",
        "GwwwkwwwG",
        "GwwwkwwwG",
        "GwkkkkkwG",
        "GwwwkwwwG",
        "GwwwkwwwG",
        "GwwwwwwwG",
        "GGGGGGGGG",
    ],
    [
        "GGGGGGGGG",
        "GwwwwwwwG",
        "GwwwwwwwG",
        "GwwwwwwwG",
        "GwkkkkkwG",
        "GwwwwwwwG",
        "GwwwwwwwG",
        "GwwwwwwwG",
        "GGGGGGGGG",
    ],
]


def art_pixels(rows):
    """Character art to rows of (r, g, b); checks the art's shape."""
    width = len(rows[0])
    pixels = []
    for row in rows:
        if len(row) != width:
            raise ValueError("uneven art row: %r" % row)
        pixels.append([PALETTE[ch] for ch in row])
    return pixels


def strip(images):
    """Images side by side, left to right, as one picture."""
    pictures = [art_pixels(image) for image in images]
    height = len(pictures[0])
    rows = []
    for y in range(height):
        row = []
        for picture in pictures:
            if len(picture) != height:
                raise ValueError("uneven image height")
            row.extend(picture[y])
        rows.append(row)
    return rows


def disabled(rows):
    """The disabled look: every drawn pixel a light grey by its lightness; the mask stays."""
    result = []
    for row in rows:
        out = []
        for pixel in row:
            if pixel == MASK:
                out.append(MASK)
                continue
            lightness = (pixel[0] * 30 + pixel[1] * 59 + pixel[2] * 11) // 100
            grey = 128 + lightness // 2
            out.append((grey, grey, grey) if lightness < 230 else (255, 255, 255))
        result.append(out)
    return result


# --- the About box's picture (its own block) ------------------------------------------------------

ABOUT_SIZE = 96


def about_picture():
    """The About box's 96 x 96 picture: a small sheet on a blue card, two blue arrows tracing
    from their cells into a yellow formula cell. Opaque: the box paints it as it is."""
    size = ABOUT_SIZE
    rows = []
    for y in range(size):
        shade = y * 60 // (size - 1)
        rows.append([(70 - shade // 2, 125 - shade, 205 - shade)] * size)

    def put(x, y, colour):
        if 0 <= x < size and 0 <= y < size:
            rows[y][x] = colour

    def fill(left, top, right, bottom, colour):
        for y in range(top, bottom):
            for x in range(left, right):
                put(x, y, colour)

    # The sheet: a header row and column, then 3 columns x 4 rows of 20 x 13 cells.
    left, top, cell_w, cell_h, header = 13, 16, 20, 13, 8
    columns, lines = 3, 4
    right = left + header + columns * cell_w
    bottom = top + header + lines * cell_h
    fill(left + 2, top + 2, right + 2, bottom + 2, (20, 40, 90))       # shadow
    fill(left, top, right, bottom, (255, 255, 255))
    fill(left, top, right, top + header, (225, 225, 225))
    fill(left, top, left + header, bottom, (225, 225, 225))

    def cell_box(column, line):
        x = left + header + column * cell_w
        y = top + header + line * cell_h
        return x, y, x + cell_w, y + cell_h

    target = cell_box(2, 3)
    fill(target[0], target[1], target[2], target[3], (250, 215, 60))
    grid = (165, 165, 165)
    for k in range(columns + 1):
        x = left + header + k * cell_w
        for y in range(top, bottom):
            put(x, y, grid)
    for k in range(lines + 1):
        y = top + header + k * cell_h
        for x in range(left, right):
            put(x, y, grid)
    ink = (48, 48, 48)
    for x in range(left, right + 1):
        put(x, top, ink)
        put(x, bottom, ink)
    for y in range(top, bottom + 1):
        put(left, y, ink)
        put(right, y, ink)
    for x in range(target[0], target[2] + 1):
        for y in (target[1], target[1] + 1, target[3] - 1, target[3]):
            put(x, y, ink)
    for y in range(target[1], target[3] + 1):
        for x in (target[0], target[0] + 1, target[2] - 1, target[2]):
            put(x, y, ink)

    arrow = (30, 90, 190)

    def centre(box):
        return (box[0] + box[2]) // 2, (box[1] + box[3]) // 2

    def line(x0, y0, x1, y1):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i // steps
            y = y0 + (y1 - y0) * i // steps
            for dx, dy in ((0, 0), (1, 0), (0, 1), (1, 1)):
                put(x + dx, y + dy, arrow)

    def dot(x, y, radius=3):
        for dy in range(-radius, radius + 1):
            for dx in range(-radius, radius + 1):
                if dx * dx + dy * dy <= radius * radius:
                    put(x + dx, y + dy, arrow)

    def head(x, y, from_x, from_y, length=7):
        # A filled triangle pointing from (from_x, from_y) to (x, y).
        vx, vy = x - from_x, y - from_y
        norm = max((vx * vx + vy * vy) ** 0.5, 1.0)
        ux, uy = vx / norm, vy / norm
        bx, by = x - ux * length, y - uy * length
        corners = [(x, y), (bx - uy * length / 2, by + ux * length / 2),
                   (bx + uy * length / 2, by - ux * length / 2)]

        def side(p, a, b):
            return (p[0] - b[0]) * (a[1] - b[1]) - (a[0] - b[0]) * (p[1] - b[1])

        for py in range(int(y - length - 2), int(y + length + 3)):
            for px in range(int(x - length - 2), int(x + length + 3)):
                p = (px + 0.5, py + 0.5)
                d1 = side(p, corners[0], corners[1])
                d2 = side(p, corners[1], corners[2])
                d3 = side(p, corners[2], corners[0])
                if (d1 >= 0 and d2 >= 0 and d3 >= 0) or (d1 <= 0 and d2 <= 0 and d3 <= 0):
                    put(px, py, arrow)

    tx, ty = centre(target)
    for source in (cell_box(0, 0), cell_box(0, 2)):
        sx, sy = centre(source)
        end_x, end_y = tx - 4, ty - 3
        dot(sx, sy)
        line(sx, sy, end_x, end_y)
        head(end_x + 1, end_y + 1, sx, sy)
    return rows


# --- legacy command bar button faces ------------------------------------------------------------

FACE_WHITE = (255, 255, 255)  # Office draws it transparent
# The toolbar colour that half-covered edge pixels are blended over.
FACE_BACKDROP = (230, 230, 230)
# Greys that loading with the system's 3-D colours would replace.
MAPPED_GREYS = {(128, 128, 128), (192, 192, 192), (223, 223, 223)}


def draw_help(c):
    """A question mark in a blue circle."""
    c.disc(8, 8, 8, draw_icons.BLUE)
    c.glyph([".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."], 5.5, 3.5,
            draw_icons.PAPER)


FACES = {
    1043: draw_icons.draw_recent,
    1004: draw_icons.draw_precedents,
    1003: draw_icons.draw_dependents,
    3009: draw_icons.draw_show_inputs,
    3008: draw_icons.draw_show_errors,
    3007: draw_icons.draw_trace_error,
    1011: draw_icons.draw_evaluate,
    1020: draw_icons.draw_fill_color,
    1025: draw_icons.draw_font_color,
    3010: draw_icons.draw_calculation_chain,
    3001: draw_icons.draw_refresh,
    1034: draw_icons.draw_transpose,
    1040: draw_icons.draw_contact,
    1039: draw_icons.draw_about,
    1014: draw_help,
}


def face(draw):
    """A 16-pixel face: what the drawing leaves uncovered is pure white, and nothing drawn is."""
    canvas = draw_icons.Canvas(16)
    draw(canvas)
    rows = []
    for line in canvas.rgba():
        row = []
        for red, green, blue, alpha in line:
            if alpha < 64:
                row.append(FACE_WHITE)
                continue
            share = alpha / 255.0
            pixel = tuple(round(value * share + backdrop * (1.0 - share))
                          for value, backdrop in zip((red, green, blue), FACE_BACKDROP))
            if pixel == FACE_WHITE or pixel in MAPPED_GREYS:
                pixel = tuple(value - 1 for value in pixel)
            row.append(pixel)
        rows.append(row)
    return rows


# The bitmaps by resource number; other parts of the add-in add theirs below in functions of
# their own.
def drawn_bitmaps():
    toolbar = strip(TOOLBAR)
    return {
        1029: toolbar,                  # toolbar, normal and hot
        3011: disabled(toolbar),        # toolbar, disabled
        3000: strip(TRACE_IMAGES),      # the trace tree's images
        3012: strip(FIND_TOOLBAR),      # the find toolbar
        1036: strip(EXPAND_BUTTONS),    # the column tree's expand buttons
        1038: about_picture(),          # the About box's picture
        **{number: face(draw) for number, draw in FACES.items()},
    }


def bmp_file(rows):
    """A bottom-up 24-bit BMP."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for red, green, blue in row:
            line += bytes((blue, green, red))
        line += bytes(stride - len(line))
        body += line
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(header) + len(body), 0, 0,
                              14 + len(header))
    return file_header + header + bytes(body)


def png_file(rows):
    height = len(rows)
    width = len(rows[0])

    def chunk(kind, payload):
        data = kind + payload
        return struct.pack('>I', len(payload)) + data + struct.pack('>I', zlib.crc32(data))

    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)
    return (b'\x89PNG\r\n\x1a\n' +
            chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def preview(drawn, scale=4):
    """Each bitmap on its own band, scaled up, the mask shown as light grey."""
    gap = 4
    width = max(len(rows[0]) for rows in drawn.values()) * scale + 2 * gap
    sheet = []
    for number in sorted(drawn):
        rows = drawn[number]
        for row in rows:
            scaled = [gap_pixel for gap_pixel in [(235, 235, 235)] * gap]
            for pixel in row:
                scaled.extend([(235, 235, 235) if pixel == MASK else pixel] * scale)
            scaled.extend([(235, 235, 235)] * (width - len(scaled)))
            for _ in range(scale):
                sheet.append(list(scaled))
        for _ in range(gap):
            sheet.append([(120, 120, 120)] * width)
    return sheet


def main(argv):
    drawn = drawn_bitmaps()
    if len(argv) == 2 and argv[1] == '--list':
        for number in sorted(drawn):
            print(number)
        return 0
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    out_dir = argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for number, rows in drawn.items():
        with open(os.path.join(out_dir, 'bitmap_%d.bmp' % number), 'wb') as out:
            out.write(bmp_file(rows))
    with open(os.path.join(out_dir, 'preview.png'), 'wb') as out:
        out.write(png_file(preview(drawn)))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
