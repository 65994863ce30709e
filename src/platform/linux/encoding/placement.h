// Where the console's window goes on a terminal of some size, and in what form: cell for cell,
// centred when the terminal is larger and cut at the right and the bottom when it is smaller; at
// half height where only half the rows fit; or, on a terminal too small for either, a notice that
// says so. Pure.
#pragma once

#ifndef LINUX_ENCODING_LIBRARY
#error "only a library that links linux_encoding may include its headers"
#endif

struct TerminalSize {
    int columns;
    int rows;
    bool operator==(const TerminalSize&) const = default;
};

enum class Layout {
    Cells,      // a window cell to a terminal cell
    HalfBlocks, // two window rows to a terminal row, as upper half blocks
    Notice,     // no window: one line that asks for a larger terminal
};

struct Placement {
    TerminalSize terminal;
    int left, top;     // the terminal cell (from 0) that shows the top-left of what is drawn
    int columns, rows; // how many terminal cells of it fit
    Layout layout = Layout::Cells;
    bool operator==(const Placement&) const = default;
};

// The smallest terminal that shows a window of viewColumns by viewRows cells in some form: all of
// its columns, half of its rows.
TerminalSize SmallestTerminal(int viewColumns, int viewRows);

// How a window of viewColumns by viewRows cells is shown: cell for cell where all its rows fit;
// where only half of them do, in half blocks if the terminal can draw them and otherwise cut; on
// a terminal smaller than SmallestTerminal, not at all.
Layout ChooseLayout(int viewColumns, int viewRows, TerminalSize terminal, bool halfBlocks);

// Places viewColumns by viewRows terminal cells: a window cell for cell, its half-block rows, or
// the notice's line.
Placement PlaceView(int viewColumns, int viewRows, TerminalSize terminal,
                    Layout layout = Layout::Cells);
