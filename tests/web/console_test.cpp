// The console on the canvas: a write of part of a buffer to part of the console, clipped as
// Windows clips it, and never reading outside the caller's buffer; only the cells changed since
// the last frame shown are drawn again.
#include "animation/raster.h"
#include "picture/cell_picture.h"
#include "platform/web/layer.h"
#include "platform/win_api.h"
#include "web/page_stand_in.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<CHAR_INFO> Cells(int count, unsigned char glyph) {
    CHAR_INFO cell{};
    cell.Char.AsciiChar = static_cast<CHAR>(glyph);
    cell.Attributes = 0x07;
    return std::vector<CHAR_INFO>(static_cast<size_t>(count), cell);
}

// The whole frame as RGBA pixels, from the replay tool's drawing.
std::vector<uint8_t> WholeFrame(const std::vector<CHAR_INFO>& cells) {
    std::vector<uint8_t> rgba;
    for (uint8_t index : RenderFrame(cells.data())) {
        const Rgb& colour = ConsolePalette[index];
        rgba.insert(rgba.end(), {colour.r, colour.g, colour.b, 0xFF});
    }
    return rgba;
}

// A rectangle as {x, y, width, height}, all 0 when empty.
std::vector<int> Rect(int x, int y, int width, int height) {
    return width <= 0 || height <= 0 ? std::vector<int>(4) : std::vector<int>{x, y, width, height};
}

// The pixel rectangle of the cells that differ between two frames.
std::vector<int> ChangedRect(const std::vector<CHAR_INFO>& before,
                             const std::vector<CHAR_INFO>& after) {
    int left = ScreenColumns, top = ScreenRows, right = -1, bottom = -1;
    for (int k = 0; k < CellCount; ++k) {
        const CHAR_INFO& a = before[static_cast<size_t>(k)];
        const CHAR_INFO& b = after[static_cast<size_t>(k)];
        if (a.Char.AsciiChar != b.Char.AsciiChar || a.Attributes != b.Attributes) {
            left = std::min(left, k % ScreenColumns);
            right = std::max(right, k % ScreenColumns);
            top = std::min(top, k / ScreenColumns);
            bottom = std::max(bottom, k / ScreenColumns);
        }
    }
    return Rect(left * 8, top * 16, (right + 1 - left) * 8, (bottom + 1 - top) * 16);
}

} // namespace

// The animation's frames, shown after bursts of 1 to 60 readings: each shown frame's changed
// rectangle holds exactly the cells that differ from the frame shown before (the first frame is
// drawn whole), and the canvas, which takes only those rectangles, equals the whole frame.
TEST(WebConsole, DrawsOnlyTheCellsChangedSinceTheLastFrameShown) {
    page::Reset();
    ASSERT_TRUE(AllocConsole());
    const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    Scene scene;
    InitScene(scene);
    std::vector<CHAR_INFO> cells(CellCount);
    std::vector<CHAR_INFO> shown(CellCount);
    const int bursts[] = {1, 1, 17, 60, 3, 16, 16, 1, 40, 33};
    uint32_t reading = 0;
    for (int round = 0; round < 30; ++round) {
        for (int pass = 0; pass < bursts[round % 10]; ++pass) {
            PaintFrame(scene, AdvanceScene(scene, reading++).phase, cells.data());
            SMALL_RECT whole{0, 0, ScreenColumns - 1, ScreenRows - 1};
            WriteConsoleOutputA(console, cells.data(), {ScreenColumns, ScreenRows}, {0, 0}, &whole);
        }
        ShowConsole();
        const PageRect& got = page::state.frames.back().changed;
        EXPECT_EQ(Rect(got.x, got.y, got.width, got.height),
                  round == 0 ? Rect(0, 0, 480, 640) : ChangedRect(shown, cells))
            << "round " << round;
        ASSERT_TRUE(page::state.canvas == WholeFrame(cells)) << "round " << round;
        shown = cells;
    }
    FreeConsole();
}

TEST(WebConsole, ClipsAWriteToTheConsoleAndToTheCallersBuffer) {
    page::Reset();
    ASSERT_TRUE(AllocConsole());
    const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    std::vector<CHAR_INFO> blank = Cells(CellCount, ' ');
    SMALL_RECT whole{0, 0, ScreenColumns - 1, ScreenRows - 1};
    ASSERT_TRUE(
        WriteConsoleOutputA(console, blank.data(), {ScreenColumns, ScreenRows}, {0, 0}, &whole));
    // A 10 by 4 buffer, each cell's character its own index.
    std::vector<CHAR_INFO> buffer = Cells(40, 0);
    for (int k = 0; k < 40; ++k) {
        buffer[static_cast<size_t>(k)].Char.AsciiChar = static_cast<CHAR>(k + 1);
    }
    SMALL_RECT corner{55, 37, 70, 45}; // past the console's right and bottom edges
    ASSERT_TRUE(WriteConsoleOutputA(console, buffer.data(), {10, 4}, {1, 0}, &corner));
    EXPECT_EQ(corner.Left, 55);
    EXPECT_EQ(corner.Top, 37);
    EXPECT_EQ(corner.Right, 59);
    EXPECT_EQ(corner.Bottom, 39);
    SMALL_RECT left{-3, 0, 2, 0}; // past the left edge: the buffer's cells move with it
    ASSERT_TRUE(WriteConsoleOutputA(console, buffer.data(), {10, 4}, {0, 3}, &left));
    EXPECT_EQ(left.Left, 0);
    EXPECT_EQ(left.Right, 2);
    SMALL_RECT beyond{3, 0, 20, 0}; // wider than what the buffer has from its cell 8
    ASSERT_TRUE(WriteConsoleOutputA(console, buffer.data(), {10, 4}, {8, 1}, &beyond));
    EXPECT_EQ(beyond.Right, 4);
    SMALL_RECT before{10, 1, 13, 1}; // the cells before the buffer's start are not read
    ASSERT_TRUE(WriteConsoleOutputA(console, buffer.data(), {10, 4}, {-2, 0}, &before));
    EXPECT_EQ(before.Left, 12);
    EXPECT_EQ(before.Right, 13);
    ShowConsole();

    const CHAR_INFO* cells = reinterpret_cast<const CHAR_INFO*>(page::state.frames[0].cells.data());
    auto at = [cells](int x, int y) {
        return static_cast<int>(cells[y * ScreenColumns + x].Char.AsciiChar);
    };
    EXPECT_EQ(at(55, 37), 2);  // buffer (1, 0)
    EXPECT_EQ(at(59, 37), 6);  // buffer (5, 0)
    EXPECT_EQ(at(59, 39), 26); // buffer (5, 2)
    EXPECT_EQ(at(54, 37), ' ');
    EXPECT_EQ(at(0, 0), 34); // buffer (3, 3): three columns were cut off on the left
    EXPECT_EQ(at(2, 0), 36);
    EXPECT_EQ(at(3, 0), 19); // buffer (8, 1)
    EXPECT_EQ(at(4, 0), 20); // buffer (9, 1), its row's last cell
    EXPECT_EQ(at(5, 0), ' ');
    EXPECT_EQ(at(11, 1), ' ');
    EXPECT_EQ(at(12, 1), 1); // buffer (0, 0)
    EXPECT_EQ(at(13, 1), 2);
    FreeConsole();
}
