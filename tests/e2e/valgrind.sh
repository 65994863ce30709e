#!/usr/bin/env bash
# Runs the terminal program under Valgrind in a tmux pane for ten seconds from its first frame
# (Valgrind's start-up can take seconds of its own), then ends it with SIGTERM: Valgrind must report
# no errors (invalid reads or writes, uninitialised values, bad frees, memory lost for good), the
# program must end by that signal, and it must have played whole, exact copies of the bounce sound:
# at least one, at most one per floor bounce of the time it ran (it may fall behind its clock).
#   valgrind.sh ZORVENDALE ZORVENDALE_REPLAY
set -u
program=$1
replay=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/zorvendale-valgrind.XXXXXX)
server="zorvendale-valgrind-$$"
cleanup() {
    [ -s "$work/pid" ] && kill -KILL "$(cat "$work/pid")" 2>/dev/null
    tmux -L "$server" kill-server 2>/dev/null
    [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

cat >"$work/alsa.conf" <<CONF
pcm.!default { type file slave { pcm { type null } } file "$work/sound.raw" format "raw" }
CONF

# The inner shell notes its process id and becomes Valgrind; the outer one records how it ended.
# Not told it runs in tmux, the program asks the pane which colours it shows.
started=$(date +%s.%N)
tmux -L "$server" -f /dev/null new-session -d -x 80 -y 45 \
    env -u TMUX LANG=C.UTF-8 ALSA_CONFIG_PATH="$work/alsa.conf" PULSE_SERVER=unix:/nonexistent \
    sh -c 'sh -c "echo \$\$ >$1/pid; exec valgrind --log-file=$1/valgrind.log --error-exitcode=99 \
             --leak-check=full --errors-for-leak-kinds=definite $2"; echo $? >"$1/status"' \
    sh "$work" "$program"

for _ in $(seq 100); do [ -s "$work/pid" ] && break; sleep 0.1; done
for _ in $(seq 600); do
    tmux -L "$server" capture-pane -p 2>/dev/null | grep -q '[^[:space:]]' && break
    sleep 0.05
done
sleep 10
kill -TERM "$(cat "$work/pid")"
for _ in $(seq 300); do [ -s "$work/status" ] && break; sleep 0.1; done
ended=$(date +%s.%N)

status=$(cat "$work/status" 2>/dev/null || echo none)
summary=$(grep -h 'ERROR SUMMARY' "$work/valgrind.log" 2>/dev/null | tail -n 1)
echo "exit status: $status; ${summary#==*== }"
failed=0
if ! grep -q 'ERROR SUMMARY: 0 errors' "$work/valgrind.log" 2>/dev/null; then
    echo "FAIL: Valgrind found errors:"
    cat "$work/valgrind.log" 2>/dev/null
    failed=1
fi
if [ "$status" != 143 ]; then
    echo "FAIL: expected the program to end by SIGTERM (status 143), got $status"
    failed=1
fi
most=$(awk -v a="$started" -v b="$ended" 'BEGIN { print b - a }')
first=$(seq 0 10000 | "$replay" | awk '$8 == 1 { print $2 / 1000; exit }')
if ! python3 "$here/sound_copies.py" --wide "$work/sound.raw" "$replay" "$first" "$most"; then
    echo "FAIL: the sound is not whole copies for some floor bounces in $most s"
    failed=1
fi
[ "$failed" = 0 ] && echo "PASS: ten seconds under Valgrind without errors"
exit "$failed"
