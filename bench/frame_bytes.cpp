// How many bytes the terminal receives per frame in each form the picture takes: ten seconds of
// the animation, one frame per millisecond reading as the program presents them, encoded for
// terminals of 80 by 45 (cell for cell), 80 by 24 (at half height, or cut without UTF-8) and
// 50 by 15 (the notice), in 16 colours and in direct colour.
#include "animation/raster.h"
#include "animation/scene.h"
#include "platform/linux/encoding/frame_encoder.h"

#include <cstdio>
#include <string>

namespace {

constexpr uint32_t Readings = 10'000;

struct Case {
    const char* name;
    TerminalSize size;
    TerminalStyle style;
};

void Measure(const Case& c) {
    ScreenBuffer buffer;
    ResetScreenBuffer(buffer);
    ResizeScreenBuffer(buffer, {ScreenColumns, ScreenRows});
    PlaceWindow(buffer, true, {0, 0, ScreenColumns - 1, ScreenRows - 1});
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
        SMALL_RECT region = {0, 0, ScreenColumns - 1, ScreenRows - 1};
        WriteCells(buffer, grid, {ScreenColumns, ScreenRows}, {0, 0}, region);
        out.clear();
        EncodeFrame(buffer, c.style, c.size, false, image, out);
        (nowMs == 0 ? first : rest) += out.size();
        sending += nowMs > 0 && !out.empty() ? 1 : 0;
    }
    std::printf("| %s | %zu | %.1f | %u | %.0f |\n", c.name, first,
                static_cast<double>(rest) / (Readings - 1), sending,
                sending > 0 ? static_cast<double>(rest) / sending : 0.0);
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
    return 0;
}
