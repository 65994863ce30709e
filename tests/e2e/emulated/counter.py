"""The performance counter's script and the clock readings it gives.

A 10 MHz counter whose first value lies above 2^32 ticks, with its low half about to wrap. Then,
pass by pass, with a quarter of the passes repeating the last reading (0 ms): steps of 1 to 17 ms
(the program's usual pace, and the ball bounces on as it should), then 80 ms steps, then long
gaps, each followed by a few ordinary passes: a third of a second, seconds, ten minutes (more
than 2^32 ticks) and 2^32 ms plus a little, which wraps the reading. Sub-millisecond offsets are
mixed in, one tick short of a whole millisecond among them. The coarse steps come late: they make
the ball sink into the floor, and the frames of a bouncing ball are the ones most worth comparing.
"""
import random

FREQUENCY = 10_000_000
TICKS_PER_MS = FREQUENCY // 1000
FIRST = 4 * 2**32 - 37_000  # 3.7 ms before the low half wraps
FINE_PASSES, COARSE_PASSES = 1800, 200
LONG_GAPS_MS = (333, 2_000, 7_000, 600_000, 2**32 + 40)
PASSES_AFTER_GAP = 20


def reading(counter, base):
    """The clock reading of a counter value: whole milliseconds since the base, modulo 2^32."""
    return (counter - base) * 1000 // FREQUENCY % 2**32


def script(seed=10):
    """Counter values: the clock's base, then one per pass of the frame loop."""
    rng = random.Random(seed)
    values = [FIRST]

    def passes(count, step_ms, repeats=0.25):
        for _ in range(count):
            values.append(values[-1] + step(rng, values[-1] - FIRST, step_ms(), repeats))

    passes(FINE_PASSES, lambda: rng.randint(1, 17))
    passes(COARSE_PASSES, lambda: 80)
    for gap_ms in LONG_GAPS_MS:
        passes(1, lambda: gap_ms, repeats=0)
        passes(PASSES_AFTER_GAP - 1, lambda: rng.randint(1, 17))
    return values


def step(rng, elapsed, ms, repeats):
    """Ticks to the next pass, `elapsed` ticks after the base: `ms` whole milliseconds on, or,
    with the chance `repeats`, none."""
    into_ms = elapsed % TICKS_PER_MS
    if rng.random() < repeats:
        return rng.choice([0, rng.randrange(TICKS_PER_MS - into_ms)])
    offset = rng.choice([0, TICKS_PER_MS - 1, rng.randrange(TICKS_PER_MS)])
    return ms * TICKS_PER_MS - into_ms + offset
