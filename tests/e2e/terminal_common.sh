# Shared by the terminal end-to-end scripts: a private tmux server whose one pane runs a small
# driver, which starts the program (recording its process id), records how it ended and prints a
# line after it, so that the pane can be read while the program runs and after it has ended, and
# keeps every byte the pane receives in $WORK/bytes. Sourced; expects PROGRAM to be set, takes the
# program's arguments from PROGRAM_ARGS, and the replay tool from REPLAY where a check needs it.

set -u

HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d /tmp/zorvendale-e2e.XXXXXX)
SERVER_BASE="zorvendale-e2e-$$-$(date +%s%N)"
SERVER=$SERVER_BASE
STARTS=0
PANE_COLUMNS=80
PANE_ROWS=45
TMUX_CONFIG=/dev/null
PICTURE_SCREEN=1 # the pane's alternate_on while the picture shows
PANE_WRAPPER=    # a command, such as a terminal multiplexer, that the pane runs the driver in
FAILURES=0
PROGRAM_ARGS=${PROGRAM_ARGS:-}

cleanup() {
    if [ -s "$WORK/pid" ]; then
        kill -KILL "$(cat "$WORK/pid")" 2>/dev/null
    fi
    # Every pane's server, not the last alone: a check may start several.
    start=0
    while [ "$start" -le "$STARTS" ]; do
        server=$SERVER_BASE-$start
        [ "$start" = 0 ] && server=$SERVER_BASE
        tmux -L "$server" kill-server 2>/dev/null
        start=$((start + 1))
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    FAILURES=$((FAILURES + 1))
}

# The sound device: a file behind a null device, so that start-up succeeds on a machine without a
# sound card.
cat >"$WORK/alsa.conf" <<CONF
pcm.!default { type file slave { pcm { type null } } file "$WORK/sound.raw" format "raw" }
CONF

# driver RUNS: runs the program RUNS times in a row in the pane. Before each run it titles the pane,
# prints a line and notes the terminal's settings; after it, it records the status and the
# settings and prints another line, then waits for the file go.N before the next run.
cat >"$WORK/driver.sh" <<'DRIVER'
#!/bin/sh
work=$1 program=$2 runs=$3
shift 3
ulimit -c 0
run=1
while [ "$run" -le "$runs" ]; do
    printf '\033]2;before-title\007'
    printf 'before-start %s\n' "$run"
    stty -g >"$work/settings.before.$run"
    sh -c 'echo $$ >"$1/pid.new" && mv "$1/pid.new" "$1/pid" && shift && exec "$@"' sh "$work" \
        "$program" "$@"
    echo $? >"$work/status.new"
    stty -g >"$work/settings.after.$run"
    mv "$work/status.new" "$work/status.$run"
    printf 'after-exit %s\n' "$run"
    while [ ! -e "$work/go.$run" ]; do sleep 0.02; done
    run=$((run + 1))
done
exec sleep 600
DRIVER

# start_pane RUNS [VAR=VALUE...]: a new tmux server running the driver, with the environment given.
# TMUX is unset unless KEEP_TMUX=1, so that the program asks the pane for its colours as it asks a
# terminal. The pane's bytes are piped from the first, in the command that makes the pane.
start_pane() {
    runs=$1
    shift
    # A server of its own each time: a new one under the name of one just killed may meet its end.
    STARTS=$((STARTS + 1))
    SERVER=$SERVER_BASE-$STARTS
    unset_tmux="-u TMUX"
    [ "${KEEP_TMUX:-0}" = 1 ] && unset_tmux=
    tmux -L "$SERVER" -f "$TMUX_CONFIG" new-session -d -x "$PANE_COLUMNS" -y "$PANE_ROWS" \
        $PANE_WRAPPER env $unset_tmux LANG=C.UTF-8 LC_ALL= ALSA_CONFIG_PATH="$WORK/alsa.conf" \
        PULSE_SERVER=unix:/nonexistent COLORTERM= "$@" \
        sh "$WORK/driver.sh" "$WORK" "$PROGRAM" "$runs" $PROGRAM_ARGS \; \
        pipe-pane -o "cat >>'$WORK/bytes'"
}

# random_below N: a random whole number from 0 to N - 1.
random_below() {
    echo $(($(od -An -N4 -tu4 /dev/urandom) % $1))
}

pane() {
    tmux -L "$SERVER" display -p "$1" 2>/dev/null
}

# wait_for FILE SECONDS: true once FILE exists.
wait_for() {
    tries=$(($2 * 50))
    while [ ! -e "$1" ] && [ "$tries" -gt 0 ]; do
        sleep 0.02
        tries=$((tries - 1))
    done
    [ -e "$1" ]
}

