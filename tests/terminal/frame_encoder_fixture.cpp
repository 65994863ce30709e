#include "frame_encoder_fixture.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/encoding/glyphs.h"

namespace {

// A console colour index (blue 1, green 2, red 4, bright 8) as a terminal number (red 1, green 2,
// blue 4, bright 8), and as the classic console palette.
constexpr uint32_t TerminalNumber[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};
constexpr uint32_t Palette[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                  0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                  0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

const ModelCell Empty = {U' ', DefaultColour, DefaultColour};

char32_t ExpectedGlyph(unsigned char code) {
    switch (code) {
    case 0xDB:
        return U'\u2588';
    case 0xB1:
        return U'\u2592';
    case 0xC5:
        return U'\u253C';
    case 0xC4:
        return U'\u2500';
    case 0xB3:
        return U'\u2502';
    default:
        return code;
    }
}

// Each channel of the two palette colours, averaged and rounded down.
uint32_t Average(int first, int second) {
    uint32_t rgb = 0;
    for (const uint32_t channel : {0xFF0000u, 0x00FF00u, 0x0000FFu}) {
        rgb |= ((Palette[first] & channel) + (Palette[second] & channel)) / 2 & channel;
    }
    return rgb;
}

// Words filled into lines of at most width characters; a word longer than that is cut.
std::vector<std::string> WrapWords(const std::string& text, int width) {
    std::vector<std::string> lines;
    std::istringstream words(text);
    std::string line;
    for (std::string word; words >> word;) {
        for (; static_cast<int>(word.size()) > width; word.erase(0, static_cast<size_t>(width))) {
            if (!line.empty()) {
                lines.push_back(line);
                line.clear();
            }
            lines.push_back(word.substr(0, static_cast<size_t>(width)));
        }
        if (!line.empty() && static_cast<int>(line.size() + 1 + word.size()) > width) {
            lines.push_back(line);
            line.clear();
        }
        if (!word.empty()) {
            line += (line.empty() ? "" : " ") + word;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

uint32_t ExpectedColour(int index, const TerminalStyle& style) {
    return style.directColour ? DirectBit | Palette[index] : TerminalNumber[index];
}

// A full block is drawn as a space on its own colour.
ModelCell ExpectedCell(ConsoleCell cell, const TerminalStyle& style) {
    const uint32_t foreground = ExpectedColour(cell.colours & 15, style);
    if (cell.code == 0xDB) {
        return {U' ', foreground, foreground};
    }
    return {ExpectedGlyph(cell.code), foreground, ExpectedColour(cell.colours >> 4, style)};
}

uint32_t ExpectedHalfColour(ConsoleCell cell, const TerminalStyle& style) {
    const int foreground = cell.colours & 15;
    const int background = cell.colours >> 4;
    if (cell.code == ' ') {
        return ExpectedColour(background, style);
    }
    if (cell.code == 0xB1 && style.directColour) {
        return DirectBit | Average(foreground, background);
    }
    return ExpectedColour(foreground, style);
}

ScreenBuffer MakeBuffer(int columns, int rows, ConsoleCell fill) {
    ScreenBuffer buffer;
    buffer.size = {static_cast<SHORT>(columns), static_cast<SHORT>(rows)};
    buffer.window = {0, 0, static_cast<SHORT>(columns - 1), static_cast<SHORT>(rows - 1)};
    buffer.cells.assign(static_cast<size_t>(columns * rows), fill);
    return buffer;
}

ConsoleCell& At(ScreenBuffer& buffer, int column, int row) {
    return buffer.cells[static_cast<size_t>(row * buffer.size.X + column)];
}

std::string RowText(const ModelTerminal& terminal, int row) {
    std::string text;
    for (int column = 0; column < terminal.columns; ++column) {
        AppendUtf8(text, CellAt(terminal, column, row).glyph);
    }
    return text;
}

void FrameEncoder::Start(int columns, int rows, ConsoleCell fill, int terminalColumns,
                         int terminalRows, TerminalStyle chosen) {
    buffer = MakeBuffer(columns, rows, fill);
    style = chosen;
    Resize(terminalColumns, terminalRows);
    image = {};
    ForgetImage(image);
}

void FrameEncoder::Resize(int columns, int rows) {
    terminal = MakeModelTerminal(columns, rows);
    size = {columns, rows};
}

void FrameEncoder::ResizeKeepingContent(int columns, int rows) {
    ModelTerminal resized = MakeModelTerminal(columns, rows);
    for (int row = 0; row < std::min(rows, terminal.rows); ++row) {
        for (int column = 0; column < std::min(columns, terminal.columns); ++column) {
            resized.cells[static_cast<size_t>(row * columns + column)] =
                CellAt(terminal, column, row);
        }
    }
    // The pen and the character set stay as they were; the cursor stays on the screen.
    resized.row = std::min(terminal.row, rows - 1);
    resized.column = std::min(terminal.column, columns - 1);
    resized.foreground = terminal.foreground;
    resized.background = terminal.background;
    resized.lineSet = terminal.lineSet;
    terminal = resized;
    size = {columns, rows};
}

std::string FrameEncoder::Frame(bool cursorVisible) {
    std::string out;
    EncodeFrame(buffer, style, size, cursorVisible, image, out);
    terminal.glyphsDrawn = 0;
    Feed(terminal, out);
    EXPECT_TRUE(terminal.faults.empty()) << terminal.faults.front();
    return out;
}

Shown FrameEncoder::ExpectedShown() const {
    const int columns = buffer.window.Right - buffer.window.Left + 1;
    const int rows = buffer.window.Bottom - buffer.window.Top + 1;
    if (size.columns < columns || size.rows < (rows + 1) / 2) {
        return Shown::Notice;
    }
    return size.rows < rows && style.utf8 ? Shown::HalfHeight : Shown::Cells;
}

std::vector<ModelCell> FrameEncoder::ExpectedScreen() const {
    std::vector<ModelCell> screen(static_cast<size_t>(size.columns * size.rows), Empty);
    const SMALL_RECT& window = buffer.window;
    const int columns = window.Right - window.Left + 1;
    const int rows = window.Bottom - window.Top + 1;
    auto windowCell = [&](int column, int row) {
        return row < rows ? buffer.cells[static_cast<size_t>((window.Top + row) * buffer.size.X +
                                                             window.Left + column)]
                          : BlankCell;
    };
    auto put = [&](int column, int row, ModelCell cell) {
        if (column >= 0 && column < size.columns && row >= 0 && row < size.rows) {
            screen[static_cast<size_t>(row * size.columns + column)] = cell;
        }
    };
    const Shown shown = ExpectedShown();
    const int shownRows = shown == Shown::HalfHeight ? (rows + 1) / 2 : rows;
    const int left = std::max(0, (size.columns - columns) / 2);
    const int top = std::max(0, (size.rows - shownRows) / 2);
    if (shown == Shown::Notice) {
        const std::string notice =
            "Zorvendale needs a terminal of at least " + std::to_string(columns) + " by " +
            std::to_string((rows + 1) / 2) + " (now " + std::to_string(size.columns) + " by " +
            std::to_string(size.rows) + ")";
        const std::vector<std::string> lines = WrapWords(notice, size.columns);
        const int noticeTop = std::max(0, (size.rows - static_cast<int>(lines.size())) / 2);
        for (size_t k = 0; k < lines.size(); ++k) {
            const int start = (size.columns - static_cast<int>(lines[k].size())) / 2;
            for (size_t i = 0; i < lines[k].size(); ++i) {
                put(start + static_cast<int>(i), noticeTop + static_cast<int>(k),
                    {static_cast<char32_t>(lines[k][i]), DefaultColour, DefaultColour});
            }
        }
        return screen;
    }
    for (int j = 0; j < shownRows; ++j) {
        for (int i = 0; i < columns; ++i) {
            put(left + i, top + j,
                shown == Shown::Cells
                    ? ExpectedCell(windowCell(i, j), style)
                    : ModelCell{HalfBlockGlyph, ExpectedHalfColour(windowCell(i, 2 * j), style),
                                ExpectedHalfColour(windowCell(i, 2 * j + 1), style)});
        }
    }
    return screen;
}

void FrameEncoder::ExpectShowsWindow() {
    const std::vector<ModelCell> expected = ExpectedScreen();
    for (int row = 0; row < size.rows; ++row) {
        for (int column = 0; column < size.columns; ++column) {
            ASSERT_EQ(CellAt(terminal, column, row),
                      expected[static_cast<size_t>(row * size.columns + column)])
                << "terminal cell " << column << "," << row << " of " << size.columns << "x"
                << size.rows;
        }
    }
}
