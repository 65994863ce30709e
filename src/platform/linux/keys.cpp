#include "platform/linux/keys.h"

#include <ctime>

#include "platform/linux/signals.h"
#include "platform/linux/terminal.h"

namespace {

constexpr long NanosecondsPerSecond = 1'000'000'000;
constexpr size_t KeysPerLook = 64;

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

void IdleWatchingKeys(int64_t nanoseconds) {
    const timespec wait = {static_cast<time_t>(nanoseconds / NanosecondsPerSecond),
                           static_cast<long>(nanoseconds % NanosecondsPerSecond)};
    char keys[KeysPerLook];
    const size_t count = TakeKeys(keys, sizeof keys, wait);
    if (AsksToQuit(keys, count)) {
        EndByQuitKey();
    }
}
