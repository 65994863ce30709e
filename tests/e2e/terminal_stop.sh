#!/bin/sh
# Ctrl-Z and fg, typed at an interactive shell in the pane: while stopped, the program has given the
# terminal back as it was; on going on, it has taken it again and shows the whole picture, the
# ball still in it however long the pause (the animation goes on where it was); a SIGTERM then
# still gives it back.
# usage: terminal_stop.sh PROGRAM
PROGRAM=$1
. "$(dirname "$0")/terminal_common.sh"

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

STARTS=$((STARTS + 1))
SERVER=$SERVER_BASE-$STARTS
tmux -L "$SERVER" -f /dev/null new-session -d -x "$PANE_COLUMNS" -y "$PANE_ROWS" \
    env -u TMUX LANG=C.UTF-8 LC_ALL= ALSA_CONFIG_PATH="$WORK/alsa.conf" COLORTERM= PS1='$ ' sh -i
sleep 0.3
tmux -L "$SERVER" send-keys "printf '\\033]2;before-title\\007'; stty -g >$WORK/settings; \
sh -c 'echo \$\$ >$WORK/pid.new && mv $WORK/pid.new $WORK/pid && exec $PROGRAM'" Enter

if wait_for_picture 10; then
    tmux -L "$SERVER" send-keys C-z
    wait_for_screen 0
    grep -q '^State:.*stopped' "/proc/$(cat "$WORK/pid")/status" || fail "Ctrl-Z did not stop it"
    given_back "stopped"
    sleep 5 # long enough to throw the ball far out of the picture, were the pause counted

    tmux -L "$SERVER" send-keys fg Enter
    wait_for_picture 5 || fail "no picture after fg"
    [ "$(pane '#{cursor_flag}')" = 0 ] || fail "after fg: cursor shown over the picture"
    check_picture indexed "after fg"

    kill -s TERM "$(cat "$WORK/pid")"
    wait_for_screen 0
    given_back "SIGTERM after fg"
else
    fail "no picture within 10 s"
fi

finish
