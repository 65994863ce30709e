#!/bin/sh
# Ending the program by each signal that may end it: the pane is given back as it was (main screen,
# cursor shown, title back, no colour carried over), the exit status is the signal's, and the
# sound captured so far is whole bounce sounds.
# usage: terminal_signals.sh PROGRAM
PROGRAM=$1
. "$(dirname "$0")/terminal_common.sh"

BOUNCE_BYTES=4800
start_pane 4
run=1
for signal in TERM:143 INT:130 HUP:129 QUIT:131; do
    name=${signal%:*}
    if ! wait_for_picture 10; then
        fail "SIG$name: no picture within 10 s"
        break
    fi
    sleep 1.3 # past the first floor bounce
    kill -s "$name" "$(cat "$WORK/pid")"
    expect_status "$run" "${signal#*:}" "SIG$name"
    check_restored "$run" "SIG$name"
    bytes=$(wc -c <"$WORK/sound.raw")
    if [ "$bytes" -eq 0 ] || [ $((bytes % BOUNCE_BYTES)) -ne 0 ]; then
        fail "SIG$name: $bytes bytes of sound, not whole bounce sounds"
    fi
    touch "$WORK/go.$run"
    run=$((run + 1))
done

finish
