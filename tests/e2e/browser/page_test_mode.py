#!/usr/bin/env python3
"""The page in test mode (#test: started at once, as "Start with sound" does, report written) in
headless Chromium on virtual time: after some seconds, its frame, its canvas and its sound must be
the replay tool's for the readings 0, 1, 2, ... up to the last one it advanced to.
    page_test_mode.py PAGE ZORVENDALE_REPLAY"""
import html
import re
import subprocess
import sys
import tempfile

from common import check, check_exact, chromium, fail, page_or_skip, parse_report

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
          'test mode starts without a click and hides the start buttons')
    check(report['audio'] == 'running', 'the sound runs (autoplay allowed)')
    # The first floor bounce comes at reading 774; a page that got less far says too little.
    if int(report['reading'] or -1) < 1000:
        fail('the page advanced only to reading %s in %d ms of virtual time' %
             (report['reading'], BUDGET_MS))
    check_exact(report, replay, work)