# until_seen SECONDS COMMAND...: runs COMMAND until it succeeds, for up to SECONDS; its status.
until_seen() {
    deadline=$(($(date +%s) + $1))
    shift
    until "$@"; do
        [ "$(date +%s)" -ge "$deadline" ] && return 1
        sleep 0.02
    done
}

# wait_for_picture SECONDS: true once the pane shows the alternate screen (or the main one, after
# PICTURE_SCREEN=0) with the cursor hidden; the checks of the picture wait for it in turn.
picture_screen() {
    [ "$(pane '#{alternate_on}#{cursor_flag}')" = "${PICTURE_SCREEN}0" ]
}
wait_for_picture() {
    until_seen "$1" picture_screen
}

# start_seen LABEL [VAR=VALUE...]: starts the program once in a new pane with the environment
# given and waits for its picture; false, with the server gone, when none comes within 10 s.
start_seen() {
    label=$1
    shift
    start_pane 1 "$@"
    if ! wait_for_picture 10; then
        fail "$label: no picture within 10 s"
        tmux -L "$SERVER" capture-pane -p | head -5
        tmux -L "$SERVER" kill-server
        return 1
    fi
}

# stop_seen LABEL: ends the program start_seen started by SIGTERM, checks that the pane was given
# back, and ends the server.
stop_seen() {
    kill -TERM "$(cat "$WORK/pid")"
    wait_for "$WORK/status.1" 10 || fail "$1: did not end on SIGTERM"
    check_given_back 1 "$1"
    tmux -L "$SERVER" kill-server
    rm -f "$WORK/pid" "$WORK/status.1"
}

# shows_picture MODE: the pane shows the whole picture, drawn for MODE; why not in picture.log.
shows_picture() {
    tmux -L "$SERVER" capture-pane -p -e -N >"$WORK/capture"
    python3 "$HERE/terminal_picture.py" "$WORK/capture" "$PANE_COLUMNS" "$PANE_ROWS" "$1" \
        >"$WORK/picture.log"
}

# check_picture MODE LABEL: the pane shows the whole picture, drawn for MODE, within 10 s (after a
# start or a resize, the program draws it at its next update).
check_picture() {
    if ! until_seen 10 shows_picture "$1"; then
        fail "$2: picture not right"
        sed 's/^/    /' "$WORK/picture.log"
    fi
}

# shows_form FORM COLOURS [FRAME]: the pane shows the picture in FORM (half, cut or notice; see
# terminal_small.py), cell for cell as FRAME from the replay tool has it where one is given.
shows_form() {
    tmux -L "$SERVER" capture-pane -p -e -N >"$WORK/capture"
    python3 "$HERE/terminal_small.py" "$WORK/capture" "$PANE_COLUMNS" "$PANE_ROWS" "$1" "$2" \
        ${3:+"$3"} >"$WORK/form.log"
}

# check_form FORM COLOURS LABEL [FRAME]: shows_form within 10 s.
check_form() {
    if ! until_seen 10 shows_form "$1" "$2" ${4:+"$4"}; then
        fail "$3: not the $1 form"
        sed 's/^/    /' "$WORK/form.log"
    fi
}

# now_ms: the time, in milliseconds.
now_ms() {
    echo $(($(date +%s%N) / 1000000))
}

# replay_readings LAST: the replay tool's frame lines for the readings 0 to LAST, in
# $WORK/readings, as the program is handed them one by one.
replay_readings() {
    seq 0 "$1" | "$REPLAY" >"$WORK/readings" || fail "the replay tool failed"
}

