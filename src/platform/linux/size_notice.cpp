#include "platform/linux/size_notice.h"

#include <algorithm>
#include <cstdio>

SizeNotice MakeSizeNotice(TerminalSize needed, TerminalSize now) {
    SizeNotice notice;
    const int length =
        std::snprintf(notice.text, sizeof notice.text,
                      "Zorvendale needs a terminal of at least %d by %d (now %d by %d)",
                      needed.columns, needed.rows, now.columns, now.rows);
    notice.length = std::clamp(length, 0, static_cast<int>(sizeof notice.text) - 1);
    return notice;
}
