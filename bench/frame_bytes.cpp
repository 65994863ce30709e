// How many bytes the terminal receives in each form the picture takes: ten seconds of the
// animation, one frame per millisecond reading as the program presents them, encoded for
// terminals of 80 by 45 (cell for cell), 80 by 24 (at half height, or cut without UTF-8) and
// 50 by 15 (the notice), in 16 colours and in direct colour. Then the bytes a second of the
// replay's first minute sent as the program sends it, at 60 updates a second and fewer, beside
// other streams the encoder could send for the same updates (their lengths worked out here from
// the cells each update changes): the encoder keeps the shortest that every terminal takes.
#include "animation/raster.h"
#include "animation/scene.h"
#include "platform/linux/encoding/colour.h"
#include "platform/linux/encoding/frame_encoder.h"
#include "platform/linux/encoding/glyphs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr uint32_t Readings = 10'000;
constexpr int MinuteMs = 60'000;

struct Case {
    const char* name;
    TerminalSize size;
    TerminalStyle style;
};

// The console's buffer, its window the whole picture, as the program keeps it.
ScreenBuffer PictureBuffer() {
    ScreenBuffer buffer;
    ResetScreenBuffer(buffer);
    ResizeScreenBuffer(buffer, {ScreenColumns, ScreenRows});
    PlaceWindow(buffer, true, {0, 0, ScreenColumns - 1, ScreenRows - 1});
    return buffer;
}

void Present(ScreenBuffer& buffer, const CHAR_INFO* grid) {
    SMALL_RECT region = {0, 0, ScreenColumns - 1, ScreenRows - 1};
    WriteCells(buffer, grid, {ScreenColumns, ScreenRows}, {0, 0}, region);
}

void Measure(const Case& c) {
    ScreenBuffer buffer = PictureBuffer();
    Scene scene;
    InitScene(scene);
    static CHAR_INFO grid[CellCount];
    TerminalImage image = {};
    ForgetImage(image);
    std::string out;
    size_t first = 0;
    size_t rest = 0;
    uint32_t sending = 0; // later frames that sent anything
    for (uint32_t nowMs = 0; nowMs < Readings; ++nowMs) {
        PaintFrame(scene, AdvanceScene(scene, nowMs).phase, grid);
        Present(buffer, grid);
        out.clear();
        EncodeFrame(buffer, c.style, c.size, false, image, out);
        (nowMs == 0 ? first : rest) += out.size();
        sending += nowMs > 0 && !out.empty() ? 1 : 0;
    }
    std::printf("| %s | %zu | %.1f | %u | %.0f |\n", c.name, first,
                static_cast<double>(rest) / (Readings - 1), sending,
                sending > 0 ? static_cast<double>(rest) / sending : 0.0);
}

// --- Other streams for the same update, by their lengths
// ------------------------------------------

struct Way {
    const char* name;
    bool colourOrder;   // colour by colour, else row by row
    bool shortMoves;    // CUU, CUD, CUB, CHA where shorter; else CUP, and CUF on the same row
    bool anyForeground; // a full block, sent as a space, keeps whatever foreground is in force
    bool repeat;        // REP (CSI n b) for runs of one cell
};

struct Pen {
    int row = -1, column = -1, foreground = -1, background = -1;
};

struct Changed {
    int row, column;
    TerminalCell cell;
    int foreground, background; // what the pen needs: -1 for any foreground
};

unsigned Relative(int n) {
    return n == 1 ? 3 : 3 + NumberLength(static_cast<unsigned>(n));
}

unsigned MoveLength(const Pen& pen, int row, int column, int columns, bool shortMoves) {
    if (pen.row == row && pen.column == column) {
        return 0;
    }
    const unsigned absolute = 4 + NumberLength(static_cast<unsigned>(row + 1)) +
                              NumberLength(static_cast<unsigned>(column + 1));
    const bool known = pen.column >= 0 && pen.column < columns;
    if (!shortMoves) {
        return pen.row == row && known && column > pen.column ? Relative(column - pen.column)
                                                              : absolute;
    }
    if (pen.row < 0) {
        return absolute;
    }
    const unsigned toColumn = 3 + NumberLength(static_cast<unsigned>(column + 1));
    const unsigned across = !known ? toColumn
                            : column == pen.column
                                ? 0
                                : std::min(toColumn, Relative(std::abs(column - pen.column)));
    const unsigned down = row == pen.row ? 0 : Relative(std::abs(row - pen.row));
    return std::min(absolute, down + across);
}

unsigned SetLength(Pen& pen, int foreground, int background, bool direct) {
    const bool newForeground = foreground >= 0 && pen.foreground != foreground;
    const bool newBackground = pen.background != background;
    if (!newForeground && !newBackground) {
        return 0;
    }
    const unsigned length = 3 + (newForeground ? ColourLength(foreground, false, direct) : 0) +
                            (newForeground && newBackground ? 1 : 0) +
                            (newBackground ? ColourLength(background, true, direct) : 0);
    pen.foreground = newForeground ? foreground : pen.foreground;
    pen.background = background;
    return length;
}

unsigned GlyphLength(TerminalCell cell) {
    if (Cp437ToDec(cell.code).fill) {
        return 1;
    }
    std::string text;
    AppendUtf8(text, Cp437ToUnicode(cell.code));
    return static_cast<unsigned>(text.size());
}

