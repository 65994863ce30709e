// Helpers shared by the animation tests: scenes built to order, painted grids, and bit-exact
// comparison between the production code and the reference model.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "animation/raster.h"
#include "animation/scene.h"
#include "reference_model.h"

namespace animtest {

using Grid = std::array<CHAR_INFO, CellCount>;

inline std::uint32_t Bits(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

// The start-up scene with the ball moved to (x, y).
inline Scene SceneAt(float x, float y) {
    Scene scene{};
    InitScene(scene);
    scene.x = x;
    scene.y = y;
    return scene;
}

inline ref::Ball ToRef(const Scene& scene) {
    ref::Ball ball{};
    ball.x = scene.x;
    ball.y = scene.y;
    ball.radius = scene.radius;
    ball.vx = scene.vx;
    ball.vy = scene.vy;
    ball.movingRight = scene.movingRight;
    ball.prevMs = scene.prevMs;
    ball.litRadiusSq = scene.litRadiusSq;
    return ball;
}

// Every byte of the grid, the never-written upper halves of the character unions included, starts
// as fill, so that two grids painted over the same fill can be compared whole.
inline Grid Paint(const Scene& scene, int phase, unsigned char fill = 0) {
    Grid grid;
    std::memset(grid.data(), fill, sizeof(grid));
    PaintFrame(scene, phase, grid.data());
    return grid;
}

inline Grid RefPaintAsGrid(const ref::Ball& ball, int phase, unsigned char fill = 0) {
    std::array<ref::Cell, ref::Cells> cells{};
    ref::RefPaint(ball, phase, cells.data());
    Grid grid;
    std::memset(grid.data(), fill, sizeof(grid));
    for (int k = 0; k < ref::Cells; ++k) {
        std::size_t index = static_cast<std::size_t>(k);
        grid[index].Char.AsciiChar = static_cast<CHAR>(cells[index].glyph);
        grid[index].Attributes = cells[index].attr;
    }
    return grid;
}

inline const CHAR_INFO& At(const Grid& grid, int i, int j) {
    return grid[static_cast<std::size_t>(j * ScreenColumns + i)];
}

inline unsigned char GlyphAt(const Grid& grid, int i, int j) {
    return static_cast<unsigned char>(At(grid, i, j).Char.AsciiChar);
}

inline WORD AttrAt(const Grid& grid, int i, int j) {
    return At(grid, i, j).Attributes;
}

inline bool IsAllowedPair(unsigned char glyph, WORD attr) {
    if (glyph == GlyphFull) {
        return attr == AttrGray || attr == AttrWhite || attr == AttrRed || attr == AttrDarkRed;
    }
    bool lineOrShade = glyph == GlyphShade || glyph == GlyphCross || glyph == GlyphHorizontal ||
                       glyph == GlyphVertical;
    return lineOrShade && attr == AttrGrid;
}

inline ::testing::AssertionResult SameScene(const Scene& scene, const ref::Ball& ball) {
    struct Field {
        const char* name;
        std::uint32_t got;
        std::uint32_t want;
    };
    const Field fields[] = {
        {"x", Bits(scene.x), Bits(ball.x)},
        {"y", Bits(scene.y), Bits(ball.y)},
        {"radius", Bits(scene.radius), Bits(ball.radius)},
        {"vx", Bits(scene.vx), Bits(ball.vx)},
        {"vy", Bits(scene.vy), Bits(ball.vy)},
        {"movingRight", static_cast<std::uint32_t>(scene.movingRight),
         static_cast<std::uint32_t>(ball.movingRight)},
        {"prevMs", scene.prevMs, ball.prevMs},
        {"litRadiusSq", Bits(scene.litRadiusSq), Bits(ball.litRadiusSq)},
    };
    for (const Field& field : fields) {
        if (field.got != field.want) {
            return ::testing::AssertionFailure()
                   << field.name << " differs: bits 0x" << std::hex << field.got << " (got), 0x"
                   << field.want << " (model); x=" << scene.x << " y=" << scene.y
                   << " vy=" << scene.vy << " model x=" << ball.x << " y=" << ball.y
                   << " vy=" << ball.vy;
        }
    }
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult SameGrid(const Grid& got, const Grid& want) {
    if (std::memcmp(got.data(), want.data(), sizeof(Grid)) == 0) {
        return ::testing::AssertionSuccess();
    }
    for (int j = 0; j < ScreenRows; ++j) {
        for (int i = 0; i < ScreenColumns; ++i) {
            const CHAR_INFO& a = At(got, i, j);
            const CHAR_INFO& b = At(want, i, j);
            if (std::memcmp(&a, &b, sizeof(CHAR_INFO)) != 0) {
                return ::testing::AssertionFailure()
                       << "first difference at cell (" << i << ", " << j << "): glyph "
                       << +static_cast<unsigned char>(a.Char.AsciiChar) << " attr 0x" << std::hex
                       << a.Attributes << " (got), glyph " << std::dec
                       << +static_cast<unsigned char>(b.Char.AsciiChar) << " attr 0x" << std::hex
                       << b.Attributes << " (model)";
            }
        }
    }
    return ::testing::AssertionFailure() << "grids differ";
}

inline std::string Describe(const Scene& scene, int phase) {
    return "x=" + std::to_string(scene.x) + " (bits " + std::to_string(Bits(scene.x)) +
           ") y=" + std::to_string(scene.y) + " (bits " + std::to_string(Bits(scene.y)) +
           ") radius=" + std::to_string(scene.radius) + " phase=" + std::to_string(phase);
}

} // namespace animtest
