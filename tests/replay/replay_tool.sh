#!/usr/bin/env bash
# The replay tool's interface: the frame line's fields, the cell dump, the hash over the cells, the
# bounce sound as WAV and raw bytes, and how readings that aren't readings are refused. Given a
# second replay tool (this machine's, when the first was built for another processor), both must
# print the same bytes, every frame's cells and the sound, for a long run of mixed readings.
# usage: replay_tool.sh REPLAY [REFERENCE_REPLAY]
set -u
replay=$1
reference=${2:-}
work=$(mktemp -d /tmp/zorvendale-replay.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # description, then a command that must succeed
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

# Two 80 ms steps from the start, worked out in double and rounded to float at each store.
printf '80\n\n  160\r\n' | "$replay" >"$work/lines"
check "a line per reading, blank lines skipped" test "$(wc -l <"$work/lines")" = 2
check "each frame's motion fields" python3 - "$work/lines" <<'PY'
import struct, sys
f32 = lambda v: struct.unpack('<f', struct.pack('<f', v))[0]
bits = lambda v: struct.pack('>f', v).hex()
vx = 1.0
x, y, vy = 10.0, 10.0, 1.0
expected = []
for frame, now in ((1, 80), (2, 160)):
    step = f32(80 / 80.0)
    x, y = f32(x + vx * step), f32(y + vy * step)
    vy = f32(vy + step * f32(0.2))
    expected.append('%d %d %s %s %s %s 1 0 0' % (frame, now, bits(x), bits(y), bits(vx), bits(vy)))
got = [' '.join(line.split(' ')[:9]) for line in open(sys.argv[1]).read().splitlines()]
assert got == expected, (got, expected)
PY
check "a 16-digit hash" grep -qE ' [0-9a-f]{16}$' "$work/lines"

# The hash is FNV-1a over each cell's character, 0, attribute low byte and attribute high byte.
seq 0 100 1500 | "$replay" --frames >"$work/frames"
check "40 rows of 60 cc:aa cells after each line" python3 - "$work/frames" <<'PY'
import re, sys
lines = open(sys.argv[1]).read().splitlines()
assert len(lines) == 16 * 41, len(lines)
for f in range(16):
    head, rows = lines[f * 41], lines[f * 41 + 1:f * 41 + 41]
    cells = [c for row in rows for c in row.split(' ')]
    assert all(len(row.split(' ')) == 60 for row in rows)
    assert all(re.fullmatch(r'[0-9a-f]{2}:[0-9a-f]{2}', c) for c in cells)
    h = 0xcbf29ce484222325
    for c in cells:
        for b in (int(c[:2], 16), 0, int(c[3:], 16), 0):
            h = ((h ^ b) * 0x100000001b3) % 2**64
    assert head.split(' ')[-1] == '%016x' % h, (f, head)
    assert cells[0] == 'db:77' and cells[-1] == 'db:77'  # border corners
    assert cells[36 * 60 + 8] == 'c5:75' and cells[36 * 60 + 9] == 'c4:75'  # floor rows
PY

# Readings must be unsigned 32-bit decimals; the first bad one stops the run with status 2.
printf '10\n4294967295\n0x10\n20\n' | "$replay" >"$work/out" 2>"$work/err"
status=$?
check "a bad reading exits with status 2" test "$status" = 2
check "the frames before it are printed" test "$(wc -l <"$work/out")" = 2
check "the error names the line" grep -q 'line 3' "$work/err"
for bad in 4294967296 -1 '+5' '1 2' '' ; do
    [ -z "$bad" ] && continue
    printf '%s\n' "$bad" | "$replay" >/dev/null 2>&1
    check "refuses '$bad'" test $? = 2
done

# The bounce sound: raw bytes, and the same bytes in a WAV file with the program's format.
"$replay" --wave - >"$work/raw"
"$replay" --wave "$work/bounce.wav"
check "4,800 raw bytes" test "$(stat -c %s "$work/raw")" = 4800
check "a WAV file of 8-bit stereo at 11,025 Hz around the same bytes" python3 - "$work" <<'PY'
import struct, sys
raw = open(sys.argv[1] + '/raw', 'rb').read()
wav = open(sys.argv[1] + '/bounce.wav', 'rb').read()
assert wav[:4] == b'RIFF' and wav[8:16] == b'WAVEfmt ' and wav[36:40] == b'data'
assert struct.unpack('<I', wav[4:8])[0] == len(wav) - 8
assert struct.unpack('<IHHIIHH', wav[16:36]) == (16, 1, 2, 11025, 22050, 2, 8)
assert struct.unpack('<I', wav[40:44])[0] == 4800 and wav[44:] == raw
assert list(raw[:15]) == [128, 191, 104, 219, 30, 225, 122, 232, 200, 128, 240, 160, 32, 224, 0]
assert set(raw[15:]) == {128}
PY

# The last frame alone: the same picture --png saves for it, and nothing without frames.
seq 0 40 400 | "$replay" --png "$work/pngs" --last-png "$work/last.png" >/dev/null
check "--last-png saves the last frame as --png does" \
    cmp -s "$work/last.png" "$work/pngs/frame-000011.png"
printf '\n' | "$replay" --last-png "$work/none.png" >/dev/null
check "--last-png saves nothing without frames" test ! -e "$work/none.png"

"$replay" --help | grep -q 'frame nowMs x y vx vy movingRight floorBounce phase hash'
check "--help describes the frame line" test $? = 0
"$replay" --bogus >/dev/null 2>&1
check "an unknown option is refused" test $? != 0

if [ -n "$reference" ]; then
    # 25,000 readings from 6 s before the 32-bit wrap: repeated readings (0 ms steps), the
    # program's usual 1 ms, updates' worth, the 80 ms unit, and stalls up to a few seconds; about
    # 4 minutes of the animation, so every kind of bounce and the ball's sinking come in.
    python3 - >"$work/series" <<'PY'
import random
rng = random.Random(22)
now = 2**32 - 6000
for _ in range(25000):
    print(now % 2**32)
    now += rng.choice((0, 0, 1, 1, 1, 1, 2, 3, 7, 16, 17, 33, 80, 81, 250, 1000, 4999))
PY
    check "the series crosses the 32-bit wrap" \
        awk 'NR > 1 && $1 < last { wrapped = 1 } { last = $1 } END { exit !wrapped }' "$work/series"
    "$reference" --frames <"$work/series" | sha256sum >"$work/reference.sum"
    "$replay" --frames <"$work/series" | sha256sum >"$work/replay.sum"
    check "every frame of 25,000 readings as the reference's, cell for cell" \
        cmp -s "$work/reference.sum" "$work/replay.sum"
    "$reference" <"$work/series" | awk '$7 == 1' | wc -l >"$work/bounces"
    check "a few hundred floor bounces among them" \
        test "$(cat "$work/bounces")" -gt 100
    "$reference" --wave - | cmp -s - "$work/raw"
    check "the bounce sound as the reference's, byte for byte" test $? = 0
fi

echo "$failures failed"
exit $((failures > 0))
