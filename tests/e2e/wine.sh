#!/usr/bin/env bash
# The 64-bit Windows program under Wine, on a private X server and in a fresh Wine prefix:
#  - its console, read from outside: titled "Zorvendale", a 60 by 40 window over a 60 by 40
#    buffer, the cursor hidden, and a frame of the picture (only its eight cell kinds, the ball
#    among them);
#  - its sound, played into a file-backed ALSA device: whole, exact copies of the replay tool's
#    bounce sound, one for each of its floor bounces in the time the program ran, as the reader
#    measured it, and silence around them;
#  - without a usable audio device: exit code 1, and its console window gone.
#   wine.sh ZORVENDALE_X86_64_EXE ZORVENDALE_REPLAY
# With the program missing and ZORVENDALE_NO_WINDOWS_BUILD=1 set, the check is skipped (77).
set -euo pipefail
program=$1
replay=$(realpath "$2") # the checks run from a scratch folder
here=$(cd "$(dirname "$0")" && pwd)

if [[ ! -e $program && ${ZORVENDALE_NO_WINDOWS_BUILD:-} == 1 ]]; then
    echo "SKIP: the Windows program was not built (ZORVENDALE_NO_WINDOWS_BUILD=1)"
    exit 77
fi
# Wine runs the Windows programs of the processor it was built for: an ARM machine's can't run this.
if [[ $(uname -m) != x86_64 ]]; then
    echo "SKIP: Wine on this $(uname -m) machine can't run an x86-64 Windows program"
    exit 77
fi
[[ -f $program ]] || {
    echo "FAIL: $program is missing" >&2
    exit 1
}

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    if [[ -d $work/prefix ]]; then
        WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
        WINEPREFIX=$work/prefix wineserver -w 2>/dev/null || true
    fi
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

. "$here/xvfb.sh"

export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine would take PulseAudio before ALSA; with no server it goes to ALSA and its configuration.
export PULSE_SERVER=unix:/nonexistent
wine wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot: $(tail -5 "$work/wineboot.log")"
wineserver -w

x86_64-w64-mingw32-g++ -std=c++20 -O2 -static -Wall -Wextra -Werror \
    -o "$work/console_reader.exe" "$here/wine/console_reader.cpp"
cp "$program" "$work/zorvendale.exe"
cd "$work"

file_device() { # capture file
    printf 'pcm.!default { type file slave { pcm { type null } } file "%s" format "raw" }\n' "$1"
}

window_count() { xdotool search --name '^Zorvendale$' 2>/dev/null | wc -l; }

# The console, once the first frame is on it.
file_device "$work/screen.raw" >screen.conf
ALSA_CONFIG_PATH=$work/screen.conf wine console_reader.exe zorvendale.exe screen.txt ||
    fail "console_reader could not read the program's console"
python3 "$here/wine/checks.py" screen screen.txt || fail "the console is not as expected"
echo "console: title, 60 by 40, cursor hidden, a frame of the picture"

# The sound, over seven seconds from the first frame seen. The program's clock ran at least that
# long and at most from its start to its end; the bounces of its last second may not have reached
# the file, which Wine's audio buffer and ALSA's keep behind, and the last copy may be cut short.
# The window is looked for while the program runs, so that its absence below means something.
file_device "$work/sound.raw" >sound.conf
ALSA_CONFIG_PATH=$work/sound.conf wine console_reader.exe zorvendale.exe run.txt 7 &
reader=$!
seen=0
for _ in $(seq 100); do
    (($(window_count) > 0)) && seen=1 && break
    sleep 0.1
done
wait "$reader" || fail "console_reader could not run the program"
((seen == 1)) || fail "no X window named Zorvendale while the program ran"
read -r state seen_ms total_ms <run.txt
[[ $state == running ]] || fail "the program stopped by itself: $(cat run.txt)"
[[ -f sound.raw ]] || fail "nothing was played"
least=$(awk -v ms="$seen_ms" 'BEGIN { print ms / 1000 - 1 }')
most=$(awk -v ms="$total_ms" 'BEGIN { print ms / 1000 }')
echo "the program ran ${seen_ms} ms from its first frame seen, ${total_ms} ms from its start"
python3 "$here/sound_copies.py" --cut --stall sound.raw "$replay" "$least" "$most" ||
    fail "the sound is not one copy per floor bounce in $least to $most s"

# No usable audio device: the default PCM names a card that does not exist.
printf 'pcm.!default { type hw card 99 }\n' >broken.conf
ALSA_CONFIG_PATH=$work/broken.conf wine console_reader.exe zorvendale.exe broken.txt 2>/dev/null ||
    fail "console_reader could not run the program"
[[ $(cat broken.txt) == "exit 1" ]] || fail "without audio the program gave $(cat broken.txt)"
for _ in $(seq 50); do
    (($(window_count) == 0)) && break
    sleep 0.1
done
(($(window_count) == 0)) || fail "the console window stayed after the failed start-up"
echo "without audio: exit code 1, no window left"
echo "PASS"
