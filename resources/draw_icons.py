#!/usr/bin/env python3
"""Draws the add-in's own icons: one .ico per icon resource number, each holding a 16 x 16 and a
32 x 32 image in 32-bit BGRA with alpha, plus preview.png, a contact sheet for people to look at.

Usage: draw_icons.py OUT_DIR     writes icon_NNNN.ico and preview.png into OUT_DIR
       draw_icons.py --list      prints the resource numbers, one a line (for the build)

Shapes are laid out on a 16-unit grid and rendered at 1 and 2 pixels a unit; outlines are
given in device pixels so that both sizes keep 1-pixel lines. Coverage is sampled 4 x 4 times a
pixel, which anti-aliases slopes and curves while edges on grid lines stay sharp. Where slopes
would blur at 16 pixels (the bucket, the letter, the round arrows), that size is placed pixel
by pixel.
"""

import math
import os
import struct
import sys
import zlib

SAMPLES = 4  # per pixel and axis
SIZES = (16, 32)

# Colours, (red, green, blue).
INK = (64, 64, 64)
PAPER = (255, 255, 255)
GRID = (160, 160, 160)
BLUE = (38, 110, 200)
LIGHT_BLUE = (170, 205, 245)
GREEN = (46, 150, 60)
RED = (210, 40, 40)
YELLOW = (250, 200, 40)
ORANGE = (235, 130, 20)
DARK_YELLOW = (150, 90, 0)
SHADE = (215, 215, 215)
MID_BLUE = (110, 160, 225)


