// Why start-up failed. The program only learns that a start-up step failed, and says nothing; the
// calls that refuse note why, and the entry tells the user once the terminal has been given back.
#pragma once

#ifndef PLATFORM_COMMON_LIBRARY
#error "only a library that links platform_common may include its headers"
#endif

// Notes why a call refused; the first note stands, as start-up stops at the first failure.
void NoteStartFailure(const char* reason);

// The first note, or a general reason when there is none.
const char* StartFailure();
