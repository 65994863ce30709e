// Console colours on a terminal: the 16 console colours by the terminal's own numbers, or the
// console's classic palette in 24-bit direct colour where the terminal takes that. Pure, for the
// frame encoder.
#pragma once

#include <cstdint>
#include <string>

// The terminal's number for a console colour index: a console index counts blue 1, green 2, red 4
// and intensity 8; a terminal number counts red 1, green 2, blue 4 and bright 8.
int AnsiColour(int consoleIndex);

// 0xRRGGBB of a console colour index in the classic console palette.
uint32_t ClassicRgb(int consoleIndex);

// Appends the decimal digits of a value.
void AppendNumber(std::string& out, unsigned value);

// Appends the SGR parameters that select a console colour as the foreground or the background:
// "31", "101" and the like, or "38;2;R;G;B" / "48;2;R;G;B" in direct colour.
void AppendColour(std::string& out, int consoleIndex, bool background, bool directColour);
