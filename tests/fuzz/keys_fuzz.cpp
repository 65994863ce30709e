// The quit key: whatever was typed, the reader keeps within the bytes, and it quits exactly when a
// q or Q of its own is among whole keys; a q or Q inside a key's sequence doesn't.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/typed_keys.h"
#include "platform/linux/terminal/keys.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<char> raw(data, data + size); // exactly as long: ASan sees a read past it
    AsksToQuit(raw.data(), raw.size());
    FuzzedDataProvider input(data, size);
    TypedKeys typed = {};
    while (input.remaining_bytes() > 0) {
        TypeKey(input, typed);
    }
    const std::vector<char> keys(typed.bytes.begin(), typed.bytes.end());
    if (AsksToQuit(keys.data(), keys.size()) != typed.quits) {
        std::abort();
    }
    return 0;
}