class Canvas:
    """A square RGBA image with straight (not premultiplied) alpha, painted back to front."""

    def __init__(self, size):
        self.size = size
        self.unit = size / 16.0
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    # --- coverage -------------------------------------------------------------------------------

    def paint(self, inside, box, color):
        """Composites color over every pixel of box (device pixels) by the share of its samples
        for which inside(x, y) holds; x and y are device coordinates."""
        x0, y0, x1, y1 = box
        x0 = max(0, int(math.floor(x0)))
        y0 = max(0, int(math.floor(y0)))
        x1 = min(self.size, int(math.ceil(x1)))
        y1 = min(self.size, int(math.ceil(y1)))
        step = 1.0 / SAMPLES
        offsets = [(i + 0.5) * step for i in range(SAMPLES)]
        for py in range(y0, y1):
            for px in range(x0, x1):
                hits = 0
                for oy in offsets:
                    for ox in offsets:
                        if inside(px + ox, py + oy):
                            hits += 1
                if hits:
                    self._blend(px, py, color, hits / (SAMPLES * SAMPLES))

    def _blend(self, px, py, color, alpha):
        pixel = self.pixels[py * self.size + px]
        below = pixel[3] * (1.0 - alpha)
        total = alpha + below
        for channel in range(3):
            pixel[channel] = (color[channel] / 255.0 * alpha + pixel[channel] * below) / total
        pixel[3] = total

    def to_device(self, value):
        """Design units to device pixels."""
        return value * self.unit

    # --- shapes in design units -----------------------------------------------------------------

    def rect(self, x0, y0, x1, y1, color):
        X0, Y0, X1, Y1 = (self.to_device(v) for v in (x0, y0, x1, y1))
        self.paint(lambda x, y: X0 <= x < X1 and Y0 <= y < Y1, (X0, Y0, X1, Y1), color)

    def frame(self, x0, y0, x1, y1, outline, fill=None):
        """A rectangle with a 1-pixel outline inside its edge."""
        if fill is not None:
            self.rect(x0, y0, x1, y1, fill)
        X0, Y0, X1, Y1 = (self.to_device(v) for v in (x0, y0, x1, y1))

        def on_edge(x, y):
            if not (X0 <= x < X1 and Y0 <= y < Y1):
                return False
            return x < X0 + 1 or x >= X1 - 1 or y < Y0 + 1 or y >= Y1 - 1

        self.paint(on_edge, (X0, Y0, X1, Y1), outline)

    def polygon(self, points, color):
        pts = [(self.to_device(x), self.to_device(y)) for x, y in points]
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]

        def inside(x, y):
            crossing = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    crossing = not crossing
                j = i
            return crossing

        self.paint(inside, (min(xs), min(ys), max(xs), max(ys)), color)

    def line(self, points, width, color, cap=True):
        """A polyline of width device pixels; round joins, round ends when cap is set."""
        pts = [(self.to_device(x), self.to_device(y)) for x, y in points]
        half = width / 2.0
        segments = list(zip(pts, pts[1:]))

        def near(x, y):
            for (ax, ay), (bx, by) in segments:
                dx, dy = bx - ax, by - ay
                length2 = dx * dx + dy * dy
                t = ((x - ax) * dx + (y - ay) * dy) / length2 if length2 else 0.0
                if not cap and (t < 0.0 or t > 1.0):
                    continue
                t = min(1.0, max(0.0, t))
                cx, cy = ax + t * dx - x, ay + t * dy - y
                if cx * cx + cy * cy <= half * half:
                    return True
            return False

        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.paint(near, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half), color)

    def disc(self, cx, cy, r, color):
        CX, CY, R = self.to_device(cx), self.to_device(cy), self.to_device(r)
        self.paint(lambda x, y: (x - CX) ** 2 + (y - CY) ** 2 <= R * R,
                   (CX - R, CY - R, CX + R, CY + R), color)

    def arc(self, cx, cy, r, width, color, start, end):
        """A ring of width device pixels whose outer edge has radius r (design units), between
        angles start and end in degrees, clockwise from three o'clock (y grows downwards)."""
        CX, CY, R = self.to_device(cx), self.to_device(cy), self.to_device(r)
        inner = R - width

        def inside(x, y):
            dist2 = (x - CX) ** 2 + (y - CY) ** 2
            if dist2 > R * R or dist2 < inner * inner:
                return False
            angle = math.degrees(math.atan2(y - CY, x - CX)) % 360.0
            return (angle - start) % 360.0 <= (end - start) % 360.0

        self.paint(inside, (CX - R, CY - R, CX + R, CY + R), color)

    def point_on(self, cx, cy, r, degrees):
        """The design-unit point at angle degrees on a circle."""
        a = math.radians(degrees)
        return (cx + r * math.cos(a), cy + r * math.sin(a))

    def glyph(self, rows, x, y, color):
        """A bitmap glyph, rows of '#' and '.', one design unit a mark, its top left at (x, y)."""
        for row, line in enumerate(rows):
            for column, mark in enumerate(line):
                if mark == "#":
                    self.rect(x + column, y + row, x + column + 1, y + row + 1, color)

    def pixel_map(self, rows, palette):
        """Paints device pixels from rows of letters; palette maps a letter to a colour, and
        letters it lacks (".") leave the pixel as it is. For hand-placed 16-pixel images."""
        for py, line in enumerate(rows):
            for px, mark in enumerate(line):
                if mark in palette:
                    self._blend(px, py, palette[mark], 1.0)

    # --- output --------------------------------------------------------------------------------

    def rgba(self):
        """Rows top to bottom of (r, g, b, a) bytes."""
        result = []
        for py in range(self.size):
            row = []
            for px in range(self.size):
                r, g, b, a = self.pixels[py * self.size + px]
                row.append((round(r * 255), round(g * 255), round(b * 255), round(a * 255)))
            result.append(row)
        return result


# A 3 x 5 font for the digits of the chain icon and the preview's captions.
DIGITS = {
    "0": ["###", "#.#", "#.#", "#.#", "###"],
    "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["###", "..#", "###", "#..", "###"],
    "3": ["###", "..#", ".##", "..#", "###"],
    "4": ["#.#", "#.#", "###", "..#", "..#"],
    "5": ["###", "#..", "###", "..#", "###"],
    "6": ["###", "#..", "###", "#.#", "###"],
    "7": ["###", "..#", ".#.", ".#.", ".#."],
    "8": ["###", "#.#", "###", "#.#", "###"],
    "9": ["###", "#.#", "###", "..#", "###"],
}


