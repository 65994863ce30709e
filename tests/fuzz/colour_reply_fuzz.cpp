// The reply reader: whatever the terminal sends, it keeps within the bytes and finds the same
// answers and keys however the bytes are split between reads; and among whole keys typed, the
// answers to the question (in 7-bit or 8-bit form) are found and the keys go on exactly as typed,
// a q or Q of their own still quitting.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/typed_keys.h"
#include "platform/linux/terminal/colour_reply.h"
#include "platform/linux/terminal/keys.h"

namespace {

struct Sifted {
    std::string keys;
    bool direct;
    bool attributes;
    bool operator==(const Sifted&) const = default;
};

// Reads the bytes as the terminal gives them, in reads that end where split says, then as when no
// answer is owed any more.
Sifted Sift(const std::string& bytes, FuzzedDataProvider* split) {
    ReplyReader reader = {};
    std::string keys(bytes.size() + sizeof reader.sequence, '\0');
    size_t kept = 0;
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = split == nullptr
                                  ? bytes.size() - at
                                  : split->ConsumeIntegralInRange<size_t>(1, bytes.size() - at);
        const std::vector<char> read(bytes.data() + at, bytes.data() + at + length);
        kept +=
            SiftReplies(reader, read.data(), read.size(), keys.data() + kept, keys.size() - kept);
        at += length;
    }
    kept += HandBackOpenSequence(reader, keys.data() + kept, keys.size() - kept);
    keys.resize(kept);
    return {keys, reader.directEchoed, reader.attributesSeen};
}

void Require(bool held) {
    if (!held) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool()) { // anything at all, split two ways
        const std::string bytes = input.ConsumeRandomLengthString(512);
        Require(Sift(bytes, nullptr) == Sift(bytes, &input));
        return 0;
    }
    const bool eightBit = input.ConsumeBool();
    const std::string echo = eightBit ? "\x90"
                                        "1$r0;38:2::1:2:3m\x9c"
                                      : "\x1bP1$r0;38:2::1:2:3m\x1b\\";
    const std::string attributes = eightBit ? "\x9b?64;1;22c" : "\x1b[?64;1;22c";
    TypedKeys typed = {};
    std::string bytes;
    for (const std::string* answer : {&echo, &attributes}) {
        const size_t keys = input.ConsumeIntegralInRange<size_t>(0, 8);
        for (size_t k = 0; k < keys; ++k) {
            const size_t before = typed.bytes.size();
            TypeKey(input, typed);
            bytes += typed.bytes.substr(before);
        }
        bytes += *answer;
    }
    while (input.remaining_bytes() > 1) {
        const size_t before = typed.bytes.size();
        TypeKey(input, typed);
        bytes += typed.bytes.substr(before);
    }
    const Sifted sifted = Sift(bytes, &input);
    Require(sifted.direct && sifted.attributes && sifted.keys == typed.bytes);
    Require(AsksToQuit(sifted.keys.data(), sifted.keys.size()) == typed.quits);
    return 0;
}
