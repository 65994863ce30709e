#!/bin/sh
# Start-up failing after the console has opened (here: no sound device) gives the terminal back
# as it was before the program ends with status 1.
# usage: terminal_startup_failure.sh PROGRAM
PROGRAM=$1
. "$(dirname "$0")/terminal_common.sh"

: >"$WORK/no-devices.conf"
start_pane 1 ALSA_CONFIG_PATH="$WORK/no-devices.conf"
expect_status 1 1 "start-up without a sound device"
check_restored 1 "start-up without a sound device"

finish
