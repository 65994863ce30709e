// The terminal's answers to the colour question, picked out of its input, where they come mixed
// with the keys typed meanwhile and split across reads in any way. Pure.
#pragma once

#ifndef LINUX_TERMINAL_LIBRARY
#error "only a library that links linux_terminal may include its headers"
#endif

#include <cstddef>

// Sets a direct colour, asks for the rendition it made (DECRQSS), asks for the primary device
// attributes, then resets the rendition. Every terminal answers the device attributes, and answers
// in order, so their reply says that no answer to the rendition is still to come.
constexpr char ColourQuestion[] = "\x1b[38;2;1;2;3m\x1bP$qm\x1b\\\x1b[c\x1b[m";

struct ReplyReader {
    enum State { Keys, Escape, Control, String, StringEscape };
    State state;
    char sequence[64]; // the escape sequence read so far, after its introducer
    size_t length;
    bool overlong;       // the sequence outgrew its room: no reply of ours is that long
    bool directEchoed;   // the rendition came back holding the direct colour that was set
    bool attributesSeen; // the device attributes came: every answer is in
};

// Reads bytes from the terminal: notes the replies in reader and copies everything else, which
// was typed, to keys (at most room bytes; the rest is dropped). Returns how many keys it copied. A
// sequence that is not a reply is copied whole, once its last byte has come.
size_t SiftReplies(ReplyReader& reader, const char* bytes, size_t count, char* keys, size_t room);
