#!/usr/bin/env python3
"""Reads a tmux pane captured with `capture-pane -p -e -N` that shows the whole picture in 16
colours, and tells which clock readings have that frame: the cells are turned back into the
console's cell bytes and hashed as the replay tool hashes a frame, then looked up among the frame
lines the replay tool printed for the readings 0, 1, 2, ... in turn, as the program is handed them.
Prints the first and the last reading with that frame; exits with status 1 when none has it.

usage: terminal_reading.py CAPTURE PANE_COLUMNS PANE_ROWS REPLAY_OUTPUT
"""
import sys

from terminal_picture import parse_lines
from terminal_small import GLYPHS, TERMINAL_NUMBER

COLUMNS, ROWS = 60, 40
CODES = {glyph: code for code, glyph in GLYPHS.items()}
CONSOLE_COLOUR = {number: index for index, number in enumerate(TERMINAL_NUMBER)}


def frame_hash(lines, pane_columns, pane_rows):
    """The 64-bit FNV-1a hash of the frame's cells (character, 0, attribute low, high byte)."""
    left, top = (pane_columns - COLUMNS) // 2, (pane_rows - ROWS) // 2
    value = 0xCBF29CE484222325
    for j in range(ROWS):
        cells = lines[top + j] if top + j < len(lines) else []
        for i in range(COLUMNS):
            glyph, fg, bg = cells[left + i] if left + i < len(cells) else (" ", None, None)
            if glyph not in CODES or fg not in CONSOLE_COLOUR or bg not in CONSOLE_COLOUR:
                return None
            attribute = CONSOLE_COLOUR[fg] | CONSOLE_COLOUR[bg] << 4
            for byte in (CODES[glyph], 0, attribute, 0):
                value = ((value ^ byte) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return value


def main():
    capture, pane_columns, pane_rows, replay = sys.argv[1], int(sys.argv[2]), \
        int(sys.argv[3]), sys.argv[4]
    with open(capture, encoding="utf-8") as f:
        lines = parse_lines(line.rstrip("\n") for line in f)
    value = frame_hash(lines, pane_columns, pane_rows)
    if value is None:
        sys.exit("the pane does not show a whole picture")
    readings = []
    with open(replay, encoding="ascii") as f:
        for line in f:
            fields = line.split()
            if int(fields[-1], 16) == value:
                readings.append(int(fields[1]))
    if not readings:
        sys.exit("no reading has the frame shown")
    print(readings[0], readings[-1])


if __name__ == "__main__":
    main()
