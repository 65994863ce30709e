#include "replay_pictures.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "animation/raster.h"
#include "frame_gif.h"
#include "frame_png.h"

struct ReplayPictures {
    std::string pngDir; // empty for none
    std::string gifPath;
    GifMovie* movie;
    // A frame's GIF delay is known only at the next reading, so each frame waits here for it.
    CHAR_INFO held[CellCount];
    uint32_t heldMs;
    uint32_t lastDelayMs;
    bool holding;
    bool gifFailed; // reported once, though every later GIF call fails too
};

namespace {

bool Failed(const std::string& path) {
    std::fprintf(stderr, "zorvendale-replay: cannot write %s\n", path.c_str());
    return false;
}

std::string PngPath(const std::string& dir, uint64_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06llu.png", static_cast<unsigned long long>(frame));
    return (std::filesystem::path(dir) / name).string();
}

bool MakeDir(const std::string& dir) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    return std::filesystem::is_directory(dir, error);
}

bool GifWritten(ReplayPictures* p, bool ok) {
    if (!ok && !p->gifFailed) {
        p->gifFailed = true;
        Failed(p->gifPath);
    }
    return ok;
}

} // namespace

ReplayPictures* OpenReplayPictures(const char* pngDir, const char* gifPath) {
    ReplayPictures* p = new ReplayPictures{};
    p->lastDelayMs = LoneFrameMs;
    if (pngDir != nullptr && !MakeDir(p->pngDir = pngDir)) {
        Failed(p->pngDir);
        delete p;
        return nullptr;
    }
    if (gifPath != nullptr && (p->movie = OpenGifMovie(p->gifPath = gifPath)) == nullptr) {
        Failed(p->gifPath);
        delete p;
        return nullptr;
    }
    return p;
}

bool SaveReplayPicture(ReplayPictures* p, uint64_t frame, uint32_t nowMs, const CHAR_INFO* grid) {
    if (!p->pngDir.empty() && !WriteFramePng(grid, PngPath(p->pngDir, frame))) {
        return Failed(PngPath(p->pngDir, frame));
    }
    if (p->movie == nullptr) {
        return true;
    }
    bool ok = true;
    if (p->holding) {
        p->lastDelayMs = nowMs - p->heldMs; // modulo 2^32, as the scene takes it
        ok = GifWritten(p, AddGifFrame(p->movie, p->held, p->lastDelayMs));
    }
    std::memcpy(p->held, grid, sizeof p->held);
    p->heldMs = nowMs;
    p->holding = true;
    return ok;
}

bool CloseReplayPictures(ReplayPictures* p) {
    bool ok = true;
    if (p->movie != nullptr) {
        const bool added = !p->holding || AddGifFrame(p->movie, p->held, p->lastDelayMs);
        ok = GifWritten(p, CloseGifMovie(p->movie) && added);
    }
    delete p;
    return ok;
}
