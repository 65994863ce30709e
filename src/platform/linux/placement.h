// Where the console's window goes on a terminal of some size: centred when the terminal is
// larger, cut at the right and the bottom when it is smaller. Pure.
#pragma once

struct TerminalSize {
    int columns;
    int rows;
    bool operator==(const TerminalSize&) const = default;
};

struct Placement {
    TerminalSize terminal;
    int left, top;     // the terminal cell (from 0) that shows the window's top-left cell
    int columns, rows; // how much of the window fits
    bool operator==(const Placement&) const = default;
};

// Places a window of viewColumns by viewRows cells.
Placement PlaceView(int viewColumns, int viewRows, TerminalSize terminal);
