#include "platform/linux/start_failure.h"

namespace {

std::string firstReason;

} // namespace

void NoteStartFailure(const std::string& reason) {
    if (firstReason.empty()) {
        firstReason = reason;
    }
}

std::string StartFailure() {
    return firstReason.empty() ? "start-up failed" : firstReason;
}
