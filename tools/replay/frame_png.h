// Writes one frame as a PNG picture with the console's sixteen-colour palette.
#pragma once

#include <string>

#include "platform/win_types.h"

// Writes the frame's picture to path, replacing any file there. Returns false when the file
// can't be written.
bool WriteFramePng(const CHAR_INFO* grid, const std::string& path);
