#include "frame_gif.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "frame_picture.h"

struct GifMovie {
    GifFileType* file;
    std::vector<uint8_t> shown; // what a viewer shows after the frames written so far
    std::vector<uint8_t> held;  // the latest frame, held back while the next frames repeat it
    uint64_t heldFromMs;        // on the movie's time line, from the start of the first frame
    uint64_t endMs;
    bool ok;
};

namespace {

// The longest delay one GIF frame can carry.
constexpr uint64_t MaxDelayCs = 0xFFFF;

struct Rect {
    int left;
    int top;
    int width;
    int height;
};

uint64_t ToCentiseconds(uint64_t ms) {
    return (ms + 5) / 10;
}

std::size_t At(int x, int y) {
    return static_cast<std::size_t>(y) * PictureWidth + static_cast<std::size_t>(x);
}

// Bounds of the pixels that differ from what is shown; a single pixel when nothing differs, as a
// GIF frame can't be empty.
Rect ChangedRect(const std::vector<uint8_t>& shown, const std::vector<uint8_t>& next) {
    if (shown.empty()) {
        return {0, 0, PictureWidth, PictureHeight};
    }
    int left = PictureWidth, top = PictureHeight, right = -1, bottom = -1;
    for (int y = 0; y < PictureHeight; ++y) {
        for (int x = 0; x < PictureWidth; ++x) {
            if (shown[At(x, y)] != next[At(x, y)]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return {0, 0, 1, 1};
    }
    return {left, top, right - left + 1, bottom - top + 1};
}

bool PutDelay(GifFileType* file, uint64_t delayCs) {
    GraphicsControlBlock control;
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = static_cast<int>(delayCs);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    return EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
}

bool PutImage(GifMovie* movie, uint64_t delayCs) {
    const Rect r = ChangedRect(movie->shown, movie->held);
    bool ok =
        PutDelay(movie->file, delayCs) &&
        EGifPutImageDesc(movie->file, r.left, r.top, r.width, r.height, false, nullptr) == GIF_OK;
    for (int y = r.top; ok && y < r.top + r.height; ++y) {
        ok = EGifPutLine(movie->file, &movie->held[At(r.left, y)], r.width) == GIF_OK;
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
    int error = 0;
    GifFileType* file = EGifOpenFileName(path.c_str(), false, &error);
    if (file == nullptr) {
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
