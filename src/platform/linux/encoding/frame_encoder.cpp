#include "platform/linux/encoding/frame_encoder.h"

#include "platform/linux/encoding/colour.h"
#include "platform/linux/encoding/glyphs.h"
#include "platform/linux/encoding/half_blocks.h"
#include "platform/linux/encoding/size_notice.h"

#include <algorithm>
#include <cstdlib>

namespace {

// "CSI n X", n left out where it is 1.
unsigned RelativeLength(int n) {
    return n == 1 ? 3 : 3 + NumberLength(static_cast<unsigned>(n));
}

void AppendRelative(std::string& out, int n, char final) {
    out += "\x1b[";
    if (n != 1) {
        AppendNumber(out, static_cast<unsigned>(n));
    }
    out += final;
}

// The shortest of an absolute position (CUP) and a move up or down (CUU, CUD) then across (CUF,
// CUB, or to a column, CHA): changed cells are mostly near the last one drawn.
void MoveTo(TerminalImage& image, int row, int column, std::string& out) {
    if (image.penRow == row && image.penColumn == column) {
        return;
    }
    // Past the last column the cursor really stays put (autowrap is off), so the count that ran
    // one past the edge says nothing of where a relative move would start.
    const bool columnKnown =
        image.penColumn >= 0 && image.penColumn < image.placement.terminal.columns;
    const unsigned toColumn = 3 + NumberLength(static_cast<unsigned>(column + 1));
    const int across = column - image.penColumn;
    const bool relative = columnKnown && RelativeLength(std::abs(across)) <= toColumn;
    const unsigned horizontal = columnKnown && across == 0 ? 0
                                : relative                 ? RelativeLength(std::abs(across))
                                                           : toColumn;
    const int down = row - image.penRow;
    const unsigned vertical = down == 0 ? 0 : RelativeLength(std::abs(down));
    const unsigned absolute = 4 + NumberLength(static_cast<unsigned>(row + 1)) +
                              NumberLength(static_cast<unsigned>(column + 1));
    if (image.penRow < 0 || vertical + horizontal >= absolute) {
        out += "\x1b[";
        AppendNumber(out, static_cast<unsigned>(row + 1));
        out += ';';
        AppendNumber(out, static_cast<unsigned>(column + 1));
        out += 'H';
    } else {
        if (down != 0) {
            AppendRelative(out, std::abs(down), down > 0 ? 'B' : 'A');
        }
        if (horizontal != 0 && relative) {
            AppendRelative(out, std::abs(across), across > 0 ? 'C' : 'D');
        } else if (horizontal != 0) {
            out += "\x1b[";
            AppendNumber(out, static_cast<unsigned>(column + 1));
            out += 'G';
        }
    }
    image.penRow = row;
    image.penColumn = column;
}

// The length of the SGR that SetColours would send.
unsigned ColoursLength(const TerminalImage& image, int foreground, int background,
                       bool directColour) {
    const bool newForeground = image.penForeground != foreground;
    const bool newBackground = image.penBackground != background;
    if (!newForeground && !newBackground) {
        return 0;
    }
    return 3 + (newForeground ? ColourLength(foreground, false, directColour) : 0) +
           (newForeground && newBackground ? 1 : 0) +
           (newBackground ? ColourLength(background, true, directColour) : 0);
}

void SetColours(TerminalImage& image, int foreground, int background, bool directColour,
                std::string& out) {
    const bool newForeground = image.penForeground != foreground;
    const bool newBackground = image.penBackground != background;
    if (!newForeground && !newBackground) {
        return;
    }
    out += "\x1b[";
    if (newForeground) {
        AppendColour(out, foreground, false, directColour);
    }
    if (newForeground && newBackground) {
        out += ';';
    }
    if (newBackground) {
        AppendColour(out, background, true, directColour);
    }
    out += 'm';
    image.penForeground = foreground;
    image.penBackground = background;
}

void SelectLineSet(TerminalImage& image, bool lineSet, std::string& out) {
    if (image.lineSet != lineSet) {
        out += lineSet ? "\x1b(0" : "\x1b(B";
        image.lineSet = lineSet;
    }
}

// A terminal cell to draw, with the colours it needs in force.
struct Pending {
    int row, column; // on the terminal
    TerminalCell cell;
    int foreground, background;
};

// A full block is a space on its colour in either form: the same to the eye, and far cheaper for
// a terminal to draw than a glyph (a third less of GNOME Terminal's time; docs/performance.md).
Pending ToDraw(int row, int column, TerminalCell cell) {
    const int background = Cp437ToDec(cell.code).fill ? cell.foreground : cell.background;
    return {row, column, cell, cell.foreground, background};
}

void DrawGlyph(TerminalImage& image, const TerminalStyle& style, TerminalCell cell,
               std::string& out) {
    const DecGlyph glyph = Cp437ToDec(cell.code);
    if (style.utf8 && !glyph.fill) {
        AppendUtf8(out, Cp437ToUnicode(cell.code));
        return;
    }
    if (glyph.lineSet || glyph.asciiOnly) {
        SelectLineSet(image, glyph.lineSet, out);
    }
    out += glyph.byte;
}

void DrawCell(TerminalImage& image, const TerminalStyle& style, const Pending& pending,
              std::string& out) {
    MoveTo(image, pending.row, pending.column, out);
    SetColours(image, pending.foreground, pending.background, style.directColour, out);
    DrawGlyph(image, style, pending.cell, out);
    // Past the last column the cursor really stays put (autowrap is off); MoveTo knows.
    ++image.penColumn;
}

// Colour by colour rather than cell by cell: a colour in direct colour takes some twenty bytes to
// set, several times a cell's glyph and move, and the cells of one colour lie close together (a
// ball's checks, a shadow's rim). The colours cheapest to set from those in force come first,
// each with every cell that needs them, in row order; in direct colour that sends the replay's
// first minute at 30 updates a second in 16 KB a second where row by row took 48
// (bench/frame_bytes).
void DrawInColourOrder(std::vector<Pending>& cells, const TerminalStyle& style,
                       TerminalImage& image, std::string& out) {
    while (!cells.empty()) {
        const Pending* cheapest = &cells.front();
        unsigned least = ~0u;
        for (const Pending& pending : cells) {
            const unsigned length =
                ColoursLength(image, pending.foreground, pending.background, style.directColour);
            if (length < least) {
                least = length;
                cheapest = &pending;
            }
        }
        const int foreground = cheapest->foreground;
        const int background = cheapest->background;
        size_t kept = 0;
        for (const Pending& pending : cells) {
            if (pending.foreground == foreground && pending.background == background) {
                DrawCell(image, style, pending, out);
            } else {
                cells[kept++] = pending;
            }
        }
        cells.resize(kept);
    }
}

void StartWhole(TerminalImage& image, const Placement& placement, std::string& out) {
    out += "\x1b[0m\x1b(B\x1b[2J";
    image.placement = placement;
    image.shown.assign(static_cast<size_t>(placement.columns * placement.rows), TerminalCell{});
    image.penRow = -1;
    image.penColumn = -1;
    image.penForeground = -1;
    image.penBackground = -1;
    image.lineSet = false;
}

// A cell of the buffer's window; below the window, where an odd last row has no partner at half
// height, the console's empty cell.
ConsoleCell WindowCell(const ScreenBuffer& buffer, int row, int column) {
    const SMALL_RECT& window = buffer.window;
    if (window.Top + row > window.Bottom) {
        return BlankCell;
    }
    return buffer
        .cells[static_cast<size_t>((window.Top + row) * buffer.size.X + window.Left + column)];
}

TerminalCell CellToShow(const ScreenBuffer& buffer, const Placement& placement, bool directColour,
                        int row, int column) {
    if (placement.layout == Layout::HalfBlocks) {
        return {UpperHalfBlock, HalfBlockColour(WindowCell(buffer, 2 * row, column), directColour),
                HalfBlockColour(WindowCell(buffer, 2 * row + 1, column), directColour)};
    }
    const ConsoleCell cell = WindowCell(buffer, row, column);
    return {cell.code, cell.colours & 0x0F, cell.colours >> 4};
}

void DrawChangedCells(const ScreenBuffer& buffer, const TerminalStyle& style, bool whole,
                      TerminalImage& image, std::string& out) {
    const Placement& placement = image.placement;
    std::vector<Pending> cells;
    for (int row = 0; row < placement.rows; ++row) {
        for (int column = 0; column < placement.columns; ++column) {
            const TerminalCell cell =
                CellToShow(buffer, placement, style.directColour, row, column);
            TerminalCell& shown =
                image.shown[static_cast<size_t>(row * placement.columns + column)];
            if (whole || !(cell == shown)) {
                cells.push_back(ToDraw(placement.top + row, placement.left + column, cell));
                shown = cell;
            }
        }
    }
    DrawInColourOrder(cells, style, image, out);
}

// In the terminal's default colours, which StartWhole has just put in force; each line centred.
void DrawNotice(TerminalImage& image, const SizeNotice& notice, std::string& out) {
    const Placement& placement = image.placement;
    for (int k = 0; k < placement.rows; ++k) {
        const NoticeLine& line = notice.lines[k];
        MoveTo(image, placement.top + k, (placement.terminal.columns - line.length) / 2, out);
        out.append(notice.text + line.start, static_cast<size_t>(line.length));
        image.penColumn += line.length;
    }
}

Placement PlaceFrame(const ScreenBuffer& buffer, const TerminalStyle& style, TerminalSize terminal,
                     SizeNotice& notice) {
    const SMALL_RECT& window = buffer.window;
    const int columns = window.Right - window.Left + 1;
    const int rows = window.Bottom - window.Top + 1;
    const Layout layout = ChooseLayout(columns, rows, terminal, style.utf8);
    const TerminalSize smallest = SmallestTerminal(columns, rows);
    switch (layout) {
    case Layout::HalfBlocks:
        return PlaceView(smallest.columns, smallest.rows, terminal, layout);
    case Layout::Notice:
        notice = MakeSizeNotice(smallest, terminal);
        return PlaceView(notice.widest, notice.lineCount, terminal, layout);
    case Layout::Cells:
        break;
    }
    return PlaceView(columns, rows, terminal);
}

} // namespace

void ForgetImage(TerminalImage& image) {
    image.known = false;
}

void EncodeFrame(const ScreenBuffer& buffer, const TerminalStyle& style, TerminalSize terminal,
                 bool cursorVisible, TerminalImage& image, std::string& out) {
    SizeNotice notice;
    const Placement placement = PlaceFrame(buffer, style, terminal, notice);
    const bool whole = !image.known || !(image.placement == placement);
    if (whole) {
        StartWhole(image, placement, out);
    }
    const size_t start = out.size();
    if (placement.layout != Layout::Notice) {
        DrawChangedCells(buffer, style, whole, image, out);
    } else if (whole) {
        DrawNotice(image, notice, out);
    }
    if (cursorVisible && out.size() != start) {
        MoveTo(image, placement.top, placement.left, out);
    }
    image.known = true;
}
