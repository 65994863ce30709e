#!/bin/sh
# Fifty random resizes of the program's pane within a few seconds, from far smaller than the
# picture to far larger: afterwards the program still runs and, the pane back at its first size,
# the picture is whole; and it still ends cleanly.
# usage: terminal_resize_endurance.sh PROGRAM
PROGRAM=$1
. "$(dirname "$0")/terminal_common.sh"

start_pane 1
if wait_for_picture 10; then
    count=0
    while [ "$count" -lt 50 ]; do
        tmux -L "$SERVER" resize-window -x $((10 + $(random_below 110))) -y $((5 + $(random_below 60)))
        sleep "0.0$(random_below 10)"
        count=$((count + 1))
    done
    tmux -L "$SERVER" resize-window -x "$PANE_COLUMNS" -y "$PANE_ROWS"
    if kill -0 "$(cat "$WORK/pid")" 2>/dev/null; then
        check_picture indexed "after 50 resizes"
        kill -s TERM "$(cat "$WORK/pid")"
        expect_status 1 143 "SIGTERM after the resizes"
        check_restored 1 "SIGTERM after the resizes"
    else
        fail "the program ended during the resizes"
    fi
else
    fail "no picture within 10 s"
fi

finish