unsigned Draw(const std::vector<Changed>& cells, const Way& way, const TerminalSize& size,
              bool direct, Pen& pen) {
    unsigned total = 0;
    for (size_t k = 0; k < cells.size(); ++k) {
        const Changed& c = cells[k];
        total += MoveLength(pen, c.row, c.column, size.columns, way.shortMoves);
        pen.row = c.row;
        pen.column = c.column;
        total += SetLength(pen, c.foreground, c.background, direct);
        const unsigned glyph = GlyphLength(c.cell);
        total += glyph;
        ++pen.column;
        size_t run = 0;
        while (way.repeat && k + run + 1 < cells.size() && cells[k + run + 1].row == c.row &&
               cells[k + run + 1].column == c.column + static_cast<int>(run) + 1 &&
               cells[k + run + 1].cell == c.cell) {
            ++run;
        }
        if (run > 0 && Relative(static_cast<int>(run)) < run * glyph) {
            total += Relative(static_cast<int>(run));
            pen.column += static_cast<int>(run);
            k += run;
        }
    }
    return total;
}

// As the encoder orders them: the colours cheapest to set first, each with all of its cells.
std::vector<Changed> ColourOrder(std::vector<Changed> left, bool direct, Pen pen) {
    std::vector<Changed> ordered;
    while (!left.empty()) {
        const Changed* cheapest = &left.front();
        unsigned least = ~0u;
        for (const Changed& c : left) {
            Pen trial = pen;
            const unsigned length = SetLength(trial, c.foreground, c.background, direct);
            if (length < least) {
                least = length;
                cheapest = &c;
            }
        }
        SetLength(pen, cheapest->foreground, cheapest->background, direct);
        std::vector<Changed> rest;
        for (const Changed& c : left) {
            const bool drawn = c.background == pen.background &&
                               (c.foreground < 0 || c.foreground == pen.foreground);
            (drawn ? ordered : rest).push_back(c);
        }
        left.swap(rest);
    }
    return ordered;
}

unsigned UpdateLength(const std::vector<TerminalCell>& before, const TerminalImage& image,
                      const Way& way, bool direct, Pen& pen) {
    const Placement& placement = image.placement;
    std::vector<Changed> cells;
    for (int row = 0; row < placement.rows; ++row) {
        for (int column = 0; column < placement.columns; ++column) {
            const size_t at = static_cast<size_t>(row * placement.columns + column);
            const TerminalCell cell = image.shown[at];
            if (!(before[at] == cell)) {
                const bool fill = Cp437ToDec(cell.code).fill;
                cells.push_back({placement.top + row, placement.left + column, cell,
                                 fill && way.anyForeground ? -1 : cell.foreground,
                                 fill ? cell.foreground : cell.background});
            }
        }
    }
    if (way.colourOrder) {
        cells = ColourOrder(cells, direct, pen);
    }
    return Draw(cells, way, placement.terminal, direct, pen);
}

const Way Ways[] = {
    {"rows, CUP and CUF (the encoder before)", false, false, false, false},
    {"rows, short moves", false, true, false, false},
    {"colours, CUP and CUF", true, false, false, false},
    {"colours, short moves (the encoder)", true, true, false, false},
    {"colours, short moves, REP", true, true, false, true},
    {"colours, short moves, any foreground under a space", true, true, true, false},
};

// The replay's first minute at so many updates a second, each update the latest frame.
void MeasureUpdates(const Case& c, int rate) {
    ScreenBuffer buffer = PictureBuffer();
    Scene scene;
    InitScene(scene);
    static CHAR_INFO grid[CellCount];
    TerminalImage image = {};
    ForgetImage(image);
    std::string out;
    double sent = 0;
    double lengths[std::size(Ways)] = {};
    Pen pens[std::size(Ways)];
    for (int nowMs = 0, updates = 0; nowMs < MinuteMs; ++nowMs) {
        PaintFrame(scene, AdvanceScene(scene, nowMs).phase, grid);
        if (nowMs * rate / 1000 < updates) {
            continue;
        }
        ++updates;
        Present(buffer, grid);
        const std::vector<TerminalCell> before = image.shown;
        out.clear();
        EncodeFrame(buffer, c.style, c.size, false, image, out);
        if (nowMs == 0) {
            continue; // the whole first frame, the same for all
        }
        sent += static_cast<double>(out.size());
        for (size_t w = 0; w < std::size(Ways); ++w) {
            lengths[w] += UpdateLength(before, image, Ways[w], c.style.directColour, pens[w]);
        }
    }
    std::printf("| %s | %d | %.0f |", c.name, rate, sent * 1000 / MinuteMs);
    for (const double length : lengths) {
        std::printf(" %.0f |", length * 1000 / MinuteMs);
    }
    std::printf("\n");
}

} // namespace

int main() {
    const Case cases[] = {
        {"80x45, cell for cell, 16 colours", {80, 45}, {true, false}},
        {"80x45, cell for cell, direct colour", {80, 45}, {true, true}},
        {"80x24, half height, 16 colours", {80, 24}, {true, false}},
        {"80x24, half height, direct colour", {80, 24}, {true, true}},
        {"80x24, cut, no UTF-8, 16 colours", {80, 24}, {false, false}},
        {"50x15, notice", {50, 15}, {true, false}},
    };
    std::printf("Bytes sent for %u frames, one per millisecond reading from 0:\n\n", Readings);
    std::printf("| terminal | first frame | mean per later frame | later frames sending | mean per "
                "sending frame |\n|---|---|---|---|---|\n");
    for (const Case& c : cases) {
        Measure(c);
    }
    std::printf("\nBytes a second over the replay's first minute, after the first frame:\n\n"
                "| terminal | updates a second | sent |");
    for (const Way& way : Ways) {
        std::printf(" %s |", way.name);
    }
    std::printf("\n|---|---|---|");
    for (size_t w = 0; w < std::size(Ways); ++w) {
        std::printf("---|");
    }
    std::printf("\n");
    for (const Case& c : {cases[0], cases[1], cases[2], cases[3]}) {
        for (const int rate : {60, 50, 40, 30}) {
            MeasureUpdates(c, rate);
        }
    }
    return 0;
}
