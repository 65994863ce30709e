// What a terminal too small for the picture shows instead: one line that names the size it needs
// and the size it has, broken between words into as many lines as the terminal's width asks.
// Pure, for the frame encoder.
#pragma once

#ifndef LINUX_ENCODING_LIBRARY
#error "only a library that links linux_encoding may include its headers"
#endif

#include "platform/linux/encoding/placement.h"

struct NoticeLine {
    int start, length; // in SizeNotice::text
};

struct SizeNotice {
    char text[128];
    int length;
    NoticeLine lines[sizeof text];
    int lineCount;
    int widest;
};

// Writes the notice into a buffer of its own, so that a frame allocates nothing, and breaks it to
// the width of the terminal it is for.
SizeNotice MakeSizeNotice(TerminalSize needed, TerminalSize now);
