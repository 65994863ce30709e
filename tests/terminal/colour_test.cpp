// Console colours as terminal colours: the reordered bits of the 16 colours, the classic palette
// in direct colour, and which of the two a terminal is sent.
#include "platform/linux/encoding/colour.h"
#include "platform/linux/terminal/colour_question.h"
#include "platform/linux/terminal/colour_reply.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Parameters(int index, bool background, bool direct) {
    std::string out;
    AppendColour(out, index, background, direct);
    return out;
}

TEST(Colour, ConsoleBlueAndRedSwapPlacesOnTheTerminal) {
    EXPECT_EQ(AnsiColour(0), 0); // black
    EXPECT_EQ(AnsiColour(1), 4); // blue
    EXPECT_EQ(AnsiColour(2), 2); // green
    EXPECT_EQ(AnsiColour(3), 6); // cyan
    EXPECT_EQ(AnsiColour(4), 1); // red
    EXPECT_EQ(AnsiColour(5), 5); // magenta
    EXPECT_EQ(AnsiColour(6), 3); // yellow
    EXPECT_EQ(AnsiColour(7), 7); // light gray
    EXPECT_EQ(AnsiColour(8), 8); // dark gray
    EXPECT_EQ(AnsiColour(9), 12);
    EXPECT_EQ(AnsiColour(12), 9);
    EXPECT_EQ(AnsiColour(15), 15);
}

TEST(Colour, IndexedParametersPickNormalOrBrightCodes) {
    EXPECT_EQ(Parameters(5, false, false), "35");
    EXPECT_EQ(Parameters(7, true, false), "47");
    EXPECT_EQ(Parameters(12, false, false), "91");
    EXPECT_EQ(Parameters(15, true, false), "107");
    EXPECT_EQ(Parameters(0, true, false), "40");
}

TEST(Colour, DirectParametersSpellOutThePalette) {
    EXPECT_EQ(Parameters(5, false, true), "38;2;128;0;128");
    EXPECT_EQ(Parameters(7, true, true), "48;2;192;192;192");
    EXPECT_EQ(Parameters(0, false, true), "38;2;0;0;0");
}

TEST(Colour, MixesAverageEachChannelRoundedDown) {
    EXPECT_EQ(ColourRgb(MixColours(5, 7)), 0xA060A0u);  // magenta and light gray
    EXPECT_EQ(ColourRgb(MixColours(8, 15)), 0xBFBFBFu); // dark gray and white: 0x17F / 2
    EXPECT_EQ(ColourRgb(MixColours(12, 1)), 0x7F0040u); // red and dark blue
    EXPECT_EQ(MixColours(9, 9), 9);
    EXPECT_EQ(Parameters(MixColours(8, 15), true, true), "48;2;191;191;191");
    // The 16 colours have no mix to show: its first colour stands in.
    EXPECT_EQ(Parameters(MixColours(5, 7), false, false), "35");
}

TEST(Colour, LengthIsWhatIsAppended) {
    for (const bool direct : {false, true}) {
        for (const bool background : {false, true}) {
            for (int first = 0; first < 16; ++first) {
                for (int second = 0; second < 16; ++second) {
                    const int colour = MixColours(first, second);
                    EXPECT_EQ(ColourLength(colour, background, direct),
                              Parameters(colour, background, direct).size())
                        << Parameters(colour, background, direct);
                }
            }
        }
    }
}

// The question's answers as the terminals give them, and its settings.
#define DCS "\x1bP"
#define ST "\x1b\\"
#define ECHO DCS "1$r0;38:2::1:2:3m" ST
#define ATTRIBUTES "\x1b[?64;1;2;6;22c"

constexpr ColourForm Ask = ColourForm::Unsettled;
constexpr ColourForm Sixteen = ColourForm::Sixteen;
constexpr ColourForm Direct = ColourForm::Direct;
constexpr ColourSettings Plain = {Ask, nullptr, false, true, false};

struct Question {
    const char* name;
    ColourSettings settings;
    const char* reads; // what the terminal sends when asked; '|' ends one read
    bool direct;
    const char* keys; // what goes on as typed, once no answer is owed any more
    bool answered;    // the device attributes came: no answer is still to come
};

