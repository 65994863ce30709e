#include "platform/linux/terminal/keys.h"

#include "platform/linux/terminal/escape_scanner.h"

bool AsksToQuit(const char* keys, size_t count) {
    // A terminal sends each key's sequence in one piece, so every batch of bytes starts afresh.
    EscapeScanner scanner = {EscapeScanner::Ground, false};
    for (size_t at = 0; at < count; ++at) {
        const auto byte = static_cast<unsigned char>(keys[at]);
        if (ScanByte(scanner, byte) == ByteRole::Plain && (byte == 'q' || byte == 'Q')) {
            return true;
        }
    }
    return false;
}
