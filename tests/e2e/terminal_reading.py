#!/usr/bin/env python3
"""Tells which readings have the frame a tmux pane shows in 16 colours (`capture-pane -p -e -N`):
its cells, turned back into console cells and hashed as the replay tool hashes a frame, looked up
among the replay tool's frame lines for the readings 0, 1, 2, ... Prints the first and the last.

usage: terminal_reading.py CAPTURE PANE_COLUMNS PANE_ROWS REPLAY_OUTPUT
"""
import sys

from terminal_picture import parse_lines
from terminal_small import COLUMNS, GLYPHS, ROWS, TERMINAL_NUMBER

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
            for byte in (CODES[glyph], 0, CONSOLE_COLOUR[fg] | CONSOLE_COLOUR[bg] << 4, 0):
                value = ((value ^ byte) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return value


def main():
    capture, pane_columns, pane_rows, replay = sys.argv[1:]
    with open(capture, encoding="utf-8") as f:
        value = frame_hash(parse_lines(line.rstrip("\n") for line in f), int(pane_columns),
                           int(pane_rows))
    with open(replay, encoding="ascii") as f:
        readings = [int(fields[1]) for fields in map(str.split, f) if int(fields[-1], 16) == value]
    if not readings:
        sys.exit("the pane does not show a whole frame of any reading")
    print(readings[0], readings[-1])


if __name__ == "__main__":
    main()
