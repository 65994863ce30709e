#!/usr/bin/env bash
# The picture in xterm, which sets no COLORTERM (and takes it out of its child's environment), on
# a private X server: asked, xterm says it shows direct colour, and the screenshot of the frozen
# first frame shows each cell of the replay tool's frame for reading 0 in its exact classic
# colours alone, the foreground wherever a glyph is drawn (xterm's own gray is #e5e5e5).
#   terminal_xterm.sh PROGRAM REPLAY FROZEN_CLOCK_LIBRARY
set -euo pipefail
program=$1 replay=$2 frozen_clock=$3
here=$(cd "$(dirname "$0")" && pwd)

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
. "$here/xvfb.sh"

# Exactly the picture's 60 by 40 cells, with no border around them. Neither COLORTERM nor TMUX
# reaches the program: it asks.
env -u COLORTERM -u TMUX LANG=C.UTF-8 LC_ALL= xterm -b 0 -geometry 60x40 -e \
    env LD_PRELOAD="$frozen_clock" ASAN_OPTIONS=verify_asan_link_order=0 "$program" --silent \
    2>"$work/xterm.log" &
xterm_pid=$!

# The first frame may come some time after the window: look again until it shows or 10 s pass.
deadline=$((SECONDS + 10))
until window=$(xdotool search --name '^Zorvendale$' 2>/dev/null | head -1) &&
    import -window "$window" -depth 8 ppm:"$work/shot.ppm" 2>/dev/null &&
    python3 - "$here" "$work/frame" "$work/shot.ppm" >"$work/faults" 2>&1 <<'CHECK'; do
import re
import sys
sys.path.insert(0, sys.argv[1])
from terminal_small import BLANKS, COLUMNS, PALETTE, ROWS, read_frame

with open(sys.argv[3], "rb") as f:
    shot = f.read()
header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", shot)
width, height = int(header[1]), int(header[2])
if width % COLUMNS or height % ROWS:
    sys.exit(f"the window is {width} by {height} pixels, not whole cells")
pixels, cell_width, cell_height = shot[header.end():], width // COLUMNS, height // ROWS
faults = []
for j, row in enumerate(read_frame(sys.argv[2])):
    for i, (code, attribute) in enumerate(row):
        foreground, background = PALETTE[attribute & 15], PALETTE[attribute >> 4]
        seen = {tuple(pixels[at:at + 3]) for y in range(j * cell_height, (j + 1) * cell_height)
                for at in range(3 * (y * width + i * cell_width),
                                3 * (y * width + (i + 1) * cell_width), 3)}
        if not seen <= {foreground, background} or (code not in BLANKS and foreground not in seen):
            faults.append(f"cell ({i}, {j}): {sorted(seen)}, not {foreground} on {background}")
print("\n".join(faults[:10]))
sys.exit(1 if faults else 0)
CHECK
    ((SECONDS < deadline)) ||
        fail "the picture is not in the classic colours: $(cat "$work/faults" "$work/xterm.log")"
    sleep 0.2
done
echo "all checks passed"
