#!/usr/bin/env bash
# The committed docs/zorvendale.exe and docs/zorvendale-x64.exe must be what
# scripts/make-windows-programs makes from the current sources, and every Windows build must be
# reproducible: the sources are copied to another folder, whose path differs from the checkout's,
# and built there with every Windows preset; the mingw-w64 executables must equal the committed
# ones and the checkout's builds, the clang-cl ones the checkout's builds.
#   windows_committed.sh SOURCE_DIR WINDOWS_DIR
# WINDOWS_DIR holds the checkout's windows-* and clang-cl-* preset builds. With none of them
# there and ZORVENDALE_NO_WINDOWS_BUILD=1 set, the check is skipped (77).
set -euo pipefail
source=$1
builds=$2
presets=(windows-i686 windows-x86_64 clang-cl-i686 clang-cl-x86_64)

built=0
for preset in "${presets[@]}"; do
    [[ -e $builds/$preset/zorvendale.exe ]] && built=1
done
if ((built == 0)) && [[ ${ZORVENDALE_NO_WINDOWS_BUILD:-} == 1 ]]; then
    echo "SKIP: the Windows programs were not built (ZORVENDALE_NO_WINDOWS_BUILD=1)"
    exit 77
fi
for compiler in i686-w64-mingw32-g++ x86_64-w64-mingw32-g++ clang-cl-14 lld-link; do
    if ! command -v "$compiler" >/dev/null; then
        echo "FAIL: $compiler is missing (scripts/install-packages test installs it)" >&2
        exit 1
    fi
done

work=$(mktemp -d /tmp/zorvendale-windows.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/another/copy"
copy=$work/another/copy
cp -r "$source"/{CMakeLists.txt,CMakePresets.json,cmake,scripts,src,tools} "$copy/"
"$copy/scripts/make-windows-programs" >/dev/null
for preset in clang-cl-i686 clang-cl-x86_64; do
    cmake --preset "$preset" -S "$copy" >/dev/null
    cmake --build "$copy/build/$preset" -j "$(nproc)" >/dev/null
done

failures=0
for name in zorvendale.exe zorvendale-x64.exe; do
    if ! cmp -s "$copy/docs/$name" "$source/docs/$name"; then
        echo "FAIL: docs/$name is not what the sources make: run scripts/make-windows-programs" \
            "and commit docs/zorvendale.exe, docs/zorvendale-x64.exe and their SHA-256s in" \
            "README.md" >&2
        failures=$((failures + 1))
    fi
done
for preset in "${presets[@]}"; do
    exe=$builds/$preset/zorvendale.exe
    if [[ ! -f $exe ]]; then
        echo "FAIL: $exe is missing: build the $preset preset" >&2
        failures=$((failures + 1))
    elif ! cmp -s "$copy/build/$preset/zorvendale.exe" "$exe"; then
        echo "FAIL: $exe differs from a build of the same sources in another folder" \
            "(or is older than the sources: build the $preset preset)" >&2
        failures=$((failures + 1))
    fi
done
for name in zorvendale.exe zorvendale-x64.exe; do
    sum=$(sha256sum "$source/docs/$name" | cut -d' ' -f1)
    if ! grep -q "$sum" "$source/README.md"; then
        echo "FAIL: README.md does not give docs/$name's SHA-256, $sum" >&2
        failures=$((failures + 1))
    fi
done
((failures == 0)) || exit 1
echo "ok: docs/zorvendale.exe and docs/zorvendale-x64.exe are what the current sources make," \
    "and each Windows preset built in another folder gives the same bytes as here"
