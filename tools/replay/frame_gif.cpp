#include "frame_gif.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "frame_changes.h"
#include "picture/cell_picture.h"

struct GifMovie {
    GifFileType* file;
    Picture shown;       // what a viewer shows after the frames written so far
    Picture held;        // the latest frame, held back while the next frames repeat it
    uint64_t heldFromMs; // on the movie's time line, from the start of the first frame
    uint64_t endMs;
    bool ok;
};

namespace {

// The longest delay one GIF frame can carry.
constexpr uint64_t MaxDelayCs = 0xFFFF;

uint64_t ToCentiseconds(uint64_t ms) {
    return (ms + 5) / 10;
}

bool PutControl(GifFileType* file, uint64_t delayCs, int keep) {
    GraphicsControlBlock control;
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = static_cast<int>(delayCs);
    control.TransparentColor = keep == NoColour ? NO_TRANSPARENT_COLOR : keep;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    return EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
}

bool PutImage(GifMovie* movie, uint64_t delayCs) {
    const Rect r = ChangedRect(movie->shown, movie->held);
    const int keep = UnusedColour(movie->shown, movie->held, r);
    bool ok =
        PutControl(movie->file, delayCs, keep) &&
        EGifPutImageDesc(movie->file, r.left, r.top, r.width, r.height, false, nullptr) == GIF_OK;
    for (int y = r.top; ok && y < r.top + r.height; ++y) {
        std::vector<uint8_t> row = StoredRow(movie->shown, movie->held, r, y, keep);
        ok = EGifPutLine(movie->file, row.data(), r.width) == GIF_OK;
    }
    movie->shown = movie->held;
    return ok;
}

void WriteHeld(GifMovie* movie) {
    if (movie->held.empty()) {
        return;
    }
    uint64_t delayCs = ToCentiseconds(movie->endMs) - ToCentiseconds(movie->heldFromMs);
    // Longer than one frame can carry: the same picture again, for the rest of the time.
    while (movie->ok && delayCs > 0) {
        const uint64_t part = std::min(delayCs, MaxDelayCs);
        movie->ok = PutImage(movie, part);
        delayCs -= part;
    }
}

bool PutLoopForever(GifFileType* file) {
    static const char application[] = "NETSCAPE2.0";
    static const GifByteType loopCount[] = {1, 0, 0}; // sub-block 1: repeat count 0, for ever
    return EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(file, sizeof application - 1, application) == GIF_OK &&
           EGifPutExtensionBlock(file, sizeof loopCount, loopCount) == GIF_OK &&
           EGifPutExtensionTrailer(file) == GIF_OK;
}

bool PutScreen(GifFileType* file) {
    GifColorType colours[PaletteSize];
    for (int k = 0; k < PaletteSize; ++k) {
        colours[k] = {ConsolePalette[k].r, ConsolePalette[k].g, ConsolePalette[k].b};
    }
    ColorMapObject* map = GifMakeMapObject(PaletteSize, colours);
    if (map == nullptr) {
        return false;
    }
    EGifSetGifVersion(file, true);
    const bool ok = EGifPutScreenDesc(file, PictureWidth, PictureHeight, 8, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    return ok && PutLoopForever(file);
}

} // namespace

GifMovie* OpenGifMovie(const std::string& path) {
    // Readable by all, as other files are made, subject to the umask.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    int error = 0;
    GifFileType* file = EGifOpenFileHandle(fd, &error);
    if (file == nullptr) {
        close(fd);
        return nullptr;
    }
    GifMovie* movie = new GifMovie{file, {}, {}, 0, 0, true};
    movie->ok = PutScreen(file);
    return movie;
}

bool AddGifFrame(GifMovie* movie, const CHAR_INFO* grid, uint32_t delayMs) {
    std::vector<uint8_t> pixels = RenderFrame(grid);
    if (pixels != movie->held) {
        WriteHeld(movie);
        movie->held = std::move(pixels);
        movie->heldFromMs = movie->endMs;
    }
    movie->endMs += delayMs;
    return movie->ok;
}

bool CloseGifMovie(GifMovie* movie) {
    WriteHeld(movie);
    // Every frame was too short to keep; the file still needs a picture.
    if (movie->ok && movie->shown.empty() && !movie->held.empty()) {
        movie->ok = PutImage(movie, 0);
    }
    int error = 0;
    const bool closed = EGifCloseFile(movie->file, &error) == GIF_OK;
    const bool ok = movie->ok && closed;
    delete movie;
    return ok;
}
