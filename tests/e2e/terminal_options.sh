#!/bin/sh
# The terminal program's command line and keys: --help, --version, a refused option or argument,
# each with its own wording; --silent running without any sound device; other keys doing nothing,
# unechoed; q ending it with status 0, the terminal given back as on a signal and every update
# the terminal was sent whole.
# usage: terminal_options.sh PROGRAM VERSION
PROGRAM=$1
VERSION=$2
. "$(dirname "$0")/terminal_common.sh"

# run_plain LABEL ARGS...: runs the program outside any terminal, keeping status, stdout, stderr.
run_plain() {
    label=$1
    shift
    timeout 10 setsid -w "$PROGRAM" "$@" </dev/null >"$WORK/out" 2>"$WORK/err"
    status=$?
}

# expect_refusal LABEL REFUSAL ARGS...: status 2, nothing on stdout, and on stderr the one line
# "zorvendale: REFUSAL (see zorvendale --help)".
expect_refusal() {
    refusal=$2
    label=$1
    shift 2
    run_plain "$label" "$@"
    [ "$status" = 2 ] || fail "$label: exit status $status, not 2"
    [ -s "$WORK/out" ] && fail "$label: wrote to standard output"
    [ "$(cat "$WORK/err")" = "zorvendale: $refusal (see zorvendale --help)" ] ||
        fail "$label: standard error is not the one line '$refusal': $(cat "$WORK/err")"
}

run_plain "--help" --help
[ "$status" = 0 ] || fail "--help: exit status $status"
[ -s "$WORK/err" ] && fail "--help: wrote to standard error"
for text in 'Usage: zorvendale' '--silent' '--colours=direct' '--colours=16' '--version' '--help' \
    'q, Q'; do
    grep -q -F -- "$text" "$WORK/out" || fail "--help: no '$text' in the help"
done
run_plain "-h" -h
grep -q '^Usage: zorvendale' "$WORK/out" || fail "-h: no help"

run_plain "--version" --version
[ "$status" = 0 ] || fail "--version: exit status $status"
[ "$(cat "$WORK/out")" = "zorvendale $VERSION" ] || fail "--version: '$(cat "$WORK/out")'"

expect_refusal "unknown long option" "unknown option '--bogus'" --bogus=1
expect_refusal "unknown short option" "unknown option '-x'" -sx
expect_refusal "value to an option that takes none" "option '--silent' takes no value" --silent=yes
expect_refusal "stray argument" "unexpected argument 'stray'" -s stray
expect_refusal "colours neither direct nor 16" "--colours takes direct or 16, not '256'" \
    --colours=256
expect_refusal "colours without a value" "option '--colours' needs a value" -s --colours

# --silent with no sound device at all, then a key that must do nothing, then q.
: >"$WORK/no-devices.conf"
PROGRAM_ARGS=--silent
start_pane 1 ALSA_CONFIG_PATH="$WORK/no-devices.conf"
if wait_for_picture 10; then
    # An echoed key would show at the cursor until the ball's next move draws over it: look at once.
    for try in 1 2 3 4 5; do
        tmux -L "$SERVER" send-keys x
        tmux -L "$SERVER" capture-pane -p | grep -q x && fail "x: echoed on the pane"
    done
    # The keys are looked for right after each update: two updates after the x reached the pane,
    # the program has looked at it.
    for update in 1 2; do
        tmux -L "$SERVER" capture-pane -p -e >"$WORK/before-update"
        until_seen 10 sh -c '! tmux -L "$1" capture-pane -p -e | cmp -s - "$2"' sh "$SERVER" \
            "$WORK/before-update" || fail "x: the picture stopped moving"
    done
    [ -e "$WORK/status.1" ] && fail "x: the program ended"
    check_picture indexed "--silent, after typing x"
    tmux -L "$SERVER" send-keys q
    expect_status 1 0 "q"
    check_restored 1 "q"
    check_updates "q"
    stray=$(tmux -L "$SERVER" capture-pane -p | grep -v -e '^before-start 1$' -e '^after-exit 1$' -e '^$')
    [ -n "$stray" ] && fail "after q: the pane shows more than the driver's lines: $stray"
else
    fail "--silent: no picture within 10 s"
fi
[ -e "$WORK/sound.raw" ] && fail "--silent: sound went to the device"

finish
