#!/usr/bin/env bash
# The picture in xterm, which sets no COLORTERM (and takes it out of its child's environment), on
# a private X server: asked, xterm says it shows direct colour, and the screenshot of the frozen
# first frame shows every cell in its exact classic console colours, the replay tool's frame for
# reading 0: each cell's pixels are its foreground and background colours alone, the foreground
# among them wherever a glyph is drawn. In xterm's own 16 colours the floor would be #e5e5e5, not
# #c0c0c0.
#   terminal_xterm.sh PROGRAM REPLAY FROZEN_CLOCK_LIBRARY
set -euo pipefail
program=$1 replay=$2 frozen_clock=$3

work=$(mktemp -d)
xvfb_pid= xterm_pid=
cleanup() {
    for pid in $xterm_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "FAIL: $*"
    exit 1
}

echo 0 | "$replay" --frames >"$work/frame" || fail "the replay tool gave no frame for reading 0"

# Xvfb picks a free display itself and names it on the descriptor given.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -1 "$work/display")"

# Exactly the picture's 60 by 40 cells, with no border around them. Neither COLORTERM nor TMUX
# reaches the program: it asks.
env -u COLORTERM -u TMUX LANG=C.UTF-8 LC_ALL= xterm -b 0 -geometry 60x40 -e \
    env LD_PRELOAD="$frozen_clock" ASAN_OPTIONS=verify_asan_link_order=0 "$program" --silent \
    2>"$work/xterm.log" &
xterm_pid=$!

# The first frame may come some time after the window: look again until it shows or 10 s pass.
deadline=$((SECONDS + 10))
while ((SECONDS < deadline)); do
    window=$(xdotool search --name '^Zorvendale$' 2>/dev/null | head -1 || true)
    if [[ -n $window ]] && import -window "$window" -depth 8 ppm:"$work/shot.ppm" 2>/dev/null &&
        python3 - "$work/frame" "$work/shot.ppm" >"$work/faults" <<'CHECK'; then
import re
import sys

PALETTE = [0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
           0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF]
BLANKS = (0x00, 0x20, 0xFF)
COLUMNS, ROWS = 60, 40

with open(sys.argv[1], encoding="ascii") as f:
    frame = [[tuple(int(part, 16) for part in cell.split(":")) for cell in line.split()]
             for line in f.read().splitlines()[1:1 + ROWS]]
with open(sys.argv[2], "rb") as f:
    shot = f.read()
header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", shot)
width, height = (int(header[1]), int(header[2])) if header else (0, 0)
if width % COLUMNS or height % ROWS or width == 0:
    sys.exit(f"the window is {width} by {height} pixels, not whole cells")
pixels = shot[header.end():]
cell_width, cell_height = width // COLUMNS, height // ROWS
faults = []
for j in range(ROWS):
    for i in range(COLUMNS):
        code, attribute = frame[j][i]
        foreground, background = PALETTE[attribute & 15], PALETTE[attribute >> 4]
        seen = set()
        for y in range(j * cell_height, (j + 1) * cell_height):
            at = 3 * (y * width + i * cell_width)
            row = pixels[at:at + 3 * cell_width]
            seen.update(int.from_bytes(row[k:k + 3], "big") for k in range(0, len(row), 3))
        if not seen <= {foreground, background} or (code not in BLANKS and foreground not in seen):
            faults.append(f"cell ({i}, {j}): {sorted(f'{c:06x}' for c in seen)}, not "
                          f"{foreground:06x} on {background:06x}")
print("\n".join(faults[:10]))
sys.exit(1 if faults else 0)
CHECK
        echo "all checks passed"
        exit 0
    fi
    sleep 0.2
done
fail "the picture is not in the classic colours: $(cat "$work/faults" "$work/xterm.log")"
