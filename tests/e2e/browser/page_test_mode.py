#!/usr/bin/env python3
"""The page in test mode (#test: started at once through the visitor's start, report written) in
headless Chromium on virtual time: after some seconds, its frame, its canvas and its sound must be
the replay tool's for the readings 0, 1, 2, ... up to the last one it advanced to.
    page_test_mode.py PAGE ZORVENDALE_REPLAY"""
import html
import re
import subprocess
import sys
import tempfile

from common import (PLAY_MS, bounce_readings, check, check_frame, chromium, fail, page_or_skip,
                    parse_events, parse_report)

page, replay = page_or_skip(sys.argv[1]), sys.argv[2]
BUDGET_MS = 6000

with tempfile.TemporaryDirectory(prefix='zorvendale-page-') as work:
    dom = chromium(work + '/profile', '--autoplay-policy=no-user-gesture-required',
                   '--virtual-time-budget=%d' % BUDGET_MS, '--dump-dom',
                   'file://%s#test' % page, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                   timeout=120).stdout.decode()
    found = re.search(r'<pre id="report"[^>]*>(.*?)</pre>', dom, re.S)
    if not found:
        fail('no report in the page after %d ms' % BUDGET_MS)
    report = parse_report(html.unescape(found.group(1)))
    print('page: frames %s, last reading %s' % (report['frames'], report['reading']))

    check(report['started'] == 'yes' and report['prompt'] == 'hidden',
          'test mode starts without a click and hides the prompt')
    check(report['audio'] == 'running', 'the sound runs (autoplay allowed)')
    last = int(report['reading'] or -1)
    # The first floor bounce comes at reading 774; a page that got less far says too little.
    if last < 1000:
        fail('the page advanced only to reading %d in %d ms of virtual time' % (last, BUDGET_MS))

    frames = check_frame(report, replay, work)

    bounces = bounce_readings(frames)
    writes = parse_events(report['writes'])
    plays = parse_events(report['plays'])
    check([w[0] for w in writes] == bounces,
          'a waveOutWrite on each floor bounce of the replay, and no other: %s' % bounces)
    accepted, sounding_until = [], float('-inf')
    for reading, at, result in writes:
        expected = 0 if at >= sounding_until else 33
        if result != expected:
            fail('the write at reading %d got %d, not %d' % (reading, result, expected))
        if result == 0:
            accepted.append(reading)
            sounding_until = at + PLAY_MS
    check(True, 'each write refused exactly while the play before it sounds (%.2f ms)' % PLAY_MS)
    check([p[0] for p in plays] == accepted, 'a play started for each accepted write: %s' % accepted)
