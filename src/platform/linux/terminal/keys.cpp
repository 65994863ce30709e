#include "platform/linux/terminal/keys.h"

namespace {

bool EndsSequence(unsigned char byte) {
    return byte >= 0x40 && byte <= 0x7E;
}

} // namespace

bool AsksToQuit(const char* keys, size_t count) {
    // A terminal sends each key's sequence in one piece, so every batch of bytes starts afresh.
    enum { Plain, Escape, Control, Single } state = Plain;
    for (size_t at = 0; at < count; ++at) {
        const auto byte = static_cast<unsigned char>(keys[at]);
        switch (state) {
        case Plain:
            if (byte == 'q' || byte == 'Q') {
                return true;
            }
            state = byte == 0x1B ? Escape : Plain;
            break;
        case Escape: // ESC [ and ESC O open a key's sequence; ESC and any other byte is Alt+key
            state = byte == '[' ? Control : byte == 'O' ? Single : byte == 0x1B ? Escape : Plain;
            break;
        case Control:
            state = EndsSequence(byte) ? Plain : Control;
            break;
        case Single:
            state = Plain;
            break;
        }
    }
    return false;
}
