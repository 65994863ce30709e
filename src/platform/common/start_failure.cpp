#include "platform/common/start_failure.h"

#include <cstring>

namespace {

// A fixed buffer: a note may come when memory has run out.
char firstReason[256];

} // namespace

void NoteStartFailure(const char* reason) {
    if (firstReason[0] == '\0') {
        std::strncpy(firstReason, reason, sizeof firstReason - 1);
    }
}

const char* StartFailure() {
    return firstReason[0] != '\0' ? firstReason : "start-up failed";
}
