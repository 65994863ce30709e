#include "web/page_stand_in.h"

#include "platform/web/page.h"

#include <algorithm>

namespace page {

State state;

void Reset() {
    state = State{};
}

} // namespace page

using page::state;

double PageNowMs() {
    return state.nowMs;
}

double PageWait() {
    ++state.waits;
    state.framesBeforeWaits += state.shownSinceWait ? 1 : 0;
    state.shownSinceWait = false;
    if (state.callbacks.empty()) {
        state.nowMs += 20;
    } else {
        state.nowMs = state.callbacks.front();
        state.callbacks.pop_front();
    }
    return state.nowMs;
}

void PageShowFrame(const uint8_t* rgba, int width, int height, const PageRect* changed,
                   uint32_t reading, uint32_t written, const uint8_t* cells, int cellBytes) {
    const auto bytes = static_cast<std::size_t>(width * height * 4);
    if (state.canvas.empty()) {
        state.canvas.assign(bytes, 0);
    }
    // Only the changed rectangle reaches the canvas, as putImageData's dirty rectangle.
    for (int y = changed->y; y < changed->y + changed->height; ++y) {
        const std::size_t from = static_cast<std::size_t>((y * width + changed->x) * 4);
        std::copy_n(rgba + from, changed->width * 4,
                    state.canvas.begin() + static_cast<long>(from));
    }
    state.frames.push_back(
        {reading, written, std::vector<uint8_t>(cells, cells + cellBytes), *changed});
    state.shownSinceWait = true;
}

void PageSetTitle(const char*) {}

void PageLoadSound(const uint8_t*, uint32_t, int, uint32_t) {}

void PagePlaySound(uint32_t reading) {
    state.plays.push_back(reading);
}

void PageNoteWrite(uint32_t reading, double atMs, uint32_t result) {
    state.writes.push_back({reading, atMs, result});
}

void PageEnded(int) {}
