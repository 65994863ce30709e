#!/bin/sh
# Start-up failing after the console has opened gives the terminal back as it was before the
# program ends: with status 1 and one line saying why when the sound device is missing, and by the
# signal when an ending signal came during the start-up. A terminal that can't show the picture
# (TERM dumb, or empty) is refused with status 1 and one line saying so.
# usage: terminal_startup_failure.sh PROGRAM
PROGRAM=$1
. "$(dirname "$0")/terminal_common.sh"

# waiting_in_open SECONDS: true once the program waits in opening a FIFO that nothing writes.
waiting_in_open() {
    tries=$(($1 * 20))
    while [ "$(cat "/proc/$(cat "$WORK/pid")/wchan" 2>/dev/null)" != wait_for_partner ] &&
        [ "$tries" -gt 0 ]; do
        sleep 0.05
        tries=$((tries - 1))
    done
    [ "$tries" -gt 0 ]
}

# ALSA's configuration: first an empty one, with no sound device in it; then a FIFO that nothing
# writes, so that reading it waits until SIGTERM cuts it short and the sound fails to start.
: >"$WORK/devices.conf"
start_pane 2 ALSA_CONFIG_PATH="$WORK/devices.conf"
expect_status 1 1 "start-up without a sound device"
check_restored 1 "start-up without a sound device"
tmux -L "$SERVER" capture-pane -p -J | grep -v '^$' >"$WORK/lines"
reason='^zorvendale: no sound output (ALSA: .*); try --silent$'
if ! grep -A 2 '^before-start 1$' "$WORK/lines" | sed -n 2p | grep -q "$reason" ||
    ! grep -A 2 '^before-start 1$' "$WORK/lines" | sed -n 3p | grep -q '^after-exit 1$'; then
    fail "the one line saying why is not between the lines before and after the run:
$(cat "$WORK/lines")"
fi

rm "$WORK/devices.conf"
mkfifo "$WORK/devices.conf"
touch "$WORK/go.1"
if wait_for_picture 10 && waiting_in_open 10; then
    kill -s TERM "$(cat "$WORK/pid")"
    expect_status 2 143 "SIGTERM during a failing start-up"
    check_restored 2 "SIGTERM during a failing start-up"
else
    fail "SIGTERM during a failing start-up: not waiting for the sound's configuration"
fi

# refused TERM REASON: with TERM set so, status 1 and the one line saying REASON, between the
# driver's lines; nothing sent to the terminal but those lines and the driver's title.
refused() {
    tmux -L "$SERVER" kill-server 2>/dev/null
    rm -f "$WORK"/status.* "$WORK"/go.* "$WORK/bytes"
    start_pane 1 TERM="$1"
    expect_status 1 1 "TERM=$1"
    wait_for_text "after-exit 1"
    tmux -L "$SERVER" capture-pane -p -J | grep -v '^$' >"$WORK/lines"
    printf "before-start 1\nzorvendale: this terminal can't show the picture (%s)\nafter-exit 1\n" \
        "$2" | cmp -s - "$WORK/lines" || fail "TERM=$1: not the one line: $(cat "$WORK/lines")"
    sed 's/\x1b]2;before-title\x07//g' "$WORK/bytes" | grep -q -a "$(printf '[\033\030]')" &&
        fail "TERM=$1: the terminal was sent control sequences"
}
refused dumb TERM=dumb
refused "" "TERM not set"

finish
