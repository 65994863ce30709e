#include <png.h>

#include <cstdio>
#include <cstring>

#include "frame_png.h"
#include "picture_frames.h"

namespace {

struct DecodedPng {
    bool ok;
    png_uint_32 width;
    png_uint_32 height;
    std::vector<png_byte> rgb;

    Rgb At(int x, int y) const {
        const std::size_t k =
            3 * (static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x));
        return {rgb[k], rgb[k + 1], rgb[k + 2]};
    }
};

DecodedPng ReadPng(const std::string& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    DecodedPng decoded{false, 0, 0, {}};
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return decoded;
    }
    image.format = PNG_FORMAT_RGB;
    decoded.width = image.width;
    decoded.height = image.height;
    decoded.rgb.resize(PNG_IMAGE_SIZE(image));
    decoded.ok = png_image_finish_read(&image, nullptr, decoded.rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return decoded;
}

TEST(PicturePng, DecodesToTheFramePictureInTheConsoleColours) {
    Grid grid = PlainGrid();
    SetCell(grid, 5, 4, GlyphHorizontal, AttrGrid);
    SetCell(grid, 20, 10, GlyphShade, AttrGrid);
    SetCell(grid, 30, 20, GlyphFull, AttrRed);
    const std::string path = TempPath("frame.png");
    ASSERT_TRUE(WriteFramePng(grid.data(), path));

    const DecodedPng png = ReadPng(path);
    std::remove(path.c_str());
    ASSERT_TRUE(png.ok);
    ASSERT_EQ(png.width, 480u);
    ASSERT_EQ(png.height, 640u);
    EXPECT_EQ(png.At(0, 0), Gray);
    EXPECT_EQ(png.At(5 * 8 + 1, 4 * 16 + 8), Magenta);
    EXPECT_EQ(png.At(5 * 8 + 1, 4 * 16 + 7), Gray);
    EXPECT_EQ(png.At(20 * 8, 10 * 16), Magenta);
    EXPECT_EQ(png.At(20 * 8 + 1, 10 * 16), Gray);
    EXPECT_EQ(png.At(30 * 8 + 7, 20 * 16 + 15), (Rgb{0xFF, 0x00, 0x00}));
    EXPECT_EQ(png.At(479, 639), Gray);
}

TEST(PicturePng, ReportsAFileThatCannotBeWritten) {
    const Grid grid = PlainGrid();
    EXPECT_FALSE(WriteFramePng(grid.data(), TempPath("no-such-dir/frame.png")));
}

} // namespace
