#!/bin/sh
# The manual page renders without a warning from either formatter, and has the sections a reader
# looks for.
# usage: man_page.sh PAGE
PAGE=$1
. "$(dirname "$0")/common.sh"

mandoc -T lint -W warning "$PAGE" >"$WORK/mandoc" 2>&1 || fail "mandoc -T lint: $(cat "$WORK/mandoc")"
groff -man -ww -z "$PAGE" >"$WORK/groff" 2>&1
[ -s "$WORK/groff" ] && fail "groff -man -ww: $(cat "$WORK/groff")"
grep -q '@' "$PAGE" && fail "a placeholder is left: $(grep '@' "$PAGE")"

for section in NAME SYNOPSIS DESCRIPTION OPTIONS KEYS "EXIT STATUS" ENVIRONMENT \
    "WHAT IT DOES ON PURPOSE"; do
    grep -Eq "^\\.SH \"?$section\"?\$" "$PAGE" || fail "no section $section"
done
for word in --silent --colours --help --version TERM LC_ALL LC_CTYPE LANG COLORTERM TMUX \
    ALSA_CONFIG_PATH; do
    grep -q -- "$(echo "$word" | sed 's/-/\\\\-/g')" "$PAGE" || fail "$word is not described"
done

finish
