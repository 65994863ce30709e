#include <gif_lib.h>

#include <cstdio>
#include <cstring>

#include "frame_gif.h"
#include "picture_frames.h"

namespace {

struct DecodedGif {
    bool ok = false;
    int width = 0;
    int height = 0;
    bool loopsForever = false;
    std::vector<Rgb> palette;
    std::vector<int> delaysCs;
    std::vector<int> storedWidths;
    std::vector<std::vector<uint8_t>> shown; // the whole picture once each frame is drawn
};

bool IsLoopExtension(const ExtensionBlock& block, const ExtensionBlock* next) {
    return block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
           std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && next != nullptr &&
           next->ByteCount == 3 && next->Bytes[0] == 1 && next->Bytes[1] == 0 &&
           next->Bytes[2] == 0;
}

void DrawOnto(std::vector<uint8_t>& canvas, const SavedImage& image) {
    const GifImageDesc& d = image.ImageDesc;
    for (int y = 0; y < d.Height; ++y) {
        for (int x = 0; x < d.Width; ++x) {
            canvas[static_cast<std::size_t>((d.Top + y) * PictureWidth + d.Left + x)] =
                image.RasterBits[y * d.Width + x];
        }
    }
}

void Collect(GifFileType* gif, DecodedGif& out) {
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    for (int k = 0; gif->SColorMap != nullptr && k < gif->SColorMap->ColorCount; ++k) {
        const GifColorType& c = gif->SColorMap->Colors[k];
        out.palette.push_back({c.Red, c.Green, c.Blue});
    }
    std::vector<uint8_t> canvas(static_cast<std::size_t>(PictureWidth) * PictureHeight, 0);
    for (int k = 0; k < gif->ImageCount; ++k) {
        const SavedImage& image = gif->SavedImages[k];
        for (int e = 0; e < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock* next =
                e + 1 < image.ExtensionBlockCount ? &image.ExtensionBlocks[e + 1] : nullptr;
            out.loopsForever = out.loopsForever || IsLoopExtension(image.ExtensionBlocks[e], next);
        }
        GraphicsControlBlock control;
        DGifSavedExtensionToGCB(gif, k, &control);
        out.delaysCs.push_back(control.DelayTime);
        out.storedWidths.push_back(image.ImageDesc.Width);
        DrawOnto(canvas, image);
        out.shown.push_back(canvas);
    }
}

DecodedGif ReadGif(const std::string& path) {
    DecodedGif decoded;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (gif == nullptr) {
        return decoded;
    }
    decoded.ok = DGifSlurp(gif) == GIF_OK;
    if (decoded.ok) {
        Collect(gif, decoded);
    }
    DGifCloseFile(gif, &error);
    return decoded;
}

// A distinct frame for each column: one red cell on the plain background.
Grid RedCellAt(int i) {
    Grid grid = PlainGrid();
    SetCell(grid, i, 10, GlyphFull, AttrRed);
    return grid;
}

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
