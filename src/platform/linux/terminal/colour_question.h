// Whether the terminal is sent the console's classic palette in direct colour or its own 16
// colours: settled by the command line or the environment, or else by asking the terminal.
#pragma once

#ifndef LINUX_TERMINAL_LIBRARY
#error "only a library that links linux_terminal may include its headers"
#endif

#include <cstddef>

enum class ColourForm { Unsettled, Sixteen, Direct };

// What can settle the form without asking the terminal.
struct ColourSettings {
    ColourForm chosen;      // by the command line
    const char* colourTerm; // COLORTERM
    bool inTmuxPane;        // InTmuxPane
    bool inputIsTerminal;   // standard input is the terminal asked
};

// The form settled without asking, by the first rule that applies: the command line's choice;
// COLORTERM truecolor or 24bit, direct; in a tmux pane, direct, as tmux shows it where the
// terminal outside can and turns it into the nearest colour it has elsewhere, which is nearer than
// a themed palette; with standard input other than the terminal, 16 colours, as another reader of
// the terminal (cat in "cat | zorvendale") could take the answer. Unsettled otherwise. Pure.
ColourForm SettledColourForm(const ColourSettings& settings);

// The command line's choice, made before the console opens.
void ChooseColourForm(ColourForm form);

// Asks the open terminal whether it takes direct colour, unless that is settled already, and
// waits about 100 ms at most for its answer: true when it is to be sent direct colour. Keys typed
// meanwhile are kept for TakeTypedKeys. Called when the console opens.
bool AskForDirectColour();

// True, once, when an answer that came after the wait says that the terminal takes direct colour
// after all (over a slow link, say): the picture is to be sent in it from now on. Looked at after
// TakeTypedKeys, which reads the late answers.
bool LateDirectColour();

// Like TakeKeys, with the keys typed during the question first, and answers that came after it
// left out; bytes that turn out not to be an answer are keys, in the order they came, and so is
// what was held back as the start of one once no answer is owed any more.
size_t TakeTypedKeys(char* keys, size_t size);

// Waits, for at most half a second after the question, for answers still to come, so that they
// land neither in the input of what reads the terminal next nor on its screen. Called before the
// terminal is given back.
void AwaitLateAnswers();
