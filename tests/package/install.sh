#!/bin/sh
# `cmake --install` into an empty prefix puts there the program, its manual page and its
# documentation, and nothing else.
# usage: install.sh BUILD_DIR PROGRAM SOURCE_DIR
BUILD=$1 PROGRAM=$2 SOURCE=$3
. "$(dirname "$0")/common.sh"

cmake --install "$BUILD" --prefix "$WORK/prefix" >"$WORK/log" 2>&1 || {
    cat "$WORK/log"
    echo "FAIL: cmake --install failed"
    exit 1
}

(cd "$WORK/prefix" && find . ! -type d | sort) >"$WORK/files"
cat >"$WORK/expected" <<FILES
./bin/zorvendale
./share/doc/zorvendale/LICENSE
./share/doc/zorvendale/README.md
./share/man/man6/zorvendale.6
FILES
diff -u "$WORK/expected" "$WORK/files" >"$WORK/diff" || fail "installed files differ: $(cat "$WORK/diff")"

installed=$WORK/prefix
[ -x "$installed/bin/zorvendale" ] || fail "the program is not executable"
cmp -s "$PROGRAM" "$installed/bin/zorvendale" || fail "the installed program is not the one built"
cmp -s "$SOURCE/README.md" "$installed/share/doc/zorvendale/README.md" || fail "README.md differs"
cmp -s "$SOURCE/LICENSE" "$installed/share/doc/zorvendale/LICENSE" || fail "LICENSE differs"
grep -q '^\.TH ZORVENDALE 6 ' "$installed/share/man/man6/zorvendale.6" ||
    fail "the manual page has no title line for section 6"
for file in share/doc/zorvendale/LICENSE share/doc/zorvendale/README.md share/man/man6/zorvendale.6
do
    [ "$(stat -c %a "$installed/$file")" = 644 ] || fail "$file is not mode 644"
done

finish
