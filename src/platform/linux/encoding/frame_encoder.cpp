#include "platform/linux/encoding/frame_encoder.h"

#include "platform/linux/encoding/colour.h"
#include "platform/linux/encoding/glyphs.h"
#include "platform/linux/encoding/half_blocks.h"
#include "platform/linux/encoding/size_notice.h"

namespace {

void MoveTo(TerminalImage& image, int row, int column, std::string& out) {
    if (image.penRow == row && image.penColumn == column) {
        return;
    }
    out += "\x1b[";
    if (image.penRow == row && image.penColumn >= 0 && column > image.penColumn) {
        // Skipping ahead on the same row is shorter than an absolute position.
        if (column - image.penColumn > 1) {
            AppendNumber(out, static_cast<unsigned>(column - image.penColumn));
        }
        out += 'C';
    } else {
        AppendNumber(out, static_cast<unsigned>(row + 1));
        out += ';';
        AppendNumber(out, static_cast<unsigned>(column + 1));
        out += 'H';
    }
    image.penRow = row;
    image.penColumn = column;
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

// A full block is a space on its colour in either form: the same to the eye, and far cheaper for
// a terminal to draw than a glyph (a third less of GNOME Terminal's time; docs/performance.md).
void DrawGlyph(TerminalImage& image, const TerminalStyle& style, TerminalCell cell,
               std::string& out) {
    const DecGlyph glyph = Cp437ToDec(cell.code);
    const int background = glyph.fill ? cell.foreground : cell.background;
    SetColours(image, cell.foreground, background, style.directColour, out);
    if (style.utf8 && !glyph.fill) {
        AppendUtf8(out, Cp437ToUnicode(cell.code));
        return;
    }
    if (glyph.lineSet || glyph.asciiOnly) {
        SelectLineSet(image, glyph.lineSet, out);
    }
    out += glyph.byte;
}

void DrawCell(TerminalImage& image, const TerminalStyle& style, int row, int column,
              TerminalCell cell, std::string& out) {
    MoveTo(image, row, column, out);
    DrawGlyph(image, style, cell, out);
    // Past the last column the cursor really stays put (autowrap is off), but no cell is ever
    // drawn from there without an absolute move, so the count may run one past the edge.
    ++image.penColumn;
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
    for (int row = 0; row < placement.rows; ++row) {
        for (int column = 0; column < placement.columns; ++column) {
            const TerminalCell cell =
                CellToShow(buffer, placement, style.directColour, row, column);
            TerminalCell& shown =
                image.shown[static_cast<size_t>(row * placement.columns + column)];
            if (whole || !(cell == shown)) {
                DrawCell(image, style, placement.top + row, placement.left + column, cell, out);
                shown = cell;
            }
        }
    }
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
