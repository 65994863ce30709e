#include "frame_changes.h"

#include <algorithm>
#include <cstddef>

#include "picture/cell_picture.h"

namespace {

std::size_t At(int x, int y) {
    return static_cast<std::size_t>(y) * PictureWidth + static_cast<std::size_t>(x);
}

} // namespace

Rect ChangedRect(const Picture& shown, const Picture& next) {
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

int UnusedColour(const Picture& shown, const Picture& next, Rect r) {
    if (shown.empty()) {
        return NoColour;
    }
    bool used[PaletteSize] = {};
    for (int y = r.top; y < r.top + r.height; ++y) {
        for (int x = r.left; x < r.left + r.width; ++x) {
            used[next[At(x, y)]] |= next[At(x, y)] != shown[At(x, y)];
        }
    }
    const bool* unused = std::find(used, used + PaletteSize, false);
    return unused == used + PaletteSize ? NoColour : static_cast<int>(unused - used);
}

std::vector<uint8_t> StoredRow(const Picture& shown, const Picture& next, Rect r, int y, int keep) {
    std::vector<uint8_t> row(&next[At(r.left, y)], &next[At(r.left, y)] + r.width);
    for (int x = 0; keep != NoColour && x < r.width; ++x) {
        if (shown[At(r.left + x, y)] == row[static_cast<std::size_t>(x)]) {
            row[static_cast<std::size_t>(x)] = static_cast<uint8_t>(keep);
        }
    }
    return row;
}
