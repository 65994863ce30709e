// Writes a sequence of frames as one animated GIF that loops for ever, each frame shown for the
// time given with it.
//
// GIF counts time in centiseconds. Frame times are placed on the millisecond time line of the
// whole movie and rounded there, so rounding never accumulates: a run of 15 ms frames shows for
// 2, 1, 2, 1... centiseconds. A frame left with no time at all after rounding is dropped, since
// viewers show a zero delay as a long pause. Consecutive identical frames are stored once with
// their times added; each stored frame holds only the rectangle that changed, in which the pixels
// that stay are transparent.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"

struct GifMovie;

// Creates the file at path, replacing any file there. Returns null when it can't be created.
GifMovie* OpenGifMovie(const std::string& path);

// Appends the frame, to be shown for delayMs. Returns false when writing has failed.
bool AddGifFrame(GifMovie* movie, const CHAR_INFO* grid, uint32_t delayMs);

// Writes the frames still held back, closes the file and frees the movie. Returns false when
// anything since opening failed.
bool CloseGifMovie(GifMovie* movie);
