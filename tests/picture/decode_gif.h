// Reads back an animated GIF the way a viewer shows it, for the picture tests.
#pragma once

#include <string>
#include <vector>

#include "picture_frames.h"

struct DecodedGif {
    bool ok = false;
    int width = 0;
    int height = 0;
    bool loopsForever = false;
    std::vector<Rgb> palette;
    std::vector<int> delaysCs;
    std::vector<int> storedWidths;
    std::vector<std::vector<uint8_t>> shown; // the whole picture once each frame is drawn
};

DecodedGif ReadGif(const std::string& path);
