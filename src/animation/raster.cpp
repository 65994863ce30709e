#include "animation/raster.h"

namespace {

double D(float v) {
    return static_cast<double>(v);
}

// The squared gap along one axis, rounded as DistSq rounds it.
float SquaredGap(float from, float to) {
    const float d = static_cast<float>(D(to) - D(from));
    return static_cast<float>(D(d) * D(d));
}

// A disc's squared gaps to every column and every row. DistSq rounds each axis on its own before
// adding, so a cell's squared distance is exactly colGap[i] + rowGap[j] rounded to float: 100
// squarings per disc instead of 2,400.
struct DiscGaps {
    float colGap[ScreenColumns];
    float rowGap[ScreenRows];
    float limit; // squared radius; a cell is inside when strictly below it

    void Measure(float cx, float cy, float squaredRadius) {
        for (int i = 0; i < ScreenColumns; ++i) {
            colGap[i] = SquaredGap(static_cast<float>(i), cx);
        }
        for (int j = 0; j < ScreenRows; ++j) {
            rowGap[j] = SquaredGap(static_cast<float>(j), cy);
        }
        limit = squaredRadius;
    }

    // False when no cell of the column can be inside: a sum never rounds below a float addend, so
    // a column gap at or past the limit keeps every cell of the column out.
    bool Reaches(int i) const { return limit > colGap[i]; }

    bool Covers(int i, int j) const {
        return limit > static_cast<float>(D(colGap[i]) + D(rowGap[j]));
    }
};

struct Cell {
    unsigned char glyph;
    WORD attr;
};

Cell BallCell(bool white, bool lit) {
    if (white) {
        return {GlyphFull, lit ? AttrWhite : AttrGray};
    }
    return {GlyphFull, lit ? AttrRed : AttrDarkRed};
}

// A background cell follows from its column's kind and its row's kind alone.
enum Kind { Border, Line, Plain };

Kind ColumnKind(int i) {
    if (i <= 0 || i >= ScreenColumns - 1) {
        return Border;
    }
    return i % GridSpacing == 0 ? Line : Plain;
}

Kind RowKind(int j) {
    if (j <= 0 || j >= ScreenRows - 1) {
        return Border;
    }
    // Below the floor every row is a line (a spacing of GridSpacing / 4, one row), which reads as
    // the floor's dense ruling.
    return j > FloorRow || j % GridSpacing == 0 ? Line : Plain;
}

// [column kind][row kind]: the border is plain; a line column crossing a line row is a cross.
constexpr Cell BackgroundCells[3][3] = {
    {{GlyphFull, AttrGray}, {GlyphFull, AttrGray}, {GlyphFull, AttrGray}},
    {{GlyphFull, AttrGray}, {GlyphCross, AttrGrid}, {GlyphVertical, AttrGrid}},
    {{GlyphFull, AttrGray}, {GlyphHorizontal, AttrGrid}, {GlyphFull, AttrGray}},
};

} // namespace

float DistSq(float ax, float ay, float bx, float by) {
    return static_cast<float>(D(SquaredGap(ax, bx)) + D(SquaredGap(ay, by)));
}

bool InCircle(float px, float py, float cx, float cy, float r) {
    return static_cast<float>(D(r) * D(r)) > DistSq(px, py, cx, cy);
}

void PaintFrame(const Scene& scene, int phase, CHAR_INFO* grid) {
    const float squaredRadius = static_cast<float>(D(scene.radius) * D(scene.radius));
    const double shift = D(scene.radius) * HighlightShift;
    DiscGaps ball;
    DiscGaps lit;
    DiscGaps shadow;
    ball.Measure(scene.x, scene.y, squaredRadius);
    lit.Measure(static_cast<float>(D(scene.x) - shift), static_cast<float>(D(scene.y) - shift),
                scene.litRadiusSq);
    shadow.Measure(static_cast<float>(D(scene.x) + ShadowShiftX),
                   static_cast<float>(D(scene.y) - ShadowShiftY), squaredRadius);

    // The checker colour is one running toggle over the whole frame, column by column; the
    // traversal order is what slants the pattern.
    bool white = false;
    for (int i = 0; i < ScreenColumns; ++i) {
        if ((i + phase) % CheckerPeriod == 0) {
            white = !white;
        }
        const Cell* column = BackgroundCells[ColumnKind(i)];
        const bool ballColumn = ball.Reaches(i);
        const bool shadowColumn = shadow.Reaches(i);
        const int rowShift = phase - i / CheckerTilt;
        for (int j = 0; j < ScreenRows; ++j) {
            if ((j + rowShift) % CheckerPeriod == 0) {
                white = !white;
            }
            Cell cell = column[RowKind(j)];
            if (ballColumn && ball.Covers(i, j)) {
                cell = BallCell(white, lit.Covers(i, j));
            } else if (shadowColumn && shadow.Covers(i, j)) {
                cell = {GlyphShade, AttrGrid};
            }
            CHAR_INFO& out = grid[j * ScreenColumns + i];
            out.Char.AsciiChar = static_cast<CHAR>(cell.glyph);
            out.Attributes = cell.attr;
        }
    }
}
