// The terminal program's command line. The Windows program takes none.
#pragma once

#include "platform/linux/terminal/colour_question.h"

struct Options {
    bool silent;        // no sound device: the bounces make no sound
    ColourForm colours; // as --colours says, or unsettled
};

// Reads the options. Prints the help or the version and ends the process with status 0 when
// asked to, and ends it with status 2 after a one-line error for anything it doesn't know.
Options ReadOptions(int argc, char** argv);
