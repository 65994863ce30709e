#!/bin/sh
# Without a controlling terminal there is no console: the program ends at once with status 1,
# saying why in one line on standard error and writing nothing else.
# usage: terminal_no_tty.sh PROGRAM
PROGRAM=$1
WORK=$(mktemp -d /tmp/zorvendale-e2e.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

start=$(date +%s%N)
timeout 10 setsid -w "$PROGRAM" </dev/null >"$WORK/out" 2>"$WORK/err"
status=$?
elapsed_ms=$((($(date +%s%N) - start) / 1000000))

failures=0
if [ "$status" -ne 1 ]; then
    echo "FAIL: exit status $status, not 1"
    failures=1
fi
if [ "$elapsed_ms" -gt 2000 ]; then
    echo "FAIL: took $elapsed_ms ms to give up"
    failures=1
fi
if [ -s "$WORK/out" ]; then
    echo "FAIL: wrote to standard output:"
    head -c 300 "$WORK/out"
    failures=1
fi
if [ "$(wc -l <"$WORK/err")" -ne 1 ] || ! grep -q '^zorvendale: no terminal to draw in (/dev/tty: .*)$' "$WORK/err"; then
    echo "FAIL: standard error is not the one line saying why:"
    head -c 300 "$WORK/err"
    failures=1
fi
[ "$failures" -eq 0 ] && echo "all checks passed"
exit "$failures"
