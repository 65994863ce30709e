#!/usr/bin/env python3
"""Reads a tmux pane captured with `capture-pane -p -e -N` and checks it cell by cell against one
of the program's forms on a terminal smaller than its 60 by 40 picture:

  half    the picture at half height: 60 by 20 cells, centred, each an upper half block whose
          foreground is the colour of picture row 2k and whose background that of row 2k+1
  cut     the picture cell for cell, centred across, its top rows down to the pane's last
  notice  one line, broken between words in a narrower pane, centred both ways, in the
          terminal's default colours, naming the size needed and the pane's

and nothing else on the pane. half and cut compare against a frame of `zorvendale-replay
--frames`; without one they check the shape alone: half that the 60 by 20 cells are upper half
blocks, cut that the cells of the picture's place are all drawn in some colour.

usage: terminal_small.py CAPTURE PANE_COLUMNS PANE_ROWS half|cut|notice indexed|direct|dec [FRAME]
"""
import sys
import textwrap

from terminal_picture import CROSS, ACROSS, DOWN, SHADE, parse_lines

COLUMNS, ROWS = 60, 40
UPPER_HALF = "\u2580"
DRAWN = "any cell of the picture"
# A full block shows as a space on its colour.
GLYPHS = {0xDB: " ", 0xB1: SHADE, 0xC5: CROSS, 0xC4: ACROSS, 0xB3: DOWN}
BLANKS = (0x00, 0x20, 0xFF)

# The classic console palette, by console colour index (blue 1, green 2, red 4, intensity 8), and
# each index's terminal number (red 1, green 2, blue 4, bright 8).
PALETTE = [(0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
           (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
           (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255)]
TERMINAL_NUMBER = [0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15]


def read_frame(path):
    """The frame's 40 rows of 60 (code, attribute) pairs, after its frame line."""
    with open(path, encoding="ascii") as f:
        lines = f.read().splitlines()[1:1 + ROWS]
    return [[tuple(int(part, 16) for part in cell.split(":")) for cell in line.split()]
            for line in lines]


def colour(index, colours):
    return PALETTE[index] if colours == "direct" else TERMINAL_NUMBER[index]


def half_colour(cell, colours):
    """The colour a picture cell gives its half of a terminal cell."""
    code, attribute = cell
    foreground, background = attribute & 15, attribute >> 4
    if code in BLANKS:
        return colour(background, colours)
    if code == 0xB1 and colours == "direct":
        return tuple((a + b) // 2 for a, b in zip(PALETTE[foreground], PALETTE[background]))
    return colour(foreground, colours)


def whole_cell(cell, colours):
    """A picture cell drawn as itself; a full block is a space in its colour."""
    code, attribute = cell
    if code not in GLYPHS:
        raise ValueError(f"no glyph known for code {code:#04x}")
    foreground, background = colour(attribute & 15, colours), colour(attribute >> 4, colours)
    if code == 0xDB:
        return (" ", foreground, foreground)
    return (GLYPHS[code], foreground, background)


def expected_pane(form, colours, frame, pane_columns, pane_rows):
    """{(x, y): cell} for every pane cell that is not blank, or a checker for the shape alone."""
    cells = {}
    if form == "notice":
        text = f"Zorvendale needs a terminal of at least 60 by 20 (now {pane_columns} by " \
               f"{pane_rows})"
        lines = textwrap.wrap(text, pane_columns, break_on_hyphens=False)
        top = max(0, (pane_rows - len(lines)) // 2)
        for k, line in enumerate(lines):
            for i, glyph in enumerate(line):
                cells[((pane_columns - len(line)) // 2 + i, top + k)] = (glyph, None, None)
        return cells
    left = (pane_columns - COLUMNS) // 2
    if form == "half":
        top = (pane_rows - ROWS // 2) // 2
        for k in range(ROWS // 2):
            for i in range(COLUMNS):
                cells[(left + i, top + k)] = (UPPER_HALF, half_colour(frame[2 * k][i], colours),
                                              half_colour(frame[2 * k + 1][i], colours)) \
                    if frame else UPPER_HALF
        return cells
    for j in range(min(ROWS, pane_rows)):
        for i in range(COLUMNS):
            cells[(left + i, j)] = whole_cell(frame[j][i], colours) if frame else DRAWN
    return cells


def main():
    capture, pane_columns, pane_rows, form, colours = sys.argv[1], int(sys.argv[2]), \
        int(sys.argv[3]), sys.argv[4], sys.argv[5]
    frame = read_frame(sys.argv[6]) if len(sys.argv) > 6 else None
    with open(capture, encoding="utf-8") as f:
        lines = parse_lines(line.rstrip("\n") for line in f)
    expected = expected_pane(form, colours, frame, pane_columns, pane_rows)
    faults = []
    for y in range(pane_rows):
        row = lines[y] if y < len(lines) else []
        row = row + [(" ", None, None)] * (pane_columns - len(row))
        for x, seen in enumerate(row[:pane_columns]):
            want = expected.get((x, y), (" ", None, None))
            if want == UPPER_HALF:
                if seen[0] != UPPER_HALF:
                    faults.append(f"pane cell {x},{y} is {seen}, not an upper half block")
            elif want == DRAWN:
                if seen[1] is None or seen[2] is None:
                    faults.append(f"pane cell {x},{y} is {seen}, not part of the picture")
            elif seen != want:
                faults.append(f"pane cell {x},{y} is {seen}, not {want}")
    for fault in faults[:20]:
        print(fault)
    if len(faults) > 20:
        print(f"... {len(faults)} faults in all")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
