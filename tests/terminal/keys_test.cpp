// Which typed bytes ask the terminal program to quit.
#include "platform/linux/terminal/keys.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Quits(const std::string& keys) {
    return AsksToQuit(keys.data(), keys.size());
}

TEST(QuitKey, AQOfItsOwnQuitsAnywhereInWhatWasTyped) {
    EXPECT_TRUE(Quits("q"));
    EXPECT_TRUE(Quits("Q"));
    EXPECT_TRUE(Quits("abcq"));
    EXPECT_TRUE(Quits("\x1b[Aq"));   // after a cursor key
    EXPECT_TRUE(Quits("\x1bOPq"));   // after F1
    EXPECT_TRUE(Quits("\x1bPq"));    // after Alt+Shift+P, which opens no string among keys
    EXPECT_TRUE(Quits("\xc3\x9bq")); // after a letter whose UTF-8 ends as an 8-bit CSI would
    for (const char* key : {"\x1b[3~", "\x1b[5~", "\x1b[6~", "\x1b[1;5H"}) {
        EXPECT_TRUE(Quits(std::string(key) + "q")) << "q after " << key + 1; // Delete, Page Up, ...
    }
    EXPECT_FALSE(Quits(""));
    EXPECT_FALSE(Quits("x \r\n\x7f"));
}

TEST(QuitKey, AQInsideAKeysSequenceDoesNot) {
    EXPECT_FALSE(Quits("\x1bOQ"));        // F2
    EXPECT_FALSE(Quits("\x1b[1;5Q"));     // Ctrl+F2
    EXPECT_FALSE(Quits("\x1b[200~"));     // start of a paste
    EXPECT_FALSE(Quits("\x1bq"));         // Alt+q
    EXPECT_FALSE(Quits("\x1b\x1b[1;2Q")); // Alt+Shift+F2
}

} // namespace
