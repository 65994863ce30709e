#include "platform/linux/terminal/colour_question.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/linux/clock/nanoseconds.h"
#include "platform/linux/signals/signal_flags.h"
#include "platform/linux/terminal/colour_reply.h"
#include "platform/linux/terminal/device.h"
#include "platform/linux/terminal/environment.h"

namespace {

// A terminal answers in well under a millisecond on its own machine, and in a round trip across
// a network; a wait of a tenth of a second is hardly seen at start-up.
constexpr int64_t AnswerNanoseconds = 100 * NanosecondsPerMs;
// Answers later than that are still looked for this long after the question, on a slow
// connection: left out of the keys, and waited for before the terminal is given back.
constexpr int64_t LateAnswerNanoseconds = 500 * NanosecondsPerMs;

ColourForm chosenForm = ColourForm::Unsettled;
ReplyReader reader;
bool asked;
bool answeredDirect; // direct colour is in use, as answered
int64_t askedAt;
char heldKeys[64];
size_t heldCount;

// The terminal's pace, on a clock of its own rather than the program's.
int64_t Now() {
    return ClockNanoseconds(CLOCK_BOOTTIME);
}

bool AnswersOwed() {
    return asked && !reader.attributesSeen && Now() - askedAt < LateAnswerNanoseconds;
}

// Reads the terminal, holding the keys typed, until the device attributes come or the time is
// up; a request to end the program cuts it short when cutShort.
void AwaitAnswers(int64_t until, bool cutShort) {
    while (!reader.attributesSeen && !(cutShort && PendingExitSignal() != 0)) {
        const int64_t left = until - Now();
        if (left <= 0) {
            return;
        }
        if (!AwaitInput(static_cast<int>((left + NanosecondsPerMs - 1) / NanosecondsPerMs))) {
            continue;
        }
        char bytes[64];
        const size_t count = TakeKeys(bytes, sizeof bytes);
        if (count == 0) {
            return; // input was there, yet none could be read: hung up
        }
        heldCount +=
            SiftReplies(reader, bytes, count, heldKeys + heldCount, sizeof heldKeys - heldCount);
    }
}

bool IsOneOf(const char* value, const char* first, const char* second) {
    return value != nullptr && (std::strcmp(value, first) == 0 || std::strcmp(value, second) == 0);
}

} // namespace

ColourForm SettledColourForm(const ColourSettings& settings) {
    if (settings.chosen != ColourForm::Unsettled) {
        return settings.chosen;
    }
    if (IsOneOf(settings.colourTerm, "truecolor", "24bit")) {
        return ColourForm::Direct;
    }
    if (settings.inTmuxPane) {
        return ColourForm::Direct;
    }
    return settings.inputIsTerminal ? ColourForm::Unsettled : ColourForm::Sixteen;
}

void ChooseColourForm(ColourForm form) {
    chosenForm = form;
}

bool AskForDirectColour() {
    reader = {};
    asked = false;
    answeredDirect = false;
    heldCount = 0;
    const ColourForm settled =
        SettledColourForm({chosenForm, ProcessEnvironment("COLORTERM"),
                           InTmuxPane(ProcessEnvironment), InputIsTerminal()});
    if (settled != ColourForm::Unsettled) {
        return settled == ColourForm::Direct;
    }
    if (!WriteTerminal(ColourQuestion, sizeof ColourQuestion - 1)) {
        return false;
    }
    asked = true;
    askedAt = Now();
    AwaitAnswers(askedAt + AnswerNanoseconds, true);
    answeredDirect = reader.directEchoed;
    return answeredDirect;
}

bool LateDirectColour() {
    if (!reader.directEchoed || answeredDirect) {
        return false;
    }
    answeredDirect = true;
    return true;
}

size_t TakeTypedKeys(char* keys, size_t size) {
    const size_t held = heldCount < size ? heldCount : size;
    std::memcpy(keys, heldKeys, held);
    std::memmove(heldKeys, heldKeys + held, heldCount - held);
    heldCount -= held;
    if (held == size) {
        return held;
    }
    if (!AnswersOwed()) {
        // Bytes held back as the start of an answer that never came were typed after all.
        const size_t taken =
            held + (asked ? HandBackOpenSequence(reader, keys + held, size - held) : 0);
        return taken == size ? taken : taken + TakeKeys(keys + taken, size - taken);
    }
    char bytes[64];
    const size_t count = TakeKeys(bytes, std::min(sizeof bytes, size - held));
    return held + SiftReplies(reader, bytes, count, keys + held, size - held);
}

void AwaitLateAnswers() {
    if (AnswersOwed()) {
        AwaitAnswers(askedAt + LateAnswerNanoseconds, false);
    }
}
