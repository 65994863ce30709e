#include "model_terminal.h"

#include <algorithm>
#include <cstdlib>

namespace {

const ModelCell EmptyCell = {U' ', DefaultColour, DefaultColour};

struct Parser {
    ModelTerminal& terminal;
    const std::string& bytes;
    size_t at;
};

char32_t DecGraphic(char byte) {
    switch (byte) {
    case 'q':
        return U'\u2500';
    case 'x':
        return U'\u2502';
    case 'n':
        return U'\u253C';
    case 'a':
        return U'\u2592';
    default:
        return static_cast<char32_t>(byte);
    }
}

void Put(ModelTerminal& terminal, char32_t glyph) {
    if (terminal.row < 0 || terminal.row >= terminal.rows || terminal.column < 0 ||
        terminal.column >= terminal.columns) {
        terminal.faults.push_back("glyph off the screen");
        return;
    }
    terminal.cells[static_cast<size_t>(terminal.row * terminal.columns + terminal.column)] = {
        glyph, terminal.foreground, terminal.background};
    ++terminal.glyphsDrawn;
    // Autowrap is off: the cursor stays in the last column.
    if (terminal.column < terminal.columns - 1) {
        ++terminal.column;
    }
}

std::vector<int> Parameters(const std::string& text) {
    std::vector<int> values;
    size_t from = 0;
    while (from <= text.size()) {
        const size_t end = text.find(';', from);
        const std::string part = text.substr(from, end == std::string::npos ? end : end - from);
        values.push_back(part.empty() ? 0 : std::atoi(part.c_str()));
        if (end == std::string::npos) {
            break;
        }
        from = end + 1;
    }
    return values;
}

uint32_t Basic(int code, int base) {
    return static_cast<uint32_t>(code - base);
}

void SelectGraphics(ModelTerminal& terminal, const std::vector<int>& values) {
    for (size_t i = 0; i < values.size(); ++i) {
        const int code = values[i];
        if (code == 0) {
            terminal.foreground = DefaultColour;
            terminal.background = DefaultColour;
        } else if (code >= 30 && code <= 37) {
            terminal.foreground = Basic(code, 30);
        } else if (code >= 40 && code <= 47) {
            terminal.background = Basic(code, 40);
        } else if (code >= 90 && code <= 97) {
            terminal.foreground = Basic(code, 90) + 8;
        } else if (code >= 100 && code <= 107) {
            terminal.background = Basic(code, 100) + 8;
        } else if ((code == 38 || code == 48) && i + 4 < values.size() && values[i + 1] == 2) {
            const uint32_t rgb = DirectBit | static_cast<uint32_t>(values[i + 2]) << 16 |
                                 static_cast<uint32_t>(values[i + 3]) << 8 |
                                 static_cast<uint32_t>(values[i + 4]);
            (code == 38 ? terminal.foreground : terminal.background) = rgb;
            i += 4;
        } else {
            terminal.faults.push_back("unexpected SGR " + std::to_string(code));
        }
    }
}

void ControlSequence(ModelTerminal& terminal, const std::string& text, char final) {
    const std::vector<int> values = Parameters(text);
    if (final == 'H' && values.size() == 2) {
        terminal.row = values[0] - 1;
        terminal.column = values[1] - 1;
    } else if (final == 'A' || final == 'B' || final == 'C' || final == 'D') {
        // Relative moves stop at the screen's edge, as a terminal's do.
        const int count = values[0] == 0 ? 1 : values[0];
        const bool vertical = final == 'A' || final == 'B';
        int& at = vertical ? terminal.row : terminal.column;
        at += final == 'A' || final == 'D' ? -count : count;
        at = std::clamp(at, 0, (vertical ? terminal.rows : terminal.columns) - 1);
    } else if (final == 'G') {
        terminal.column = std::clamp(values[0] - 1, 0, terminal.columns - 1);
    } else if (final == 'm') {
        SelectGraphics(terminal, values);
    } else if (final == 'J' && values[0] == 2) {
        terminal.cells.assign(terminal.cells.size(), EmptyCell);
    } else {
        terminal.faults.push_back("unexpected sequence " + text + final);
    }
}

void Escape(Parser& parser) {
    const std::string& bytes = parser.bytes;
    const char kind = parser.at < bytes.size() ? bytes[parser.at++] : '\0';
    if (kind == '(' && parser.at < bytes.size()) {
        parser.terminal.lineSet = bytes[parser.at++] == '0';
    } else if (kind == '[') {
        const size_t start = parser.at;
        while (parser.at < bytes.size() && (bytes[parser.at] < 0x40 || bytes[parser.at] > 0x7E)) {
            ++parser.at;
        }
        const std::string text = bytes.substr(start, parser.at - start);
        ControlSequence(parser.terminal, text, parser.at < bytes.size() ? bytes[parser.at++] : 0);
    } else {
        parser.terminal.faults.push_back("unexpected escape");
    }
}

char32_t DecodeUtf8(Parser& parser, unsigned char lead) {
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    char32_t glyph = lead & (0x3F >> extra);
    for (int i = 0; i < extra && parser.at < parser.bytes.size(); ++i) {
        glyph = glyph << 6 | (static_cast<unsigned char>(parser.bytes[parser.at++]) & 0x3F);
    }
    return glyph;
}

} // namespace

ModelTerminal MakeModelTerminal(int columns, int rows) {
    ModelTerminal terminal = {};
    terminal.columns = columns;
    terminal.rows = rows;
    terminal.cells.assign(static_cast<size_t>(columns * rows), EmptyCell);
    terminal.foreground = DefaultColour;
    terminal.background = DefaultColour;
    return terminal;
}

void Feed(ModelTerminal& terminal, const std::string& bytes) {
    Parser parser = {terminal, bytes, 0};
    while (parser.at < bytes.size()) {
        const unsigned char byte = static_cast<unsigned char>(bytes[parser.at++]);
        if (byte == 0x1B) {
            Escape(parser);
        } else if (byte < 0x20 || byte == 0x7F) {
            terminal.faults.push_back("control character " + std::to_string(byte));
        } else if (byte < 0x80) {
            Put(terminal, terminal.lineSet ? DecGraphic(static_cast<char>(byte)) : byte);
        } else {
            Put(terminal, DecodeUtf8(parser, byte));
        }
    }
}

const ModelCell& CellAt(const ModelTerminal& terminal, int column, int row) {
    return terminal.cells[static_cast<size_t>(row * terminal.columns + column)];
}
