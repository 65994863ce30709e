#!/usr/bin/env bash
# The terminal program's sound. Played into a file-backed null ALSA device, it must leave whole,
# exact copies of the 4,800-byte bounce sound, one per accepted play, at least one per floor
# bounce, and nothing else; without a usable device the program must not start.
#   sound_linux.sh ZORVENDALE ZORVENDALE_REPLAY
set -euo pipefail
program=$1
replay=$2

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
later_than() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# Runs the program alone in a private tmux server, on an 80 by 45 terminal.
start_program() { # session config command...
    local session=$1 config=$2
    shift 2
    tmux -L "$server" -f /dev/null new-session -d -s "$session" -x 80 -y 45 \
        env LANG=C.UTF-8 ALSA_CONFIG_PATH="$config" "$@"
}

wait_for_first_frame() { # session
    local deadline
    deadline=$(awk -v t="$(now)" 'BEGIN { print t + 15 }')
    until tmux -L "$server" capture-pane -p -t "$1" 2>/dev/null | grep -q '[^[:space:]]'; do
        later_than "$(now)" "$deadline" && fail "no frame drawn within 15 s"
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

# Floor bounces of the start values, on the clock, from a frame every millisecond: the first comes
# at about 0.8 s and one about every 2.3 s after. Run past the third, well before the fourth.
run_ms=6600
bounces=$(seq 0 $((run_ms - 500)) | "$replay" | awk '$8 == 1' | wc -l)
[[ $bounces -ge 3 ]] || fail "expected several floor bounces by $run_ms ms, the replay has $bounces"

capture="$work/capture.raw"
printf 'pcm.!default { type file slave { pcm { type null } } file "%s" format "raw" }\n' \
    "$capture" >"$work/file.conf"
start_program sound "$work/file.conf" "$program"
pid=$(tmux -L "$server" display -p -t sound '#{pane_pid}')
wait_for_first_frame sound
sleep "$(awk -v ms=$run_ms 'BEGIN { print ms / 1000 }')"
kill -TERM "$pid"
wait_for_exit "$pid" 3

[[ -f $capture ]] || fail "nothing was recorded"
size=$(stat -c %s "$capture")
((size % 4800 == 0)) || fail "the recording holds $size bytes: not whole copies of 4,800"
copies=$((size / 4800))
((copies >= bounces)) || fail "$copies copies recorded for $bounces floor bounces"
for ((i = 0; i < copies; i++)); do
    cmp -s -i "$((i * 4800)):0" -n 4800 "$capture" "$work/sound" || fail "copy $i differs"
done
echo "sound: $copies exact copies for $bounces floor bounces"

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
