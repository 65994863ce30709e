// The line a terminal too small for the picture shows instead, which names the size it needs and
// the size it has. Pure, for the frame encoder.
#pragma once

#include "platform/linux/placement.h"

struct SizeNotice {
    char text[128];
    int length;
};

// Writes the notice into a buffer of its own, so that a frame allocates nothing.
SizeNotice MakeSizeNotice(TerminalSize needed, TerminalSize now);
