#!/bin/sh
# Start-up failing after the console has opened (here: no sound device) gives the terminal back
# as it was before the program ends with status 1, and then says why in one line.
# usage: terminal_startup_failure.sh PROGRAM
PROGRAM=$1
. "$(dirname "$0")/terminal_common.sh"

: >"$WORK/no-devices.conf"
start_pane 1 ALSA_CONFIG_PATH="$WORK/no-devices.conf"
expect_status 1 1 "start-up without a sound device"
check_restored 1 "start-up without a sound device"
tmux -L "$SERVER" capture-pane -p -J | grep -v '^$' >"$WORK/lines"
reason='^zorvendale: no sound output (ALSA: .*); try --silent$'
if ! grep -A 2 '^before-start 1$' "$WORK/lines" | sed -n 2p | grep -q "$reason" ||
    ! grep -A 2 '^before-start 1$' "$WORK/lines" | sed -n 3p | grep -q '^after-exit 1$'; then
    fail "the one line saying why is not between the lines before and after the run:
$(cat "$WORK/lines")"
fi

finish
