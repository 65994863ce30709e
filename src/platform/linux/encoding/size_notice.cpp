#include "platform/linux/encoding/size_notice.h"

#include <algorithm>
#include <cstdio>

namespace {

// The end of a line that starts at start: as many whole words as fit in width, or the first
// width characters of a word longer than that.
int LineEnd(const SizeNotice& notice, int start, int width) {
    const int limit = start + width;
    if (limit >= notice.length || notice.text[limit] == ' ') {
        return std::min(limit, notice.length);
    }
    for (int at = limit - 1; at > start; --at) {
        if (notice.text[at] == ' ') {
            return at;
        }
    }
    return limit;
}

void BreakLines(SizeNotice& notice, int width) {
    notice.lineCount = 0;
    notice.widest = 0;
    int at = 0;
    while (at < notice.length && width > 0) {
        while (notice.text[at] == ' ') {
            ++at;
        }
        const int end = LineEnd(notice, at, width);
        notice.lines[notice.lineCount++] = {at, end - at};
        notice.widest = std::max(notice.widest, end - at);
        at = end;
    }
}

} // namespace

SizeNotice MakeSizeNotice(TerminalSize needed, TerminalSize now) {
    SizeNotice notice;
    const int length =
        std::snprintf(notice.text, sizeof notice.text,
                      "Zorvendale needs a terminal of at least %d by %d (now %d by %d)",
                      needed.columns, needed.rows, now.columns, now.rows);
    notice.length = std::clamp(length, 0, static_cast<int>(sizeof notice.text) - 1);
    BreakLines(notice, now.columns);
    return notice;
}
