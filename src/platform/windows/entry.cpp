// The Windows program's first instruction: the loader jumps here directly, with no C runtime to
// set anything up or to turn a return value into an exit code.
#include "frontend/main.h"
#include "platform/win_api.h"

// Returning to the loader would not end the process once the audio device's own thread exists,
// so the exit code goes to ExitProcess.
extern "C" [[noreturn]] void Entry() {
    ExitProcess(static_cast<UINT>(ZorvendaleMain()));
}