# --- the icons ------------------------------------------------------------------------------------


def draw_show_inputs(c):
    """Constant cells of a grid (blue) feeding an arrow towards the formula."""
    line = 1 / c.unit
    c.rect(0, 2, 10, 14, PAPER)
    rows = [(2, 6), (6, 10), (10, 14)]
    columns = [(0, 5), (5, 10)]
    constants = {(0, 0), (1, 1), (2, 0)}
    for r, (y0, y1) in enumerate(rows):
        for k, (x0, x1) in enumerate(columns):
            if (r, k) in constants:
                c.rect(x0, y0, x1, y1, BLUE)
    for y0, _ in rows[1:]:
        c.rect(0, y0, 10, y0 + line, GRID)
    c.rect(5, 2, 5 + line, 14, GRID)
    c.frame(0, 2, 10, 14, INK)
    c.rect(10.5, 7, 12, 9, GREEN)
    c.polygon([(12, 4), (16, 8), (12, 12)], GREEN)


def draw_show_errors(c):
    """A sheet with a warning triangle over it."""
    line = 1 / c.unit
    c.frame(0, 0, 12, 12, INK, PAPER)
    for v in (4, 8):
        c.rect(v, 0, v + line, 12, GRID)
        c.rect(0, v, 12, v + line, GRID)
    c.frame(0, 0, 12, 12, INK)
    c.polygon([(10, 3), (16.5, 15.75), (3.5, 15.75)], DARK_YELLOW)
    c.polygon([(10, 5.3), (15, 14.75), (5, 14.75)], YELLOW)
    c.rect(9, 7.5, 11, 11.5, INK)
    c.rect(9, 12.5, 11, 14, INK)


def rotated(points, cx, cy, degrees):
    """Points turned clockwise (y grows downwards) about (cx, cy), then moved there."""
    a = math.radians(degrees)
    ca, sa = math.cos(a), math.sin(a)
    return [(cx + x * ca - y * sa, cy + x * sa + y * ca) for x, y in points]


def draw_fill_color(c):
    """A paint bucket tipped to the right, paint running from its mouth, over a bar of the
    fill colour."""
    if c.size == 16:
        c.pixel_map([
            "................",
            "......KK........",
            ".....KKOK.......",
            "....KKWWOK......",
            "...KKWWWWOK.....",
            "..KKWWWWWWOK....",
            ".KKWWWWWWWWOK...",
            "..KKSWWWWWKKOO..",
            "...KKSWWWKK.OO..",
            "....KKSWKK..OO..",
            ".....KKKK...OO..",
            "......KK........",
        ], {"K": INK, "W": PAPER, "S": SHADE, "O": ORANGE})
        c.rect(0, 13, 16, 16, ORANGE)
        return
    cx, cy, turn = 6.0, 6.2, 45
    e = 1.5 / c.unit
    c.polygon(rotated([(-4.5, -4), (4.5, -4), (3.2, 4.2), (-3.2, 4.2)], cx, cy, turn), INK)
    c.polygon(rotated([(-4.5 + 1.3 * e, -4 + e), (4.5 - 1.3 * e, -4 + e), (3.2 - 1.3 * e, 4.2 - e),
                       (-3.2 + 1.3 * e, 4.2 - e)], cx, cy, turn), PAPER)
    # Paint filling the mouth and running out of its lower end.
    c.polygon(rotated([(-4.5 + 1.3 * e, -4 + e), (4.5 - 1.3 * e, -4 + e), (4.3, -2.5),
                       (-4.3, -2.5)], cx, cy, turn), ORANGE)
    mx, my = rotated([(4.5, -4)], cx, cy, turn)[0]
    c.polygon([(mx - 1.0, my - 1.2), (mx + 1.5, my - 0.5), (mx + 3, my + 2.5), (mx + 3, my + 4.5),
               (mx + 1.2, my + 4.5), (mx + 1, my + 1.5)], ORANGE)
    c.disc(mx + 2.1, my + 4.6, 1.05, ORANGE)
    c.rect(0, 13, 16, 16, ORANGE)


