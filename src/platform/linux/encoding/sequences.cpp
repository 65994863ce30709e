#include "platform/linux/encoding/sequences.h"

void AppendTitle(std::string& out, const char* title) {
    out += "\x1b]2;";
    for (const char* at = title; *at != '\0'; ++at) {
        const unsigned char byte = static_cast<unsigned char>(*at);
        out += byte >= 0x20 && byte < 0x7F ? *at : '?';
    }
    out += '\a';
}
