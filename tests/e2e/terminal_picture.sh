#!/bin/sh
# The program's picture in a terminal: title, hidden cursor, the whole 60 by 40 picture centred in
# an 80 by 45 pane, at half height in a lower one, the notice in a narrower one, filling one of its
# own size without scrolling, and whole again after the pane is back to its first size; in 24-bit
# colour where the terminal takes it, and through the DEC line-drawing set without a UTF-8 locale,
# cut in a lower pane as no half blocks can be drawn. Direct colour and the title, given back,
# where the program is told it runs in tmux, and only there.
# usage: terminal_picture.sh PROGRAM
PROGRAM=$1
. "$(dirname "$0")/terminal_common.sh"

# see MODE LABEL [VAR=VALUE...]: starts the program with the environment given and checks the
# picture.
see() {
    mode=$1
    shift
    start_seen "$@" || return 1
    [ "$(pane '#{cursor_flag}')" = 0 ] || fail "$1: cursor shown over the picture"
    check_picture "$mode" "$1"
}

if see indexed "16 colours"; then
    # Narrower than the picture: the notice alone, on two lines.
    PANE_COLUMNS=50 PANE_ROWS=30
    tmux -L "$SERVER" resize-window -x 50 -y 30
    check_form notice indexed "50x30 pane"
    PANE_COLUMNS=70 PANE_ROWS=30
    tmux -L "$SERVER" resize-window -x 70 -y 30
    check_form half indexed "70x30 pane"
    # Exactly the picture's size: the last cell is drawn, and nothing scrolls.
    PANE_COLUMNS=60 PANE_ROWS=40
    tmux -L "$SERVER" resize-window -x 60 -y 40
    check_picture indexed "60x40 pane"
    PANE_COLUMNS=80 PANE_ROWS=45
    tmux -L "$SERVER" resize-window -x 80 -y 45
    check_picture indexed "after resizes smaller and back"
    stop_seen "16 colours"
    # Not told it runs in tmux, it can't count on the title coming back: it leaves it alone.
    grep -q -a -e "$(printf '\033')]2;Zorvendale" -e "$(printf '\033')\[22;0t" "$WORK/bytes" &&
        fail "16 colours: the title was saved or set"
fi

if see direct "direct colour" COLORTERM=truecolor; then
    stop_seen "direct colour"
fi

# Told it runs in a tmux pane: direct colour without asking, and the title set, which tmux gives
# back on SIGTERM; told to, the 16 colours all the same.
KEEP_TMUX=1
if see direct "inside tmux"; then
    [ "$(pane '#{pane_title}')" = Zorvendale ] || fail "tmux: title is '$(pane '#{pane_title}')'"
    stop_seen "inside tmux"
fi
PROGRAM_ARGS=--colours=16
if see indexed "--colours=16 inside tmux" COLORTERM=truecolor; then
    stop_seen "--colours=16 inside tmux"
fi
KEEP_TMUX=0 PROGRAM_ARGS=

if see dec "no UTF-8" LANG=C LC_ALL=C; then
    PANE_COLUMNS=70 PANE_ROWS=30
    tmux -L "$SERVER" resize-window -x 70 -y 30
    check_form cut dec "no UTF-8, 70x30 pane"
    PANE_COLUMNS=80 PANE_ROWS=45
    stop_seen "no UTF-8"
fi

finish