const Question Questions[] = {
    {"COLORTERM says so", {Ask, "truecolor", false, true, false}, "", true, "", false},
    {"COLORTERM 24bit", {Ask, "24bit", false, false, false}, "", true, "", false},
    {"in a tmux pane", {Ask, "", true, true, false}, "", true, "", false},
    {"zutty or mlterm", {Ask, nullptr, false, true, true}, "", true, "", false},
    {"zutty, input not a terminal", {Ask, nullptr, false, false, true}, "", true, "", false},
    {"16 chosen", {Sixteen, "truecolor", true, true, true}, "", false, "", false},
    {"direct chosen", {Direct, nullptr, false, false, false}, "", true, "", false},
    {"input not a terminal", {Ask, "rxvt-xpm", false, false, false}, ECHO, false, "", false},
    {"echo, ':'", Plain, ECHO ATTRIBUTES, true, "", true},
    {"echo, ';'", Plain, DCS "1$r0;38;2;1;2;3m" ST "\x1b[?1;2c", true, "", true},
    {"echo with a colour space", Plain, DCS "1$r38:2:0:1:2:3m" ST, true, "", false},
    {"error answer", Plain, DCS "0$r" ST "\x1b[?65;1;9c", false, "", true},
    {"another colour", Plain, DCS "1$r0;38:2::1:2:4m" ST ATTRIBUTES, false, "", true},
    {"another colour, ';'", Plain, DCS "1$r0;38;2;1;2;4m" ST ATTRIBUTES, false, "", true},
    {"in other fields", Plain, DCS "1$r48;2;38;2;1;2;3m" ST ATTRIBUTES, false, "", true},
    {"the attributes alone", Plain, ATTRIBUTES, false, "", true},
    {"no answer", Plain, "", false, "", false},
    {"another report", Plain, "\x1b[?2026;2$y", false, "\x1b[?2026;2$y", false},
    {"garbage", Plain, DCS "1$r\x01\xff;38:2:1m\x1bP$" ST ATTRIBUTES, false,
     "\x1bP1$r\x01\xff;38:2:1m\x1bP$\x1b\\", true},
    {"ESC P 0$r, then q, answered", Plain, "\x1bP0$rq" ECHO ATTRIBUTES, true, "\x1bP0$rq", true},
    {"split across reads", Plain, DCS "|1$r0;38:2:|:1:2:3m\x1b|\\\x1b[?6|4;1c", true, "", true},
    {"keys between", Plain, "a\x1b[A|" ECHO "|q|\x1bq" ATTRIBUTES "x", true, "a\x1b[Aq\x1bqx",
     true},
    {"the escape key", Plain, "\x1b" ECHO "|\x1b|" ATTRIBUTES, true, "\x1b\x1b", true},
    {"a key split", Plain, "\x1bO|Q|\x1b[1;5|Q" ATTRIBUTES, false, "\x1bOQ\x1b[1;5Q", true},
    {"ESC P, then q", Plain, "\x1bPq|" ATTRIBUTES, false, "\x1bPq", true},
    {"ESC P, q in the next read", Plain, "\x1bP|q", false, "\x1bPq", false},
    {"ESC P and q, answered", Plain, "\x1bPq" ECHO ATTRIBUTES, true, "\x1bPq", true},
    {"8-bit answers", Plain,
     "\x90"
     "1$r0;38:2::1:2:3m\x9c\x9b?64;1c",
     true, "", true},
    {"8-bit echo, 7-bit end", Plain,
     "\x90"
     "1$r0;38:2::1:2:3m" ST "\x9b?1|;2c",
     true, "", true},
    {"a lone Esc at the end", Plain, ATTRIBUTES "|\x1b", false, "\x1b", true},
    {"half an answer at the end", Plain, "x\x1b[?6", false, "x\x1b[?6", false},
};

TEST(ColourQuestion, SettledOrAsAnsweredWithTheKeysTypedKept) {
    for (const Question& question : Questions) {
        SCOPED_TRACE(question.name);
        const ColourForm form = SettledColourForm(question.settings);
        ReplyReader reader = {};
        std::string keys;
        for (const char* read = question.reads; *read != '\0';) {
            const size_t length = std::strcspn(read, "|");
            char typed[64];
            keys.append(typed, SiftReplies(reader, read, length, typed, sizeof typed));
            read += length + (read[length] == '|');
        }
        char rest[64];
        keys.append(rest, HandBackOpenSequence(reader, rest, sizeof rest));
        const bool direct = form == Ask ? reader.directEchoed : form == Direct;
        EXPECT_EQ(direct, question.direct);
        EXPECT_EQ(keys, question.keys);
        EXPECT_EQ(reader.attributesSeen, question.answered);
    }
}

} // namespace
