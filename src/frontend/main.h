// The program's main routine: start-up in a fixed order, the endless frame loop, and the one
// failure path.
#pragma once

// Brings the system up and runs the frame loop for ever. Returns 1 when start-up fails. Called
// by the platform's entry point, which ends the process with the value returned.
int ZorvendaleMain();

// One pass of the frame loop: a frame when the clock reading has moved since the last frame,
// nothing otherwise. Called only by ZorvendaleMain's loop.
void RunFramePass();

// Releases what start-up acquired, in reverse: sound, then the grid and the console. Used only on
// the failure path.
void ReleaseAll();
