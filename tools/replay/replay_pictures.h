// The replay tool's picture output: a PNG file per frame and one animated GIF of the run, each
// optional. Failures are reported on standard error.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

// The last frame has no next reading to end it: it is shown for as long as the frame before it,
// or for this long when it is the only one.
constexpr uint32_t LoneFrameMs = 100;

struct ReplayPictures;

// pngDir (created when missing) receives frame-000001.png, frame-000002.png, ...; gifPath
// receives the animation. Either may be null for none. Returns null after reporting a failure.
ReplayPictures* OpenReplayPictures(const char* pngDir, const char* gifPath);

// Takes frame number frame (from 1), painted for the reading nowMs.
bool SaveReplayPicture(ReplayPictures* pictures, uint64_t frame, uint32_t nowMs,
                       const CHAR_INFO* grid);

// Finishes the GIF and frees pictures. Returns false after reporting a failure.
bool CloseReplayPictures(ReplayPictures* pictures);
