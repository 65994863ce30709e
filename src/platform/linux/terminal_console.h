// The console calls' own state on the terminal, as the rest of the layer's top reaches it.
#pragma once

#ifndef PLATFORM_LINUX_LIBRARY
#error "only a library that links platform_linux may include its headers"
#endif

// Sends the terminal what the console's window holds and the terminal has not been sent yet, as
// one update: frames come faster than terminals show them, so the terminal gets the latest at the
// pace the counter keeps (clock/pacer.h), and nothing while nothing changed. Called by
// QueryPerformanceCounter when that pace says so.
void CatchUpConsole();

// Puts the console back on the terminal after a stop: its title and cursor at once, its window
// whole at the next write. Called from ActOnPendingSignal once the terminal is taken again.
void ResumeConsole();

// Sends the picture in direct colour from now on, whole at the next update: the terminal's answer
// to the colour question came after the wait, and says it takes it. Called by the counter when
// LateDirectColour says so.
void UseDirectColour();
