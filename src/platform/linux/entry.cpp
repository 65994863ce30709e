// The process's entry on Linux: the command line, then the program's main routine, whose result is
// the exit status. A failed start-up is told on standard error once the terminal is given back.
#include <cstdio>

#include "frontend/main.h"
#include "platform/common/start_failure.h"
#include "platform/linux/options.h"
#include "platform/linux/sound/wave_stream.h"
#include "platform/linux/terminal/colour_question.h"

int main(int argc, char** argv) {
    const Options options = ReadOptions(argc, argv);
    if (options.silent) {
        UseSilentWave();
    }
    ChooseColourForm(options.colours);
    const int status = ZorvendaleMain();
    if (status != 0) {
        std::fprintf(stderr, "zorvendale: %s\n", StartFailure());
    }
    return status;
}
