// A frame encoder driving a model terminal, and what the terminal should show for the buffer's
// window: cell for cell, at half height or the size notice, as the terminal's size allows.
#pragma once

#include "platform/linux/encoding/frame_encoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model_terminal.h"

constexpr ConsoleCell Plain = {0xDB, 0x77};
constexpr ConsoleCell Lit = {0xDB, 0xFF};
constexpr ConsoleCell Red = {0xDB, 0xCC};
constexpr ConsoleCell DarkRed = {0xDB, 0x44};
constexpr ConsoleCell Shade = {0xB1, 0x75};
constexpr ConsoleCell DimShade = {0xB1, 0xF8}; // channels of odd sums: 0x80 + 0xFF
constexpr ConsoleCell Cross = {0xC5, 0x75};
constexpr ConsoleCell Across = {0xC4, 0x75};
constexpr ConsoleCell Down = {0xB3, 0x75};
constexpr ConsoleCell Letter = {'a', 0x1E};
constexpr ConsoleCell Space = {' ', 0x3E};
constexpr ConsoleCell PictureCells[] = {Plain, Lit,    Red,  DarkRed, Shade, DimShade,
                                        Cross, Across, Down, Letter,  Space};

constexpr TerminalStyle Utf8Indexed = {true, false};
constexpr TerminalStyle Utf8Direct = {true, true};
constexpr TerminalStyle DecIndexed = {false, false};
constexpr TerminalStyle DecDirect = {false, true};

constexpr char32_t HalfBlockGlyph = U'\u2580';

// A console colour index as the model terminal records it: its terminal number, or its classic
// RGB in direct colour.
uint32_t ExpectedColour(int index, const TerminalStyle& style);

// A window cell drawn cell for cell.
ModelCell ExpectedCell(ConsoleCell cell, const TerminalStyle& style);

// The colour a window cell gives its half of a half block.
uint32_t ExpectedHalfColour(ConsoleCell cell, const TerminalStyle& style);

ScreenBuffer MakeBuffer(int columns, int rows, ConsoleCell fill);

ConsoleCell& At(ScreenBuffer& buffer, int column, int row);

// The text of a terminal row, glyphs in UTF-8.
std::string RowText(const ModelTerminal& terminal, int row);

enum class Shown { Cells, HalfHeight, Notice };

class FrameEncoder : public ::testing::Test {
  protected:
    void Start(int columns, int rows, ConsoleCell fill, int terminalColumns, int terminalRows,
               TerminalStyle chosen = Utf8Indexed);

    // A new terminal size; its content is kept only where the encoder is told nothing.
    void Resize(int columns, int rows);

    // A new terminal size as a terminal emulator makes it: what it showed stays where it still
    // fits, so anything the encoder fails to clear or redraw is seen, and so does its pen.
    void ResizeKeepingContent(int columns, int rows);

    std::string Frame(bool cursorVisible = false);

    // How the window should show on the terminal's present size.
    Shown ExpectedShown() const;

    // Every terminal cell as it should be: the window centred or cut, at half height, or the
    // notice alone; blank elsewhere.
    std::vector<ModelCell> ExpectedScreen() const;

    // The terminal shows ExpectedScreen.
    void ExpectShowsWindow();

    ScreenBuffer buffer;
    TerminalStyle style;
    TerminalSize size;
    TerminalImage image;
    ModelTerminal terminal;
};
