// Built against the picture's encoding alone, this file includes the terminal's device, a library
// above it: the build must refuse it.
#include "platform/linux/terminal/device.h"
