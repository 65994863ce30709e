// What a user can type, as the fuzz targets build it from their input: keys and their sequences,
// each whole, and whether a q or Q of its own is among them.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

struct TypedKeys {
    std::string bytes;
    bool quits;
};

// One key from the provider: a byte of its own (never ESC, nor one of the 8-bit controls that
// answers may begin with, nor a 0 or 1 right after Alt+Shift+P, which would type the start of an
// answer: ESC P 1$r ... can't be told from one), Alt with a key, a cursor or function key (ESC [
// ... final, ESC O key, never CSI ?, which only answers send), Alt+Shift+P, or q or Q.
inline void TypeKey(FuzzedDataProvider& input, TypedKeys& typed) {
    const auto byte = input.ConsumeIntegral<unsigned char>();
    switch (input.ConsumeIntegralInRange(0, 5)) {
    case 0:
        if (byte != 0x1B && byte != 'q' && byte != 'Q' && (byte < 0x80 || byte > 0x9F) &&
            !(typed.bytes.ends_with("\x1bP") && (byte == '0' || byte == '1'))) {
            typed.bytes += static_cast<char>(byte);
        }
        break;
    case 1:
        if (byte != 0x1B && byte != '[' && byte != 'O' && byte != 'P' &&
            (byte < 0x80 || byte > 0x9F)) {
            typed.bytes += {'\x1b', static_cast<char>(byte)};
        }
        break;
    case 2: {
        typed.bytes += "\x1b[";
        std::string parameters = input.ConsumeRandomLengthString(8);
        for (const char parameter : parameters) {
            typed.bytes += static_cast<char>(0x30 + static_cast<unsigned char>(parameter) % 10);
        }
        typed.bytes += static_cast<char>(0x40 + byte % 0x3F);
        break;
    }
    case 3:
        typed.bytes += {'\x1b', 'O', static_cast<char>(0x40 + byte % 0x3F)};
        break;
    case 4:
        typed.bytes += "\x1bP";
        break;
    default:
        typed.bytes += byte % 2 == 0 ? 'q' : 'Q';
        typed.quits = true;
        break;
    }
}
