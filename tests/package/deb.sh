#!/bin/sh
# The Debian package, made by CPack from this build into a scratch folder: its name, control
# fields, files and their owners; its program, extracted (never installed), runs, under the
# emulator given when built for another processor, on nothing but the libraries of its Depends;
# lintian finds no error in it.
# usage: deb.sh CPACK_CONFIG VERSION SOURCE_DIR ARCHITECTURE [EMULATOR...]
CONFIG=$1 VERSION=$2 SOURCE=$3 ARCH=$4
shift 4
. "$(dirname "$0")/common.sh"

cpack --config "$CONFIG" -B "$WORK/out" >"$WORK/log" 2>&1 || {
    cat "$WORK/log"
    echo "FAIL: cpack failed"
    exit 1
}
DEB=$WORK/out/zorvendale_${VERSION}_${ARCH}.deb
[ -f "$DEB" ] || {
    echo "FAIL: no $DEB; made: $(ls "$WORK/out")"
    exit 1
}

field() { dpkg-deb -f "$DEB" "$1"; }
[ "$(field Package)" = zorvendale ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$VERSION" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$ARCH" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
# dpkg-shlibdeps names each library with the lowest version the program needs.
for library in libasound2 libc6; do
    field Depends | tr ',' '\n' | grep -Eq "^ *$library \\(>= [0-9]" ||
        fail "Depends does not name $library with a version: $(field Depends)"
done

# Policy: games in /usr/games, manual page and changelog compressed, the licence as copyright.
dpkg-deb -c "$DEB" >"$WORK/listing"
awk '$1 !~ /^d/ {print $6}' "$WORK/listing" | sort >"$WORK/files"
cat >"$WORK/expected" <<FILES
./usr/games/zorvendale
./usr/share/doc/zorvendale/README.md
./usr/share/doc/zorvendale/changelog.gz
./usr/share/doc/zorvendale/copyright
./usr/share/man/man6/zorvendale.6.gz
FILES
diff -u "$WORK/expected" "$WORK/files" >"$WORK/diff" || fail "packaged files differ: $(cat "$WORK/diff")"
awk '$2 != "root/root" {print}' "$WORK/listing" >"$WORK/owners"
[ -s "$WORK/owners" ] && fail "not owned by root: $(cat "$WORK/owners")"

dpkg-deb -x "$DEB" "$WORK/root"
files=$WORK/root/usr/share
file "$WORK/root/usr/games/zorvendale" >"$WORK/file"
grep -q ', stripped' "$WORK/file" || fail "the program is not stripped"
# Built for the architecture the package says, which the libraries of Depends are for.
case $ARCH in
    amd64) machine=x86-64 ;;
    arm64) machine='ARM aarch64' ;;
    armhf) machine='32-bit LSB .* ARM, EABI5' ;;
    *) machine="unknown architecture $ARCH" ;;
esac
grep -q "$machine" "$WORK/file" || fail "not a program for $ARCH: $(cat "$WORK/file")"
cmp -s "$SOURCE/LICENSE" "$files/doc/zorvendale/copyright" || fail "copyright is not the licence"
gzip -dc "$files/doc/zorvendale/changelog.gz" | cmp -s "$SOURCE/packaging/changelog" - ||
    fail "changelog.gz is not packaging/changelog"
gzip -dc "$files/man/man6/zorvendale.6.gz" | grep -q '^\.TH ZORVENDALE 6 ' ||
    fail "zorvendale.6.gz is not the manual page"
# Away from any terminal, so that a program that ignored the option could not take one over.
version=$(timeout 10 setsid -w "$@" "$WORK/root/usr/games/zorvendale" --version </dev/null 2>&1)
[ "$version" = "zorvendale $VERSION" ] || fail "--version printed '$version'"

# lintian only reads a package built here, so running it as root (as CI does) is safe.
lintian --allow-root --fail-on error "$DEB" >"$WORK/lintian" 2>&1 || fail "lintian:"
cat "$WORK/lintian"

finish
