// The console surface: the program's own 60 by 40 console window and the cell grid shown in it.
#pragma once

#include "platform/win_types.h"

// The frame's cells, painted by PaintFrame and shown by PresentFrame; null until StartConsole has
// allocated it.
extern CHAR_INFO* cellGrid;

// Opens, titles and shapes the console and allocates cellGrid. Returns false when there is no
// console output or no memory for the grid. Called first of all start-up steps.
bool StartConsole();

// Writes the whole grid to the console in one call. Called at the end of every frame.
void PresentFrame(const CHAR_INFO* grid);

// Frees cellGrid and the console: the last two steps of ReleaseAll.
void ReleaseConsole();