def draw_font_color(c):
    """A letter A over a bar of the font colour."""
    if c.size == 16:
        c.pixel_map([
            "................",
            "......####......",
            "......####......",
            ".....##..##.....",
            ".....##..##.....",
            "....##....##....",
            "....##....##....",
            "...##########...",
            "...##########...",
            "..##........##..",
            "..##........##..",
            ".###........###.",
        ], {"#": INK})
    else:
        c.line([(2.5, 11.5), (8, 1.5), (13.5, 11.5)], 3.0, INK, cap=False)
        c.rect(4.5, 7.5, 11.5, 9, INK)
    c.rect(0, 13, 16, 16, RED)


def draw_calculation_chain(c):
    """Cells 1, 2 and 3 down a staircase, each linked to the next by an elbow arrow."""
    boxes = [(0, 0), (6, 4), (11, 9)] if c.size == 16 else [(0, 0), (5.5, 4.5), (11, 9)]
    line = 1 / c.unit
    for (x0, y0), (x1, y1) in zip(boxes, boxes[1:]):
        bend_x, bend_y = x0 + 2, y1 + 5
        c.rect(bend_x, y0 + 7, bend_x + line, bend_y + line, GREEN)
        c.rect(bend_x, bend_y, x1 - 1, bend_y + line, GREEN)
        if c.size == 16:
            c.rect(x1 - 2, bend_y - 1, x1 - 1, bend_y + 2, GREEN)
            c.rect(x1 - 1, bend_y, x1, bend_y + 1, GREEN)
        else:
            mid = bend_y + line / 2
            c.polygon([(x1 - 2, mid - 1.5), (x1, mid), (x1 - 2, mid + 1.5)], GREEN)
    for number, (x, y) in enumerate(boxes, start=1):
        c.rect(x, y, x + 5, y + 7, BLUE)
        c.glyph(DIGITS[str(number)], x + 1, y + 1, PAPER)


def arc_arrow_head(c, cx, cy, radius, degrees, length, half_width, color):
    """A triangle at the clockwise end of an arc through radius (design units): its base across
    the arc at the given angle, its tip length further along the circle."""
    a = math.radians(degrees)
    out = (math.cos(a), math.sin(a))
    base = (cx + radius * out[0], cy + radius * out[1])
    tip = c.point_on(cx, cy, radius, degrees + math.degrees(length / radius))
    c.polygon([(base[0] + out[0] * half_width, base[1] + out[1] * half_width), tip,
               (base[0] - out[0] * half_width, base[1] - out[1] * half_width)], color)


def draw_refresh(c):
    """Two arrows chasing each other round a circle."""
    if c.size == 16:
        c.pixel_map([
            "................",
            "......GGGG......",
            "....GGGGGGGG....",
            "...GGGG..GGGG...",
            "..GGG......GGG..",
            "..GG......GGGGGG",
            "...........GGGG.",
            "............GG..",
            "..GG............",
            ".GGGG...........",
            "GGGGGG......GG..",
            "..GGG......GGG..",
            "...GGGG..GGGG...",
            "....GGGGGGGG....",
            "......GGGG......",
        ], {"G": GREEN})
        return
    width = 3.0
    outer = 6.5
    middle = outer - width / c.unit / 2
    for start in (200, 20):
        c.arc(8, 8, outer, width, GREEN, start, start + 125)
        arc_arrow_head(c, 8, 8, middle, start + 125, 3.5, 3.0, GREEN)


def draw_transpose(c):
    """A row of cells turning into a column about their shared corner cell."""
    line = 1 / c.unit
    edges = [0, 4, 8, 12, 16]
    for k in range(4):
        last = line if k == 3 else 0
        c.frame(edges[k], 0, edges[k + 1] + line - last, 4 + line, INK, BLUE)
        c.frame(0, edges[k], 4 + line, edges[k + 1] + line - last, INK, LIGHT_BLUE)
    c.frame(0, 0, 4 + line, 4 + line, INK, MID_BLUE)
    width = 2.0 if c.size == 16 else 3.0
    radius = 10.5
    c.arc(3, 3, radius, width, GREEN, 10, 58)
    arc_arrow_head(c, 3, 3, radius - width / c.unit / 2, 58, 3.5, 3.0, GREEN)


