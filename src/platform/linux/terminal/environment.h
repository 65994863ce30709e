// What the terminal says about itself in the program's environment: whether it can show the
// picture at all, and whether it gives the window title back. Pure: the variables come through a
// lookup, getenv in the program.
#pragma once

#ifndef LINUX_TERMINAL_LIBRARY
#error "only a library that links linux_terminal may include its headers"
#endif

using EnvironmentLookup = const char* (*)(const char* name);

// The program's own environment, as a lookup.
const char* ProcessEnvironment(const char* name);

// Why the terminal can't show the picture, or nullptr when it can. A TERM of "dumb" (an editor's
// shell buffer, a CI log) or none at all says that it takes no control sequences.
const char* PictureRefusal(const char* term);

// True where the terminal is known to keep a stack of window titles (CSI 22;0t saves the title,
// CSI 23;0t puts it back), so that a title the program sets is given back when it ends. Elsewhere
// the program leaves the title alone. A terminal that is known to ignore the stack decides before
// one that keeps it, since a terminal started from another's shell inherits that one's variables.
bool TitleComesBack(EnvironmentLookup lookup);

// True in a tmux pane itself: TMUX set, with tmux's own TERM and no STY. TMUX alone reaches
// whatever is started inside tmux, GNU screen or another terminal among them; a GNU screen around
// tmux sets STY, and may then be the terminal outside.
bool InTmuxPane(EnvironmentLookup lookup);
