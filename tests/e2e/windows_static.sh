#!/usr/bin/env bash
# The Windows program as built for 32-bit and 64-bit x86, checked without running it: a GUI
# program for the right machine, importing only the console, heap, counter and waveform-audio
# functions it is meant to use from KERNEL32 and WINMM, in at most 4,096 bytes with the usual
# alignments, with nothing the missing C runtime would have to set up, no debug directory and no
# time stamp.
#   windows_static.sh ZORVENDALE_I686_EXE ZORVENDALE_X86_64_EXE
# With both programs missing and ZORVENDALE_NO_WINDOWS_BUILD=1 set, the check is skipped (77).
set -euo pipefail
i686_exe=$1
x86_64_exe=$2
objdump=x86_64-w64-mingw32-objdump # reads both PE formats

if [[ ! -e $i686_exe && ! -e $x86_64_exe && ${ZORVENDALE_NO_WINDOWS_BUILD:-} == 1 ]]; then
    echo "SKIP: the Windows programs were not built (ZORVENDALE_NO_WINDOWS_BUILD=1)"
    exit 77
fi

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

allowed_functions="AllocConsole GetStdHandle SetConsoleTitleA SetConsoleDisplayMode
SetConsoleWindowInfo SetConsoleScreenBufferSize SetConsoleCursorInfo WriteConsoleOutputA
FreeConsole GetProcessHeap HeapAlloc HeapFree QueryPerformanceFrequency QueryPerformanceCounter
ExitProcess waveOutOpen waveOutPrepareHeader waveOutWrite waveOutUnprepareHeader waveOutClose"

header_field() { # headers name: the first word after the field's name
    awk -v name="$2" '$1 == name { print $2; exit }' <<<"$1"
}

# Imports as "DLL function" lines, DLL names in capitals.
imports() { # exe
    "$objdump" -p "$1" | awk '
        /^\tDLL Name: / { dll = toupper($3); next }
        /^$/ { dll = "" }
        dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_][A-Za-z0-9_]*$/ { print dll, $3 }' |
        sort -u
}

check() { # exe format magic
    local exe=$1 format=$2 magic=$3 headers size dll function
    if [[ ! -f $exe ]]; then
        fail "$exe is missing"
        return
    fi
    "$objdump" -f "$exe" | grep -q "file format $format\$" || fail "$exe is not $format"
    headers=$("$objdump" -p "$exe")
    [[ $(header_field "$headers" Magic) == "$magic" ]] || fail "$exe: optional header is not $magic"
    [[ $(header_field "$headers" Subsystem) == 00000002 ]] || fail "$exe is not a GUI program"
    [[ $((16#$(header_field "$headers" FileAlignment))) -eq 512 ]] ||
        fail "$exe: file alignment is not 512"
    [[ $((16#$(header_field "$headers" SectionAlignment))) -eq 4096 ]] ||
        fail "$exe: section alignment is not 4096"
    # Thread-local storage needs the runtime's callbacks; without relocations the image must not
    # ask to be moved.
    grep -Eq '^Entry 9 0+ 0+ ' <<<"$headers" || fail "$exe has a TLS directory"
    # Nothing that differs from one build to the next, nor a path to the build's symbols.
    grep -Eq '^Entry 6 0+ 0+ ' <<<"$headers" || fail "$exe has a debug directory"
    grep -q '^Time/Date.*1970$' <<<"$headers" || fail "$exe carries a time stamp"
    if (($((16#$(header_field "$headers" DllCharacteristics))) & 0x40)); then
        grep -Eq '^Entry 5 0+ 0+ ' <<<"$headers" && fail "$exe asks to be moved but has no relocations"
    fi

    size=$(stat -c %s "$exe")
    echo "$exe: $size bytes"
    ((size <= 4096)) || fail "$exe holds $size bytes, more than 4,096"

    local list
    list=$(imports "$exe")
    if [[ -z $list ]]; then
        fail "$exe imports nothing: its import table is not where the loader looks"
        return
    fi
    [[ $(cut -d' ' -f1 <<<"$list" | sort -u | tr '\n' ' ') == "KERNEL32.DLL WINMM.DLL " ]] ||
        fail "$exe imports from $(cut -d' ' -f1 <<<"$list" | sort -u | tr '\n' ' ')"
    while read -r dll function; do
        grep -qw -- "$function" <<<"$allowed_functions" || fail "$exe imports $dll $function"
    done <<<"$list"
}

check "$i686_exe" pei-i386 010b
check "$x86_64_exe" pei-x86-64 020b

if ((failures > 0)); then
    exit 1
fi
echo "both Windows programs pass"
