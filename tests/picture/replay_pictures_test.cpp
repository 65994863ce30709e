#include <cstdio>
#include <filesystem>

#include "decode_gif.h"
#include "replay_pictures.h"

namespace {

namespace fs = std::filesystem;

// Replays frames k = 1, 2, ... at the given readings, each a different picture.
void SaveRun(ReplayPictures* pictures, const std::vector<uint32_t>& readings) {
    for (std::size_t k = 0; k < readings.size(); ++k) {
        const Grid grid = RedCellAt(static_cast<int>(k) + 1);
        EXPECT_TRUE(SaveReplayPicture(pictures, k + 1, readings[k], grid.data()));
    }
}

std::vector<int> GifDelaysOfRun(const std::vector<uint32_t>& readings, const std::string& name) {
    const std::string path = TempPath(name);
    ReplayPictures* pictures = OpenReplayPictures(nullptr, path.c_str());
    EXPECT_NE(pictures, nullptr);
    if (pictures == nullptr) {
        return {};
    }
    SaveRun(pictures, readings);
    EXPECT_TRUE(CloseReplayPictures(pictures));
    const DecodedGif gif = ReadGif(path);
    std::remove(path.c_str());
    return gif.delaysCs;
}

TEST(PictureReplay, GifShowsEachFrameUntilTheNextReadingAndTheLastAsLongAsTheOneBefore) {
    EXPECT_EQ(GifDelaysOfRun({0, 20, 50}, "run.gif"), (std::vector<int>{2, 3, 3}));
    EXPECT_EQ(GifDelaysOfRun({4294967286u, 10}, "wrapped.gif"), (std::vector<int>{2, 2}));
    EXPECT_EQ(GifDelaysOfRun({500}, "lone.gif"), (std::vector<int>{LoneFrameMs / 10}));
}

TEST(PictureReplay, PngFilesAreNumberedByFrameInADirectoryMadeForThem) {
    const fs::path dir = fs::path(TempPath("png-run")) / "frames";
    fs::remove_all(dir.parent_path());
    ReplayPictures* pictures = OpenReplayPictures(dir.c_str(), nullptr);
    ASSERT_NE(pictures, nullptr);
    SaveRun(pictures, {0, 20});
    EXPECT_TRUE(CloseReplayPictures(pictures));
    EXPECT_TRUE(fs::is_regular_file(dir / "frame-000001.png"));
    EXPECT_TRUE(fs::is_regular_file(dir / "frame-000002.png"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    fs::remove_all(dir.parent_path());
}

TEST(PictureReplay, OutputsThatCannotBeMadeAreRefused) {
    const std::string file = TempPath("plain-file");
    std::fclose(std::fopen(file.c_str(), "w"));
    EXPECT_EQ(OpenReplayPictures((file + "/frames").c_str(), nullptr), nullptr);
    EXPECT_EQ(OpenReplayPictures(nullptr, (file + "/run.gif").c_str()), nullptr);
    std::remove(file.c_str());
}

} // namespace
