#!/bin/sh
# Ctrl-Z and fg, twice, typed at an interactive shell in the pane, the program started from a script
# that goes on after it: while stopped, the program has given the terminal back as it was; on going
# on, it has taken it again and shows the frame where the pause left off, as far as the time it
# measurably ran allows; a SIGTERM then still gives it back, and the script goes on; every update
# the pane received was whole, and none empty. Its clock runs at a twentieth of real time (the
# preloaded clock library): it ran a few of its milliseconds, a pause counted in would be a hundred,
# and most of its readings change nothing on the terminal.
# usage: terminal_stop.sh PROGRAM REPLAY CLOCK_LIBRARY
PROGRAM=$1 REPLAY=$2 CLOCK_LIBRARY=$3
. "$(dirname "$0")/terminal_common.sh"

PAUSE=2   # real seconds
SLOWER=20 # the clock's slowing
UPDATE=17 # the program's milliseconds: the frame shown may be that far behind its reading

# given_back LABEL: the pane is as before the program started.
given_back() {
    [ "$(pane '#{alternate_on}')" = 0 ] || fail "$1: still on the alternate screen"
    [ "$(pane '#{cursor_flag}')" = 1 ] || fail "$1: cursor still hidden"
    [ "$(pane '#{pane_title}')" = before-title ] || fail "$1: title is '$(pane '#{pane_title}')'"
    stty -g -F "$(pane '#{pane_tty}')" | cmp -s - "$WORK/settings" ||
        fail "$1: terminal settings not put back"
}

# wait_for_screen ALTERNATE: true once the pane's alternate screen is on (1) or off (0).
wait_for_screen() {
    tries=100
    while [ "$(pane '#{alternate_on}')" != "$1" ] && [ "$tries" -gt 0 ]; do
        sleep 0.05
        tries=$((tries - 1))
    done
}

# pause N: Ctrl-Z, a pause, fg; then the frame shown must be one of the readings the program can
# have reached: from the first with the frame seen before Ctrl-Z to the last with it, plus the
# time it ran from that sighting to the stop and from fg to the sighting after it.
pause() {
    until_seen 10 shown_readings || fail "pause $1: no whole frame shown before it"
    before_first=$SHOWN_FIRST before_last=$SHOWN_LAST seen=$SHOWN_BEFORE
    tmux -L "$SERVER" send-keys C-z
    until_seen 10 grep -q '^State:.*stopped' "/proc/$(cat "$WORK/pid")/status" ||
        fail "pause $1: Ctrl-Z did not stop it"
    ran=$(($(now_ms) - seen))
    wait_for_screen 0
    given_back "pause $1, stopped"
    sleep "$PAUSE"

    resumed=$(now_ms)
    tmux -L "$SERVER" send-keys fg Enter
    wait_for_picture 5 || fail "pause $1: no picture after fg"
    until_seen 10 shown_readings || fail "pause $1: no whole frame shown after fg"
    ran=$((ran + SHOWN_AFTER - resumed))
    [ "$(pane '#{cursor_flag}')" = 0 ] || fail "pause $1: cursor shown over the picture after fg"
    latest=$((before_last + (ran + SLOWER - 1) / SLOWER + UPDATE))
    if [ "$SHOWN_LAST" -lt "$before_first" ] || [ "$SHOWN_FIRST" -gt "$latest" ]; then
        fail "pause $1: after fg the frame of readings $SHOWN_FIRST to $SHOWN_LAST, not within \
$before_first to $latest (the frame before Ctrl-Z, and $ran ms that it ran)"
    fi
}

replay_readings 3000
STARTS=$((STARTS + 1))
SERVER=$SERVER_BASE-$STARTS
tmux -L "$SERVER" -f /dev/null new-session -d -x "$PANE_COLUMNS" -y "$PANE_ROWS" \
    env -u TMUX LANG=C.UTF-8 LC_ALL= ALSA_CONFIG_PATH="$WORK/alsa.conf" COLORTERM= PS1='$ ' \
    LD_PRELOAD="$CLOCK_LIBRARY" ZORVENDALE_CLOCK_RATE=$(echo "1 / $SLOWER" | bc -l) \
    ASAN_OPTIONS=verify_asan_link_order=0 sh -i \; pipe-pane -o "cat >>'$WORK/bytes'"
until_seen 10 sh -c 'tmux -L "$1" capture-pane -p | grep -q "^[$]"' sh "$SERVER" ||
    fail "no shell prompt"
# The script's shell shares the program's job and stops at once on Ctrl-Z, so that the interactive
# shell takes the terminal back while the program is still giving it back.
cat >"$WORK/script" <<EOF
sh -c 'echo \$\$ >$WORK/pid.new && mv $WORK/pid.new $WORK/pid && exec $PROGRAM'
echo script-went-on
EOF
tmux -L "$SERVER" send-keys "printf '\\033]2;before-title\\007'; stty -g >$WORK/settings; \
sh $WORK/script" Enter

if wait_for_picture 10; then
    pause 1
    pause 2
    check_picture indexed "after two pauses"
    kill -s TERM "$(cat "$WORK/pid")"
    wait_for_screen 0
    given_back "SIGTERM after fg"
    until_seen 10 sh -c 'tmux -L "$1" capture-pane -p | grep -q "^script-went-on"' sh "$SERVER" ||
        fail "the script did not go on after the program"
    check_updates "Ctrl-Z and fg"
else
    fail "no picture within 10 s"
fi

finish
