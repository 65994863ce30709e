// The terminal's answers to the colour question, picked out of its input, where they come mixed
// with the keys typed meanwhile and split across reads in any way. Pure.
#pragma once

#ifndef LINUX_TERMINAL_LIBRARY
#error "only a library that links linux_terminal may include its headers"
#endif

#include <cstddef>

#include "platform/linux/terminal/escape_scanner.h"

// Sets a direct colour, asks for the rendition it made (DECRQSS), asks for the primary device
// attributes, then resets the rendition. Every terminal answers the device attributes, and answers
// in order, so their reply says that no answer to the rendition is still to come.
constexpr char ColourQuestion[] = "\x1b[38;2;1;2;3m\x1bP$qm\x1b\\\x1b[c\x1b[m";

// A reader starts zeroed ({}) and is kept across reads.
struct ReplyReader {
    EscapeScanner scanner;
    EscapeScanner::State kind; // the open sequence's: Escape until its second byte tells
    char sequence[64];         // the open sequence's bytes as they came, introducer first
    size_t length;
    size_t introducer;   // how many of them are its introducer: 1 for an 8-bit one, 2 for ESC's
    size_t textLength;   // how many have come after the introducer, kept or not
    bool ours;           // the open string began as an answer to the question (1$r or 0$r)
    bool terminatorOwed; // an answer string was cut short by ESC: an ESC \ next is its end
    bool directEchoed;   // the rendition came back holding the direct colour that was set
    bool attributesSeen; // the device attributes came: every answer is in
};

// Reads bytes from the terminal: notes the replies in reader and copies everything else, which
// was typed, to keys in the order it came (at most room bytes; the rest is dropped). Returns how
// many keys it copied. The bytes of a sequence are held while they may still be an answer and
// copied as soon as they can't, so that ESC P then q (Alt+Shift+P, q) gives both keys.
size_t SiftReplies(ReplyReader& reader, const char* bytes, size_t count, char* keys, size_t room);

// Copies the sequence still open, unless it is part of an answer, to keys, and starts afresh:
// called when no answer is owed any more, so that an Esc or a key's sequence cut short by the end
// of a read is typed all the same. Returns how many keys it copied.
size_t HandBackOpenSequence(ReplyReader& reader, char* keys, size_t room);
