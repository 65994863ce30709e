#!/bin/sh
# Without a controlling terminal there is no console: the program ends at once with status 1,
# writing nothing.
# usage: terminal_no_tty.sh PROGRAM
PROGRAM=$1
WORK=$(mktemp -d /tmp/zorvendale-e2e.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

start=$(date +%s%N)
timeout 10 setsid -w "$PROGRAM" </dev/null >"$WORK/out" 2>&1
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
    echo "FAIL: wrote output:"
    head -c 300 "$WORK/out"
    failures=1
fi
[ "$failures" -eq 0 ] && echo "all checks passed"
exit "$failures"
