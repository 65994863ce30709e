// Console colours on a terminal: the 16 console colours by the terminal's own numbers, or the
// console's classic palette in 24-bit direct colour where the terminal takes that. Pure, for the
// frame encoder.
#pragma once

#ifndef LINUX_ENCODING_LIBRARY
#error "only a library that links linux_encoding may include its headers"
#endif

#include <cstdint>
#include <string>

// The terminal's number for a console colour index: a console index counts blue 1, green 2, red 4
// and intensity 8; a terminal number counts red 1, green 2, blue 4 and bright 8.
int AnsiColour(int consoleIndex);

// 0xRRGGBB of a console colour index in the classic console palette.
uint32_t ClassicRgb(int consoleIndex);

// A colour the frame encoder asks the terminal for is a console colour index (0-15) or, in direct
// colour only, an even mix of two of them, which no console colour shows: a shade seen from afar.
int MixColours(int firstIndex, int secondIndex);

// 0xRRGGBB of a colour: the classic palette's, or for a mix each channel of the two colours'
// averaged and rounded down.
uint32_t ColourRgb(int colour);

// Appends the decimal digits of a value.
void AppendNumber(std::string& out, unsigned value);

// Appends the SGR parameters that select a colour as the foreground or the background: "31",
// "101" and the like, or "38;2;R;G;B" / "48;2;R;G;B" in direct colour. The 16 colours show a mix
// as its first colour.
void AppendColour(std::string& out, int colour, bool background, bool directColour);
