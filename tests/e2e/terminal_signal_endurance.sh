#!/bin/sh
# The program ended 30 times by a random one of SIGINT, SIGTERM, SIGHUP and SIGQUIT at a random
# moment of its first two seconds, start-up included: each time with the signal's status and the
# pane given back as it was.
# usage: terminal_signal_endurance.sh PROGRAM
PROGRAM=$1
. "$(dirname "$0")/terminal_common.sh"

RUNS=30
start_pane "$RUNS"
run=1
while [ "$run" -le "$RUNS" ]; do
    case $(random_below 4) in
    0) name=INT status=130 ;;
    1) name=TERM status=143 ;;
    2) name=HUP status=129 ;;
    *) name=QUIT status=131 ;;
    esac
    delay=$(random_below 2000)
    label="run $run, SIG$name after $delay ms"
    if ! wait_for "$WORK/pid" 10; then
        fail "$label: the program did not start"
        break
    fi
    sleep "$((delay / 1000)).$(printf %03d $((delay % 1000)))"
    kill -s "$name" "$(cat "$WORK/pid")"
    rm -f "$WORK/pid"
    expect_status "$run" "$status" "$label"
    check_restored "$run" "$label"
    touch "$WORK/go.$run"
    run=$((run + 1))
done

finish
