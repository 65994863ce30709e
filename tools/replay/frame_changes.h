// What a new frame changes in the picture a viewer already shows, so that an animation can store
// only that. Pictures are palette indices, PictureWidth by PictureHeight, row-major; an empty
// picture stands for nothing shown yet.
#pragma once

#include <cstdint>
#include <vector>

using Picture = std::vector<uint8_t>;

struct Rect {
    int left;
    int top;
    int width;
    int height;
};

constexpr int NoColour = -1;

// Bounds of the pixels of next that differ from shown: the whole picture when nothing is shown,
// a single pixel when nothing differs, as a stored frame can't be empty.
Rect ChangedRect(const Picture& shown, const Picture& next);

// A palette index that no changed pixel in r takes, free to stand for "as shown" in the pixels
// that stay; NoColour when nothing is shown yet or the changes take every colour.
int UnusedColour(const Picture& shown, const Picture& next, Rect r);

// Row y of next within r, with the pixels that stay as shown set to keep (unless NoColour): long
// runs of one index pack far smaller than the picture they let through.
std::vector<uint8_t> StoredRow(const Picture& shown, const Picture& next, Rect r, int y, int keep);