def draw_about(c):
    """An i in a blue circle."""
    c.disc(8, 8, 8, BLUE)
    if c.size == 16:
        c.rect(7, 3, 9, 5, PAPER)
        c.rect(7, 6, 9, 12, PAPER)
        c.rect(6, 6, 7, 7, PAPER)
        c.rect(6, 12, 10, 13, PAPER)
        return
    c.disc(8, 4.5, 1.5, PAPER)
    c.rect(6.5, 7, 9.5, 12.5, PAPER)
    c.rect(5.5, 12.5, 10.5, 13.5, PAPER)
    c.rect(5.5, 7, 8, 8, PAPER)


def draw_contact(c):
    """An envelope."""
    c.frame(0, 2, 16, 14, INK, PAPER)
    c.polygon([(0, 2), (16, 2), (8, 9)], LIGHT_BLUE)
    c.line([(0.5, 2.5), (8, 9), (15.5, 2.5)], 1.0, INK)
    c.frame(0, 2, 16, 14, INK)


def draw_recent(c):
    """A clock at ten past four."""
    c.disc(8, 8, 8, INK)
    c.disc(8, 8, 8 - 1.5 / c.unit, PAPER)
    if c.size == 16:
        for x0, y0, x1, y1 in ((7, 13, 9, 14), (2, 7, 3, 9), (13, 7, 14, 9)):
            c.rect(x0, y0, x1, y1, GRID)
        c.rect(7, 3, 9, 9, INK)
        c.line([(8, 8), (12, 10.5)], 1.5, BLUE)
        return
    for hour in range(12):
        outer = c.point_on(8, 8, 6.2, hour * 30)
        inner = c.point_on(8, 8, 5.2 if hour % 3 else 4.8, hour * 30)
        c.line([inner, outer], 1.0 if hour % 3 else 1.5, GRID, cap=False)
    c.line([(8, 8), (8, 3.2)], 2.0, INK)
    c.line([(8, 8), (11.5, 10)], 2.0, BLUE)
    c.disc(8, 8, 1.0, INK)


# Icon resource number to what it shows and how it is drawn.
def draw_product(c):
    """The product: a formula cell (green) with the two cells it refers to (blue) hanging below
    it on the branches of a tree."""
    line = 1 / c.unit
    c.frame(4, 0, 12, 5, INK, GREEN)
    c.rect(8, 5, 8 + line, 8, INK)
    c.rect(3, 8, 13 + line, 8 + line, INK)
    c.rect(3, 8, 3 + line, 11, INK)
    c.rect(13, 8, 13 + line, 11, INK)
    c.frame(0, 11, 7, 16, INK, BLUE)
    c.frame(9, 11, 16, 16, INK, BLUE)


def draw_precedents(c):
    """Two cells (blue) with arrows meeting at the formula cell (green): what a cell reads."""
    c.frame(0, 0, 6, 5, INK, BLUE)
    c.frame(0, 11, 6, 16, INK, BLUE)
    c.frame(10, 5.5, 16, 10.5, INK, GREEN)
    c.line([(6, 2.5), (9, 6.5)], 1.4, INK)
    c.line([(6, 13.5), (9, 9.5)], 1.4, INK)
    c.polygon([(10, 8), (7.4, 7.4), (9.2, 5.2)], INK)
    c.polygon([(10, 8), (9.2, 10.8), (7.4, 8.6)], INK)


def draw_dependents(c):
    """The formula cell (green) with arrows out to two cells that read it (blue)."""
    c.frame(0, 5.5, 6, 10.5, INK, GREEN)
    c.frame(10, 0, 16, 5, INK, BLUE)
    c.frame(10, 11, 16, 16, INK, BLUE)
    c.line([(6, 7), (8.6, 3.6)], 1.4, INK)
    c.line([(6, 9), (8.6, 12.4)], 1.4, INK)
    c.polygon([(10, 2.5), (9.6, 5.4), (7.4, 3.6)], INK)
    c.polygon([(10, 13.5), (7.4, 12.4), (9.6, 10.6)], INK)