# shown_readings: sets SHOWN_FIRST and SHOWN_LAST to the first and last reading whose frame the
# 80 by 45 pane shows, in 16 colours (see terminal_reading.py), and SHOWN_BEFORE and SHOWN_AFTER to
# the times (now_ms) just before and after it was read; false when it shows none of them.
shown_readings() {
    SHOWN_BEFORE=$(now_ms)
    tmux -L "$SERVER" capture-pane -p -e -N >"$WORK/capture"
    SHOWN_AFTER=$(now_ms)
    set -- $(python3 "$HERE/terminal_reading.py" "$WORK/capture" "$PANE_COLUMNS" "$PANE_ROWS" \
        "$WORK/readings" 2>"$WORK/reading.log")
    [ $# -eq 2 ] && SHOWN_FIRST=$1 SHOWN_LAST=$2
}

# shows_reading_from READING: the pane shows the frame of READING or a later one.
shows_reading_from() {
    shown_readings && [ "$SHOWN_LAST" -ge "$1" ]
}

# check_updates LABEL: in what the pane received, every update of the picture is bracketed by
# synchronized output (CSI ?2026h ... CSI ?2026l), none empty or inside another, with nothing of
# the picture outside; each restoring sequence (from its CAN on) first ends any update left open.
check_updates() {
    if ! python3 -B - "$WORK/bytes" >"$WORK/updates.log" 2>&1 <<'CHECK'
import re
import sys
data = open(sys.argv[1], "rb").read()
# Updates, whole or cut short by the way out; the way out; and what else may come outside an
# update: entering and leaving (with the clearing before), the title, the cursor, the question
# of the terminal's colours.
UPDATE = rb"\x1b\[\?2026h(?:(?!\x1b\[\?2026h)[^\x18])+?(?:\x1b\[\?2026l|(?=\x18\x1b\[\?2026l))"
OUTSIDE = (rb"\x18\x1b\[\?2026l|\x1b\[\?(1049|7|25)[hl]|\x1b\[2[23];0t|\x1b\]2;[^\x07]*\x07|"
           rb"\x1b\[0m|\x1b\[H\x1b\[2J|\x1b\(B|\x1b\[38;2;1;2;3m\x1bP\$qm\x1b\\\x1b\[c\x1b\[m")
stray = re.search(rb"[\x18\x1b].{0,40}", re.sub(UPDATE + b"|" + OUTSIDE, b"", data), re.S)
if stray or b"\x1b[?2026h" not in data:
    sys.exit(f"not whole updates alone: {stray[0] if stray else 'no update at all'}")
CHECK
    then
        fail "$1: $(cat "$WORK/updates.log")"
    fi
}

# wait_for_text TEXT: waits up to 10 s for the pane to show TEXT.
wait_for_text() {
    tries=500
    while ! tmux -L "$SERVER" capture-pane -p | grep -qF "$1" && [ $tries -gt 0 ]; do
        sleep 0.02
        tries=$((tries - 1))
    done
}

# check_given_back RUN LABEL: after run RUN ended, the pane is as before it: main screen, cursor
# shown, title back, the terminal's settings back.
check_given_back() {
    cmp -s "$WORK/settings.before.$1" "$WORK/settings.after.$1" ||
        fail "$2: terminal settings not put back"
    [ "$(pane '#{alternate_on}')" = 0 ] || fail "$2: still on the alternate screen"
    [ "$(pane '#{cursor_flag}')" = 1 ] || fail "$2: cursor still hidden"
    [ "$(pane '#{pane_title}')" = before-title ] || fail "$2: title is '$(pane '#{pane_title}')'"
}

# check_restored RUN LABEL: check_given_back, and the line printed after the exit alone on its line
# in default colours.
check_restored() {
    check_given_back "$1" "$2"
    wait_for_text "after-exit $1"
    tmux -L "$SERVER" capture-pane -p -e >"$WORK/after"
    grep -q "^after-exit $1\$" "$WORK/after" || fail "$2: the line after the exit is not plain:
$(grep -a "after-exit $1" "$WORK/after" | cat -v)"
}

# check_pane_text plain|cleared TEXT LABEL: with plain, TEXT shows in the pane in default colours,
# wherever it lies (over the picture, when the terminal has no alternate screen); with cleared, the
# pane holds TEXT on its first line and nothing else, all in default colours: a terminal without an
# alternate screen is left as cleared as the program found it.
check_pane_text() {
    wait_for_text "$2"
    tmux -L "$SERVER" capture-pane -p -e >"$WORK/after"
    if ! python3 -B - "$HERE" "$WORK/after" "$1" "$2" 2>"$WORK/text.log" <<'CHECK'
import sys
sys.path.insert(0, sys.argv[1])
from terminal_picture import parse_lines
with open(sys.argv[2], encoding="utf-8") as f:
    lines = parse_lines(f.read().split("\n"))
mode, text = sys.argv[3:5]
shown = ["".join(glyph for glyph, _, _ in cells) for cells in lines]
if mode == "cleared":
    shown = [line.rstrip() for line in shown]
    coloured = sum(1 for cells in lines for cell in cells if cell[1:] != (None, None))
    if shown[0] != text or any(shown[1:]) or coloured:
        sys.exit(f"not cleared: first line {shown[0]!r}, {sum(map(bool, shown[1:]))} other lines "
                 f"not blank, {coloured} cells in colour")
    sys.exit(0)
for cells, line in zip(lines, shown):
    at = line.find(text)
    if at >= 0:
        colours = {cell[1:] for cell in cells[at:at + len(text)]}
        sys.exit(0 if colours == {(None, None)} else f"'{text}' in colours {colours}")
sys.exit(f"'{text}' not shown")
CHECK
    then
        fail "$3: $(cat "$WORK/text.log")"
    fi
}

# expect_status RUN STATUS LABEL
expect_status() {
    if ! wait_for "$WORK/status.$1" 10; then
        fail "$3: the program did not end"
        return
    fi
    status=$(cat "$WORK/status.$1")
    [ "$status" = "$2" ] || fail "$3: exit status $status, not $2"
}

finish() {
    if [ "$FAILURES" -ne 0 ]; then
        echo "$FAILURES check(s) failed"
        exit 1
    fi
    echo "all checks passed"
    exit 0
}
