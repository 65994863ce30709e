#include "platform/linux/frame_encoder.h"

#include "platform/linux/colour.h"
#include "platform/linux/glyphs.h"

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

void SetColours(TerminalImage& image, int colours, bool directColour, std::string& out) {
    const bool known = image.penColours >= 0;
    const bool foreground = !known || (image.penColours & 0x0F) != (colours & 0x0F);
    const bool background = !known || (image.penColours & 0xF0) != (colours & 0xF0);
    if (!foreground && !background) {
        return;
    }
    out += "\x1b[";
    if (foreground) {
        AppendColour(out, colours & 0x0F, false, directColour);
    }
    if (foreground && background) {
        out += ';';
    }
    if (background) {
        AppendColour(out, colours >> 4, true, directColour);
    }
    out += 'm';
    image.penColours = colours;
}

void SelectLineSet(TerminalImage& image, bool lineSet, std::string& out) {
    if (image.lineSet != lineSet) {
        out += lineSet ? "\x1b(0" : "\x1b(B";
        image.lineSet = lineSet;
    }
}

void DrawGlyph(TerminalImage& image, const TerminalStyle& style, ConsoleCell cell,
               std::string& out) {
    if (style.utf8) {
        SetColours(image, cell.colours, style.directColour, out);
        AppendUtf8(out, Cp437ToUnicode(cell.code));
        return;
    }
    const DecGlyph glyph = Cp437ToDec(cell.code);
    const int foreground = cell.colours & 0x0F;
    const int colours = glyph.fill ? foreground | foreground << 4 : cell.colours;
    SetColours(image, colours, style.directColour, out);
    if (glyph.lineSet || glyph.asciiOnly) {
        SelectLineSet(image, glyph.lineSet, out);
    }
    out += glyph.byte;
}

void DrawCell(TerminalImage& image, const TerminalStyle& style, int row, int column,
              ConsoleCell cell, std::string& out) {
    MoveTo(image, row, column, out);
    DrawGlyph(image, style, cell, out);
    // Past the last column the cursor really stays put (autowrap is off), but no cell is ever
    // drawn from there without an absolute move, so the count may run one past the edge.
    ++image.penColumn;
}

void StartWhole(TerminalImage& image, const Placement& placement, std::string& out) {
    out += "\x1b[0m\x1b(B\x1b[2J";
    image.placement = placement;
    image.shown.assign(static_cast<size_t>(placement.columns * placement.rows), BlankCell);
    image.penRow = -1;
    image.penColumn = -1;
    image.penColours = -1;
    image.lineSet = false;
}

} // namespace

void ForgetImage(TerminalImage& image) {
    image.known = false;
}

void EncodeFrame(const ScreenBuffer& buffer, const TerminalStyle& style, TerminalSize terminal,
                 bool cursorVisible, TerminalImage& image, std::string& out) {
    const SMALL_RECT& window = buffer.window;
    const Placement placement =
        PlaceView(window.Right - window.Left + 1, window.Bottom - window.Top + 1, terminal);
    const bool whole = !image.known || !(image.placement == placement);
    if (whole) {
        StartWhole(image, placement, out);
    }
    const size_t start = out.size();
    for (int row = 0; row < placement.rows; ++row) {
        const ConsoleCell* line =
            &buffer.cells[static_cast<size_t>((window.Top + row) * buffer.size.X + window.Left)];
        ConsoleCell* shown = &image.shown[static_cast<size_t>(row * placement.columns)];
        for (int column = 0; column < placement.columns; ++column) {
            if (whole || !(line[column] == shown[column])) {
                DrawCell(image, style, placement.top + row, placement.left + column, line[column],
                         out);
                shown[column] = line[column];
            }
        }
    }
    if (cursorVisible && out.size() != start) {
        MoveTo(image, placement.top, placement.left, out);
    }
    image.known = true;
}