def draw_trace_error(c):
    """A cell holding an error (red) whose arrow leads on to the formula it spoils."""
    c.frame(0, 0, 8, 7, INK, RED)
    c.rect(3.5, 1.2, 4.5, 4.4, PAPER)
    c.rect(3.5, 5, 4.5, 6, PAPER)
    c.frame(9, 10, 16, 16, INK, PAPER)
    c.line([(6, 7), (10.2, 11.2)], 1.4, RED)
    c.polygon([(11.5, 12.5), (8.3, 11.9), (10.9, 9.3)], RED)


def draw_evaluate(c):
    """A formula being worked out: fx on a sheet of paper."""
    c.frame(1, 0, 15, 16, INK, PAPER)
    c.line([(5.5, 3), (4.2, 3), (3.3, 4.5), (3.3, 12.5)], 1.3, BLUE, cap=False)
    c.line([(1.8, 7), (5.5, 7)], 1.2, BLUE)
    c.line([(7.5, 7), (12.5, 12.5)], 1.4, BLUE)
    c.line([(12.5, 7), (7.5, 12.5)], 1.4, BLUE)


def draw_close_tab(c):
    """A cross, the window manager's close button."""
    if c.size == 16:
        rows = []
        for y in range(16):
            row = ["."] * 16
            if 3 <= y <= 12:
                for x in (y, y + 1, 15 - y, 14 - y):
                    if 3 <= x <= 12:
                        row[x] = "#"
            rows.append("".join(row))
        c.pixel_map(rows, {"#": INK})
        return
    c.line([(3.5, 3.5), (12.5, 12.5)], 4.0, INK)
    c.line([(12.5, 3.5), (3.5, 12.5)], 4.0, INK)


def draw_tile_windows(c):
    """Two windows side by side, each with its title bar: a tab moved into a pane of its own."""
    line = 1 / c.unit
    for x0, x1 in ((0, 8), (8, 16)):
        right = x1 - (line if x1 == 16 else 0)
        c.frame(x0, 2, right + (0 if x1 == 16 else line), 14, INK, PAPER)
        c.rect(x0, 2, right + (0 if x1 == 16 else line), 5, BLUE)
        c.frame(x0, 2, right + (0 if x1 == 16 else line), 14, INK)


def draw_tab_menu(c):
    """A bar over a downward triangle: the list of the hosted windows. It sits on the header
    band, which is dark in the black theme, so it has a white rim."""
    if c.size == 16:
        c.pixel_map([
            "................",
            "................",
            ".WWWWWWWWWWWWWW.",
            ".W############W.",
            ".W############W.",
            ".WWWWWWWWWWWWWW.",
            ".W############W.",
            ".WW##########WW.",
            "..WW########WW..",
            "...WW######WW...",
            "....WW####WW....",
            ".....WW##WW.....",
            "......WWWW......",
        ], {"#": INK, "W": PAPER})
        return
    c.rect(1.5, 2.5, 14.5, 5.5, PAPER)
    c.polygon([(1, 5.5), (15, 5.5), (8, 13)], PAPER)
    c.rect(2, 3, 14, 5, INK)
    c.polygon([(2, 6), (14, 6), (8, 12)], INK)


ICONS = {
    1016: ("Show Inputs", draw_show_inputs),
    3010: ("Show Errors", draw_show_errors),
    1021: ("Filter by fill color", draw_fill_color),
    1026: ("Filter by font color", draw_font_color),
    3011: ("Calculation chain", draw_calculation_chain),
    3012: ("Refresh", draw_refresh),
    1035: ("Transpose", draw_transpose),
    1037: ("About", draw_about),
    1041: ("Contact us", draw_contact),
    1042: ("Recent items", draw_recent),
    1058: ("Trelvane", draw_product),
    102: ("Close window", draw_close_tab),
    103: ("Tile window", draw_tile_windows),
    104: ("Tab menu", draw_tab_menu),
    1005: ("Dependents", draw_dependents),
    1006: ("Precedents", draw_precedents),
    1017: ("Trace error", draw_trace_error),
    3005: ("Evaluate formula", draw_evaluate),
}


