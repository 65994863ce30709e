#include "platform/linux/terminal/environment.h"

#include <cstdlib>
#include <cstring>

namespace {

bool StartsWith(const char* text, const char* start) {
    return std::strncmp(text, start, std::strlen(start)) == 0;
}

bool Set(EnvironmentLookup lookup, const char* name) {
    const char* value = lookup(name);
    return value != nullptr && value[0] != '\0';
}

// tmux keeps the stack for its pane's title; GNU screen, with the same TERM, ignores it.
bool Multiplexer(const char* term) {
    return StartsWith(term, "screen") || StartsWith(term, "tmux");
}

// st, rxvt-unicode and the Linux console by their TERM; zutty and konsole (which never shows the
// title) by their variables. Any other terminal that says nothing of itself is not known either.
bool IgnoresStack(EnvironmentLookup lookup, const char* term) {
    return std::strcmp(term, "st") == 0 || StartsWith(term, "st-") || StartsWith(term, "rxvt") ||
           std::strcmp(term, "linux") == 0 || Set(lookup, "ZUTTY_VERSION") ||
           Set(lookup, "KONSOLE_VERSION");
}

bool KeepsStack(EnvironmentLookup lookup, const char* term) {
    return std::strcmp(term, "xterm-kitty") == 0 || Set(lookup, "KITTY_WINDOW_ID") ||
           std::strcmp(term, "alacritty") == 0 || Set(lookup, "ALACRITTY_WINDOW_ID") ||
           Set(lookup, "ALACRITTY_LOG") || Set(lookup, "VTE_VERSION") || Set(lookup, "MLTERM") ||
           Set(lookup, "XTERM_VERSION");
}

} // namespace

const char* ProcessEnvironment(const char* name) {
    return std::getenv(name);
}

const char* PictureRefusal(const char* term) {
    if (term == nullptr || term[0] == '\0') {
        return "this terminal can't show the picture (TERM not set)";
    }
    if (std::strcmp(term, "dumb") == 0) {
        return "this terminal can't show the picture (TERM=dumb)";
    }
    return nullptr;
}

bool TitleComesBack(EnvironmentLookup lookup) {
    const char* term = lookup("TERM");
    if (term == nullptr) {
        return false;
    }
    if (Multiplexer(term)) {
        return InTmuxPane(lookup);
    }
    return !IgnoresStack(lookup, term) && KeepsStack(lookup, term);
}

bool InTmuxPane(EnvironmentLookup lookup) {
    const char* term = lookup("TERM");
    return term != nullptr && Multiplexer(term) && Set(lookup, "TMUX") && !Set(lookup, "STY");
}
