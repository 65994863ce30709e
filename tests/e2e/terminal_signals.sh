#!/bin/sh
# Ending the program by each signal that may end it: the pane is given back as it was (main screen,
# cursor shown, title back, no colour carried over), the exit status is the signal's, and the
# sound captured so far is whole bounce sounds; every update the pane received was whole, and the
# way out ended any update left open. No colour is carried over on a terminal without an alternate
# screen either, where nothing else puts the colours back, and in GNU screen, which ignores it, the
# picture is cleared away.
# usage: terminal_signals.sh PROGRAM REPLAY
PROGRAM=$1 REPLAY=$2
. "$(dirname "$0")/terminal_common.sh"

BOUNCE_BYTES=9600 # 2,400 stereo frames of the 16-bit samples the program hands ALSA
replay_readings 3000
first_bounce=$(awk '$8 == 1 {print $2; exit}' "$WORK/readings")
start_pane 4
run=1
for signal in TERM:143 INT:130 HUP:129 QUIT:131; do
    name=${signal%:*}
    if ! wait_for_picture 10; then
        fail "SIG$name: no picture within 10 s"
        break
    fi
    # The bounce is played with its frame, before the pane can show it.
    if ! until_seen 20 shows_reading_from "$first_bounce"; then
        fail "SIG$name: the pane never showed the first floor bounce (reading $first_bounce)"
    fi
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
check_updates "four signals"

# tmux's alternate-screen option off: the picture is drawn over the main screen, and the line after
# the exit is printed where the drawing stopped, over the picture. A wider pane keeps it on one row.
rm -f "$WORK"/status.* "$WORK/pid"
TMUX_CONFIG=$WORK/tmux.conf PICTURE_SCREEN=0 PANE_COLUMNS=100
echo 'set-option -g -w alternate-screen off' >"$TMUX_CONFIG"
start_pane 1
if wait_for_picture 10; then
    kill -s TERM "$(cat "$WORK/pid")"
    expect_status 1 143 "no alternate screen"
    check_given_back 1 "no alternate screen"
    check_pane_text plain "after-exit 1" "no alternate screen"
else
    fail "no alternate screen: no picture within 10 s"
fi

# GNU screen with its default settings, run in the pane: it ignores the alternate screen, so the
# program clears what it drew on the way out, and the shell's next line comes at the top of a
# clear screen, as after a program that clears the screen itself.
rm -f "$WORK"/status.* "$WORK/pid"
TMUX_CONFIG=/dev/null PANE_COLUMNS=80 PICTURE_SCREEN=1 # screen's own display
mkdir -m 700 "$WORK/screens"
echo 'startup_message off' >"$WORK/screenrc"
PANE_WRAPPER="env SCREENDIR=$WORK/screens SYSSCREENRC=/dev/null screen -c $WORK/screenrc"
start_pane 1
if wait_for_picture 10; then
    tmux -L "$SERVER" send-keys q
    expect_status 1 0 "GNU screen"
    check_pane_text cleared "after-exit 1" "GNU screen"
else
    fail "GNU screen: no picture within 10 s"
fi
PANE_WRAPPER=

finish