# --- files ---------------------------------------------------------------------------------------


def bitmap_entry(rows):
    """One icon image as the directory wants it: BITMAPINFOHEADER (height doubled for the mask),
    BGRA rows bottom-up, then the 1-bit AND mask (1 where fully transparent)."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            colour += bytes((b, g, r, a))
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(colour) + bytes(mask)


def ico_file(images):
    """An .ico holding the given images (rows of RGBA), smallest first."""
    entries = [bitmap_entry(rows) for rows in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for rows, data in zip(images, entries):
        size = len(rows)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in entries:
        out += data
    return bytes(out)


def png_file(width, height, rgb_rows):
    """An 8-bit RGB PNG."""

    def chunk(kind, payload):
        body = kind + payload
        return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body))

    raw = bytearray()
    for row in rgb_rows:
        raw.append(0)  # no filter
        raw += row
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def preview(drawn):
    """A contact sheet: per icon its number, both sizes at their own size, then both enlarged
    four times, on a light background like the ribbon's."""
    zoom = 4
    pad = 8
    label_cell = 3
    label_width = 4 * 4 * label_cell
    row_height = 32 * zoom + pad
    width = pad + label_width + pad + 16 + pad + 32 + pad + 16 * zoom + pad + 32 * zoom + pad
    height = pad + row_height * len(drawn)
    background = (243, 243, 243)
    sheet = [[background for _ in range(width)] for _ in range(height)]

    def put(x, y, color, alpha):
        old = sheet[y][x]
        sheet[y][x] = tuple(round(color[i] * alpha + old[i] * (1 - alpha)) for i in range(3))

    def place(rows, left, top, scale):
        for y, row in enumerate(rows):
            for x, (r, g, b, a) in enumerate(row):
                for dy in range(scale):
                    for dx in range(scale):
                        put(left + x * scale + dx, top + y * scale + dy, (r, g, b), a / 255.0)

    for index, (number, images) in enumerate(drawn):
        top = pad + index * row_height
        x = pad
        for k, ch in enumerate(str(number)):
            for gy, line in enumerate(DIGITS[ch]):
                for gx, mark in enumerate(line):
                    if mark == "#":
                        for dy in range(label_cell):
                            for dx in range(label_cell):
                                put(x + k * 4 * label_cell + gx * label_cell + dx,
                                    top + 8 + gy * label_cell + dy, INK, 1.0)
        x += label_width + pad
        place(images[16], x, top, 1)
        x += 16 + pad
        place(images[32], x, top, 1)
        x += 32 + pad
        place(images[16], x, top, zoom)
        x += 16 * zoom + pad
        place(images[32], x, top, zoom)
    rows = [bytes(channel for pixel in row for channel in pixel) for row in sheet]
    return png_file(width, height, rows)


def main(argv):
    if len(argv) == 2 and argv[1] == "--list":
        for number in sorted(ICONS):
            print(number)
        return 0
    if len(argv) != 2 or argv[1].startswith("-"):
        sys.stderr.write("usage: draw_icons.py OUT_DIR | --list\n")
        return 2
    out_dir = argv[1]
    os.makedirs(out_dir, exist_ok=True)
    drawn = []
    for number in sorted(ICONS):
        images = {}
        for size in SIZES:
            canvas = Canvas(size)
            ICONS[number][1](canvas)
            images[size] = canvas.rgba()
        with open(os.path.join(out_dir, "icon_%d.ico" % number), "wb") as f:
            f.write(ico_file([images[size] for size in SIZES]))
        drawn.append((number, images))
    with open(os.path.join(out_dir, "preview.png"), "wb") as f:
        f.write(preview(drawn))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
