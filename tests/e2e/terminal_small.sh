#!/bin/sh
# The picture on terminals smaller than itself. With its clock stopped, the program keeps its
# first frame on an 80 by 24 pane: at half height, each terminal cell exactly the two picture
# cells of that frame as the replay tool paints it, in 16 colours and in direct colour; cut, as
# before, without a UTF-8 locale; and, resized with no frame to come, the same from what it holds.
# Running, in a pane too small for either, it shows the notice with the pane's size, and follows
# resizes back to the picture and down again.
# usage: terminal_small.sh PROGRAM REPLAY FROZEN_CLOCK_LIBRARY
PROGRAM=$1 REPLAY=$2 FROZEN_CLOCK=$3
. "$(dirname "$0")/terminal_common.sh"

echo 0 | "$REPLAY" --frames >"$WORK/frame" || fail "the replay tool gave no frame for reading 0"

# see_frozen LABEL [VAR=VALUE...]: start_seen with the clock stopped. The preloaded library comes
# before the sanitisers' runtime in a sanitised build.
see_frozen() {
    label=$1
    shift
    start_seen "$label" LD_PRELOAD="$FROZEN_CLOCK" ASAN_OPTIONS=verify_asan_link_order=0 "$@"
}

# resize COLUMNS ROWS
resize() {
    PANE_COLUMNS=$1 PANE_ROWS=$2
    tmux -L "$SERVER" resize-window -x "$1" -y "$2"
}

# With the clock stopped no frame comes after the first, so after a resize the terminal is brought
# up to date from what the console already holds.
PANE_COLUMNS=80 PANE_ROWS=45
if see_frozen "stopped clock, resized"; then
    check_picture indexed "stopped clock, 80x45"
    resize 80 24
    check_form half indexed "stopped clock, made 80x24" "$WORK/frame"
    stop_seen "stopped clock, resized"
fi

PANE_COLUMNS=80 PANE_ROWS=24
if see_frozen "half height, 16 colours"; then
    check_form half indexed "half height, 16 colours" "$WORK/frame"
    stop_seen "half height, 16 colours"
fi
if see_frozen "half height, direct colour" COLORTERM=truecolor; then
    check_form half direct "half height, direct colour" "$WORK/frame"
    stop_seen "half height, direct colour"
fi
if see_frozen "no UTF-8" LANG=C LC_ALL=C; then
    check_form cut dec "no UTF-8" "$WORK/frame"
    stop_seen "no UTF-8"
fi

PANE_COLUMNS=70 PANE_ROWS=15
if start_seen "70x15 pane"; then
    check_form notice indexed "70x15 pane"
    resize 80 45
    check_picture indexed "enlarged to 80x45"
    resize 80 24
    check_form half indexed "made 80x24"
    resize 50 15
    check_form notice indexed "made 50x15, the notice on two lines"
    resize 100 19
    check_form notice indexed "made 100x19"
    resize 80 24
    check_form half indexed "back to 80x24"
    stop_seen "resized"
fi

finish
