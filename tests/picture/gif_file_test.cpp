#include <cstdio>

#include "decode_gif.h"
#include "frame_gif.h"

namespace {

struct TimedFrame {
    Grid grid;
    uint32_t delayMs;
};

DecodedGif WriteAndRead(const std::vector<TimedFrame>& frames, const std::string& name) {
    const std::string path = TempPath(name);
    GifMovie* movie = OpenGifMovie(path);
    EXPECT_NE(movie, nullptr);
    if (movie == nullptr) {
        return {};
    }
    for (const TimedFrame& frame : frames) {
        EXPECT_TRUE(AddGifFrame(movie, frame.grid.data(), frame.delayMs));
    }
    EXPECT_TRUE(CloseGifMovie(movie));
    DecodedGif decoded = ReadGif(path);
    std::remove(path.c_str());
    EXPECT_TRUE(decoded.ok);
    return decoded;
}

TEST(PictureGif, EachFrameDecodesToItsPictureInTheConsoleColours) {
    const std::vector<TimedFrame> frames = {
        {RedCellAt(3), 20}, {RedCellAt(4), 20}, {RedCellAt(40), 20}};
    const DecodedGif gif = WriteAndRead(frames, "pictures.gif");
    EXPECT_EQ(gif.width, 480);
    EXPECT_EQ(gif.height, 640);
    ASSERT_EQ(gif.palette.size(), std::size_t{PaletteSize});
    for (int k = 0; k < PaletteSize; ++k) {
        EXPECT_EQ(gif.palette[static_cast<std::size_t>(k)], ConsolePalette[k]) << k;
    }
    EXPECT_TRUE(gif.loopsForever);
    ASSERT_EQ(gif.shown.size(), frames.size());
    for (std::size_t k = 0; k < frames.size(); ++k) {
        EXPECT_TRUE(gif.shown[k] == RenderFrame(frames[k].grid.data())) << "frame " << k;
    }
    // After the first, frames store only what changed: here two neighbouring cells.
    EXPECT_EQ(gif.storedWidths[0], 480);
    EXPECT_EQ(gif.storedWidths[1], 2 * CellWidthPx);
}

TEST(PictureGif, ChangesInEveryColourStillDecodeExactly) {
    Grid before = PlainGrid();
    SetCell(before, 30, 30, GlyphFull, 0x00);
    Grid after = PlainGrid();
    for (int k = 0; k < PaletteSize; ++k) {
        SetCell(after, k + 1, 5, GlyphFull, static_cast<WORD>(k));
    }
    const DecodedGif gif = WriteAndRead({{before, 20}, {after, 20}}, "all-colours.gif");
    ASSERT_EQ(gif.shown.size(), 2u);
    EXPECT_TRUE(gif.shown[1] == RenderFrame(after.data()));
}

TEST(PictureGif, RoundingToCentisecondsIsCarriedSoTheTotalTimeIsKept) {
    const DecodedGif gif = WriteAndRead(
        {{RedCellAt(1), 15}, {RedCellAt(2), 15}, {RedCellAt(3), 15}, {RedCellAt(4), 15}},
        "carry.gif");
    EXPECT_EQ(gif.delaysCs, (std::vector<int>{2, 1, 2, 1}));
}

TEST(PictureGif, RepeatedFramesAreStoredOnceForTheirJoinedTime) {
    const DecodedGif gif =
        WriteAndRead({{RedCellAt(1), 20}, {RedCellAt(1), 30}, {RedCellAt(2), 20}}, "repeat.gif");
    EXPECT_EQ(gif.delaysCs, (std::vector<int>{5, 2}));
}

TEST(PictureGif, FrameTooShortForACentisecondIsLeftOut) {
    const std::vector<TimedFrame> frames = {
        {RedCellAt(1), 20}, {RedCellAt(2), 3}, {RedCellAt(3), 20}};
    const DecodedGif gif = WriteAndRead(frames, "short.gif");
    EXPECT_EQ(gif.delaysCs, (std::vector<int>{2, 2}));
    ASSERT_EQ(gif.shown.size(), 2u);
    EXPECT_TRUE(gif.shown[1] == RenderFrame(frames[2].grid.data()));
}

TEST(PictureGif, FrameLongerThanAGifDelayIsRepeatedForTheRest) {
    const DecodedGif gif = WriteAndRead({{RedCellAt(1), 700000}}, "long.gif");
    EXPECT_EQ(gif.delaysCs, (std::vector<int>{65535, 4465}));
    ASSERT_EQ(gif.shown.size(), 2u);
    EXPECT_TRUE(gif.shown[1] == RenderFrame(RedCellAt(1).data()));
}

TEST(PictureGif, ReportsAFileThatCannotBeCreated) {
    EXPECT_EQ(OpenGifMovie(TempPath("no-such-dir/movie.gif")), nullptr);
}

} // namespace
