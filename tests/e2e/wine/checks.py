#!/usr/bin/env python3
"""Checks of what the Windows program left under Wine (its sound: sound_copies.py).

    checks.py screen REPORT           the console as read by console_reader

Prints each fault and exits 1 when there is one.
"""
import sys

COLUMNS, ROWS = 60, 40
FULL, SHADE, CROSS, HORIZONTAL, VERTICAL = 0xDB, 0xB1, 0xC5, 0xC4, 0xB3
GRAY, WHITE, RED, DARK_RED, GRID = 0x77, 0xFF, 0xCC, 0x44, 0x75
PAIRS = {(FULL, GRAY), (FULL, WHITE), (FULL, RED), (FULL, DARK_RED),
         (SHADE, GRID), (CROSS, GRID), (HORIZONTAL, GRID), (VERTICAL, GRID)}
BALL = {WHITE, RED, DARK_RED}


def screen_faults(lines):
    fields = {}
    rows = []
    for line in lines:
        key, _, rest = line.partition(" ")
        if key in ("title", "buffer", "window", "cursor", "exit"):
            fields[key] = rest
        else:
            rows.append(line.split())
    if "exit" in fields:
        return [f"the program ended with code {fields['exit']} before its first frame"]
    faults = []
    expected = {"title": "Zorvendale", "buffer": "60 40", "window": "0 0 59 39"}
    for key, value in expected.items():
        if fields.get(key) != value:
            faults.append(f"{key} is {fields.get(key)!r}, not {value!r}")
    if fields.get("cursor", "").split()[1:] != ["0"]:
        faults.append(f"the cursor is not hidden: {fields.get('cursor')!r}")
    if len(rows) != ROWS or any(len(row) != COLUMNS for row in rows):
        return faults + [f"the screen is not {COLUMNS} by {ROWS} cells"]
    ball = 0
    for j, row in enumerate(rows):
        for i, cell in enumerate(row):
            pair = (int(cell[:2], 16), int(cell[2:], 16))
            if pair not in PAIRS:
                faults.append(f"cell ({i}, {j}) holds {pair[0]:#04x} in {pair[1]:#04x}")
            ball += pair[1] in BALL
    if ball == 0:
        faults.append("no cell of the ball is on the screen")
    return faults


def main(argv):
    if len(argv) == 3 and argv[1] == "screen":
        with open(argv[2], encoding="ascii") as report:
            faults = screen_faults(report.read().splitlines())
    else:
        print(__doc__, file=sys.stderr)
        return 2
    for fault in faults:
        print(f"FAIL: {fault}", file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
