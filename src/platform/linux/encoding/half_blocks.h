// A window drawn at half height: each terminal cell an upper half block, its foreground the
// colour of one window cell and its background that of the cell below. Pure, for the frame
// encoder.
#pragma once

#ifndef LINUX_ENCODING_LIBRARY
#error "only a library that links linux_encoding may include its headers"
#endif

#include "platform/linux/encoding/screen_buffer.h"

// Code page 437's upper half block.
constexpr unsigned char UpperHalfBlock = 0xDF;

// The one colour (colour.h) a window cell shows as half a terminal cell: what its glyph mostly
// covers. A blank shows its background, any other glyph its foreground, and the shade, half
// covered, the mix of both where the terminal takes direct colour.
int HalfBlockColour(ConsoleCell cell, bool directColour);
