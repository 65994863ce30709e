// Where the escape sequences lie in what a terminal sends: the keys' (ESC [ ... final, ESC O and a
// key, ESC and a key for Alt) and the terminal's answers (also DCS ... ST, and their 8-bit
// introducers), found byte by byte across reads. Shared by the quit key and the reply reader, so
// that both cut the bytes alike. Pure.
#pragma once

#ifndef LINUX_TERMINAL_LIBRARY
#error "only a library that links linux_terminal may include its headers"
#endif

// What one byte is to the sequences around it.
enum class ByteRole {
    Plain,  // outside every sequence: a key of its own
    Opens,  // begins a sequence, cutting short any that was open
    Inside, // goes on the open sequence
    Closes, // ends the open sequence
};

struct EscapeScanner {
    enum State { Ground, Escape, Control, Single, String };
    State state;
    // Looks for answers too: ESC P opens a device control string, ended by ESC \ (or cut by any
    // other ESC), and the 8-bit CSI (0x9B), DCS (0x90) and ST (0x9C) count as their 7-bit forms.
    // Keys alone are read without: ESC P is Alt+Shift+P, and those bytes are part of UTF-8 text.
    bool answers;
};

ByteRole ScanByte(EscapeScanner& scanner, unsigned char byte);
