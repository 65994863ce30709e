// The ways out of the terminal program: the terminal given back and the sound heard whole,
// whichever way the program ends.
#pragma once

#ifndef PLATFORM_LINUX_LIBRARY
#error "only a library that links platform_linux may include its headers"
#endif

// Gives the terminal back for good: the late answers to the colour question first, so that they
// reach neither the shell's input nor its screen, then the terminal as it was found. Called when
// the console is freed and on every way out.
void GiveTerminalBack();

// Ends the process as an ending signal that came asks (SIGINT, SIGTERM, SIGHUP, SIGQUIT), after
// giving the terminal back and closing the audio device. Returns at once when none came.
void EndOnExitSignal();

// The same for the quit key, ending the process with status 0.
[[noreturn]] void EndByQuitKey();
