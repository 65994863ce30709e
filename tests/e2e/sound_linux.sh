#!/usr/bin/env bash
# The terminal program's sound. Played into a file-backed null ALSA device, it must leave whole,
# exact copies of the bounce sound (as the 16-bit samples the program hands ALSA) and nothing else,
# one per floor bounce of the replay tool in the time it ran, as measured from its first frame seen
# (at least) and from its start (at most). Without a usable device the program must not start.
#   sound_linux.sh ZORVENDALE ZORVENDALE_REPLAY
set -euo pipefail
program=$1
replay=$2
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
server="zv-sound-$$"
cleanup() {
    tmux -L "$server" kill-server 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The bounce sound as described: silence, fourteen loud bytes, then silence to the end.
described_sound() {
    printf '\200\277\150\333\036\341\172\350\310\200\360\240\040\340\000'
    head -c 4785 /dev/zero | tr '\0' '\200'
}

now() { date +%s.%N; }

# Runs the program alone in a private tmux server, on an 80 by 45 terminal.
start_program() { # session config command...
    local session=$1 config=$2
    shift 2
    tmux -L "$server" -f /dev/null new-session -d -s "$session" -x 80 -y 45 \
        env LANG=C.UTF-8 ALSA_CONFIG_PATH="$config" "$@"
}

wait_for_first_frame() { # session
    local deadline=$((SECONDS + 15)) # awk would print a time of day as 1.79681e+09
    until tmux -L "$server" capture-pane -p -t "$1" 2>/dev/null | grep -q '[^[:space:]]'; do
        ((SECONDS < deadline)) || fail "no frame drawn within 15 s"
        sleep 0.02
    done
}

wait_for_exit() { # pid seconds
    local i
    for ((i = 0; i < $2 * 20; i++)); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.05
    done
    fail "the program still runs $2 s after SIGTERM"
}

described_sound >"$work/sound"
"$replay" --wave - >"$work/replayed"
cmp -s "$work/sound" "$work/replayed" || fail "the replay tool's sound differs from the description"

# Past the third floor bounce (at about 0.8 s and every 2.3 s after), short of the fourth unless
# the first frame was seen late; a bounce within a tenth of a second of the end may not be played.
run_seconds=6.6
capture="$work/capture.raw"
printf 'pcm.!default { type file slave { pcm { type null } } file "%s" format "raw" }\n' \
    "$capture" >"$work/file.conf"
started=$(now)
start_program sound "$work/file.conf" "$program"
pid=$(tmux -L "$server" display -p -t sound '#{pane_pid}')
wait_for_first_frame sound
seen=$(now)
sleep "$run_seconds"
ending=$(now)
kill -TERM "$pid"
wait_for_exit "$pid" 3
ended=$(now)

[[ -f $capture ]] || fail "nothing was recorded"
least=$(awk -v a="$seen" -v b="$ending" 'BEGIN { print b - a - 0.1 }')
most=$(awk -v a="$started" -v b="$ended" 'BEGIN { print b - a }')
python3 "$here/sound_copies.py" --wide "$capture" "$replay" "$least" "$most" ||
    fail "the sound is not one copy per floor bounce in $least to $most s"

# A default device that cannot open: start-up fails with exit status 1.
printf 'pcm.!default { type hw card 29 }\n' >"$work/none.conf"
start_program nodevice "$work/none.conf" sh -c '"$0"; echo $? >"$1"' "$program" "$work/status"
for ((i = 0; i < 200; i++)); do
    [[ -s "$work/status" ]] && break
    sleep 0.05
done
[[ -s "$work/status" ]] || fail "without a sound device the program did not end within 10 s"
status=$(cat "$work/status")
[[ $status == 1 ]] || fail "without a sound device the program ended with $status, not 1"
echo "no device: exit status 1"
