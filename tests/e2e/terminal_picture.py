#!/usr/bin/env python3
"""Reads a tmux pane captured with `capture-pane -p -e -N` and checks that it shows the program's
60 by 40 picture where it belongs: only the picture's eight glyph and colour pairs, the border,
the grid and the floor lines wherever the ball and its shadow are not, a round checkered ball,
and nothing else on the pane.

usage: terminal_picture.py CAPTURE PANE_COLUMNS PANE_ROWS indexed|direct|dec
"""
import math
import re
import sys

COLUMNS, ROWS = 60, 40
FLOOR_ROW, GRID = 34, 4
SHADE, CROSS, ACROSS, DOWN = "\u2592", "\u253c", "\u2500", "\u2502"
DEC_LINES = {"q": ACROSS, "x": DOWN, "n": CROSS, "a": SHADE}

# Console colours as the pane reports them: a terminal number (red 1, green 2, blue 4, bright
# 8) for the 16 colours, an RGB triple for direct colour.
INDEXED = {"gray": 7, "white": 15, "red": 9, "dark red": 1, "magenta": 5}
DIRECT = {"gray": (192, 192, 192), "white": (255, 255, 255), "red": (255, 0, 0),
          "dark red": (128, 0, 0), "magenta": (128, 0, 128)}
BALL_COLOURS = ("white", "red", "dark red")


def parse_sgr(params, pen):
    values = [int(v) if v else 0 for v in params.split(";")]
    i = 0
    while i < len(values):
        v = values[i]
        if v == 0:
            pen["fg"] = pen["bg"] = None
        elif v in (39, 49):
            pen["fg" if v == 39 else "bg"] = None
        elif 30 <= v <= 37 or 90 <= v <= 97:
            pen["fg"] = v - 30 if v < 90 else v - 90 + 8
        elif 40 <= v <= 47 or 100 <= v <= 107:
            pen["bg"] = v - 40 if v < 100 else v - 100 + 8
        elif v in (38, 48) and values[i + 1] == 5:
            pen["fg" if v == 38 else "bg"] = values[i + 2]
            i += 2
        elif v in (38, 48) and values[i + 1] == 2:
            pen["fg" if v == 38 else "bg"] = tuple(values[i + 2:i + 5])
            i += 4
        i += 1


def parse_lines(lines):
    """The cells of each captured line: (glyph, foreground, background). tmux states a colour
    only where it changes, from one line to the next too."""
    pen, line_set, parsed = {"fg": None, "bg": None}, False, []
    for line in lines:
        cells = []
        for token in re.findall(r"\x1b\[[0-9;]*m|\x1b\(.|[\x0e\x0f]|.", line):
            if token.startswith("\x1b["):
                parse_sgr(token[2:-1], pen)
            elif token in ("\x0e", "\x1b(0"):
                line_set = True
            elif token in ("\x0f", "\x1b(B"):
                line_set = False
            else:
                glyph = DEC_LINES.get(token, token) if line_set else token
                cells.append((glyph, pen["fg"], pen["bg"]))
        parsed.append(cells)
    return parsed


def name_colour(value, table):
    for name, known in table.items():
        if value == known:
            return name
    return None


def name_cell(cell, mode):
    """The picture's name for a cell's look, or None when the picture never shows it."""
    glyph, fg, bg = cell
    table = DIRECT if mode == "direct" else INDEXED
    fg_name, bg_name = name_colour(fg, table), name_colour(bg, table)
    filled = glyph == " "
    if filled and fg_name in ("gray",) + BALL_COLOURS and bg_name == fg_name:
        return fg_name
    if glyph in (SHADE, CROSS, ACROSS, DOWN) and fg_name == "magenta" and bg_name == "gray":
        return glyph
    return None


def background(i, j):
    """What the background alone shows at a cell."""
    if i <= 0 or j <= 0 or i >= COLUMNS - 1 or j >= ROWS - 1:
        return "gray"
    row_spacing = 1 if j > FLOOR_ROW else GRID
    a, b = i % GRID, j % row_spacing
    if a and b:
        return "gray"
    return CROSS if a == b else (ACROSS if a else DOWN)


def check(picture):
    faults = []
    ball = [(i, j) for j in range(ROWS) for i in range(COLUMNS) if picture[j][i] in BALL_COLOURS]
    if not ball:
        return ["no ball in the picture"]
    left, right = min(i for i, _ in ball), max(i for i, _ in ball)
    top, bottom = min(j for _, j in ball), max(j for _, j in ball)
    if not (13 <= right - left <= 16 and 13 <= bottom - top <= 16):
        faults.append(f"ball spans columns {left}-{right}, rows {top}-{bottom}: not radius 8")
    cx, cy = (left + right) / 2, (top + bottom) / 2
    colours = {picture[j][i] for i, j in ball}
    if not {"white", "red"} <= colours:
        faults.append(f"ball lacks lit white or lit red checkers: {sorted(colours)}")
    for j in range(ROWS):
        for i in range(COLUMNS):
            seen = picture[j][i]
            near_ball = math.hypot(i - cx, j - cy) < 9.5
            near_shadow = math.hypot(i - cx - 4, j - cy + 1) < 9.5
            if math.hypot(i - cx, j - cy) < 6.5 and seen not in ("gray",) + BALL_COLOURS:
                faults.append(f"hole in the ball at {i},{j}: {seen}")
            elif seen in BALL_COLOURS and not near_ball:
                faults.append(f"ball colour far from the ball at {i},{j}")
            elif seen == SHADE and not near_shadow:
                faults.append(f"shade away from the shadow at {i},{j}")
            elif not near_ball and not near_shadow and seen != background(i, j):
                faults.append(f"background at {i},{j} is {seen}, not {background(i, j)}")
    return faults


def main():
    capture, pane_columns, pane_rows, mode = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), \
        sys.argv[4]
    with open(capture, encoding="utf-8") as f:
        lines = parse_lines(line.rstrip("\n") for line in f)
    left, top = max(0, (pane_columns - COLUMNS) // 2), max(0, (pane_rows - ROWS) // 2)
    faults, picture = [], []
    for y in range(pane_rows):
        cells = lines[y] if y < len(lines) else []
        cells = cells + [(" ", None, None)] * (pane_columns - len(cells))
        row = []
        for x, cell in enumerate(cells[:pane_columns]):
            if left <= x < left + COLUMNS and top <= y < top + ROWS:
                name = name_cell(cell, mode)
                if name is None:
                    faults.append(f"cell {x - left},{y - top} looks like {cell}")
                row.append(name)
            elif cell != (" ", None, None):
                faults.append(f"pane cell {x},{y} outside the picture holds {cell}")
        if row:
            picture.append(row)
    if not faults:
        faults = check(picture)
    for fault in faults[:20]:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
