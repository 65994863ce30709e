// A terminal reduced to what the console's output may use, for checking what a stream of bytes
// leaves on the screen: cursor moves (absolute, and relative ones stopping at the edge), colours,
// the DEC line-drawing set, clearing and UTF-8 text. Anything else, and any glyph drawn off the
// screen, is noted as a fault.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A colour as the stream chose it: a terminal number 0-15, DirectBit | 0xRRGGBB, or Default.
constexpr uint32_t DirectBit = 0x1000000;
constexpr uint32_t DefaultColour = 0x2000000;

struct ModelCell {
    char32_t glyph;
    uint32_t foreground;
    uint32_t background;
    bool operator==(const ModelCell&) const = default;
};

struct ModelTerminal {
    int columns;
    int rows;
    std::vector<ModelCell> cells;
    int row, column;
    uint32_t foreground, background;
    bool lineSet;
    int glyphsDrawn;
    std::vector<std::string> faults;
};

ModelTerminal MakeModelTerminal(int columns, int rows);

// Runs bytes through the terminal.
void Feed(ModelTerminal& terminal, const std::string& bytes);

const ModelCell& CellAt(const ModelTerminal& terminal, int column, int row);
