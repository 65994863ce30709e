#!/usr/bin/env python3
"""The page opened from a file:// address as a visitor opens it, in real time, clicked through the
DevTools protocol: it shows its first frame and "Click to start" and makes no sound and no
progress until the click; a click starts it with sound, a click on "no sound" without.
    page_click.py PAGE ZORVENDALE_REPLAY"""
import sys
import tempfile
import time

from common import (DevTools, bounce_readings, check, fail, page_or_skip, parse_events,
                    parse_report, png_hash, replay_frames)

page, replay = page_or_skip(sys.argv[1]), sys.argv[2]
REPORT = "(document.getElementById('report') || {}).textContent || ''"


def report_when(browser, ready, what, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        report = parse_report(browser.evaluate(REPORT))
        if report and ready(report):
            return report
        time.sleep(0.1)
    report.pop('samples', None)
    fail('%s within %d s; the report says %s' % (what, seconds, report))


def open_waiting(browser, first_frame):
    """Loads the page afresh (#report writes the report, nothing more) and checks its waiting
    state."""
    browser.send('Page.navigate', url='about:blank')
    while browser.evaluate('location.href') != 'about:blank':
        time.sleep(0.05)
    browser.send('Page.navigate', url='file://%s#report' % page)
    report = report_when(browser, lambda r: r.get('frames') == '1', 'no first frame')
    time.sleep(1)  # long enough for a bounce, were the animation running
    report = parse_report(browser.evaluate(REPORT))
    prompt = browser.evaluate("document.getElementById('start').innerText")
    check(report['prompt'] == 'shown' and 'Click to start' in prompt and 'no sound' in prompt,
          'the page shows "Click to start" and a "no sound" choice')
    check(browser.evaluate('document.title') == 'Zorvendale', 'the title is Zorvendale')
    check(report['started'] == 'no' and report['reading'] == '0' and report['frames'] == '1',
          'before the click the page shows one frame, at reading 0, and goes no further')
    check(report['canvas'] == first_frame, 'that frame is the replay tool\'s first frame')
    check(report['audio'] == 'none' and report['writes'] == '' and report['plays'] == '',
          'before the click no audio context exists and nothing was played')


def centre(browser, element):
    box = browser.evaluate("(r => [r.left + r.width / 2, r.top + r.height / 2])"
                           "(document.getElementById('%s').getBoundingClientRect())" % element)
    return box[0], box[1]


with tempfile.TemporaryDirectory(prefix='zorvendale-click-') as work:
    frames = replay_frames(replay, 2000, work + '/first.png')
    first_bounce = bounce_readings(frames)[0]
    replay_frames(replay, 0, work + '/first.png')
    first_frame = png_hash(work + '/first.png')

    browser = DevTools()
    try:
        open_waiting(browser, first_frame)
        browser.click(*centre(browser, 'console'))
        report = report_when(browser, lambda r: int(r['reading'] or 0) > first_bounce + 100,
                             'no floor bounce after the click')
        check(report['started'] == 'yes' and report['prompt'] == 'hidden',
              'a click on the picture starts the animation and hides the prompt')
        check(report['audio'] == 'running', 'the click made a running audio context')
        plays = parse_events(report['plays'])
        check(plays and plays[0][0] == first_bounce,
              'the first play starts at the first floor bounce, reading %d' % first_bounce)

        open_waiting(browser, first_frame)
        browser.click(*centre(browser, 'quiet'))
        report = report_when(browser, lambda r: int(r['reading'] or 0) > first_bounce + 100,
                             'no floor bounce after the click on "no sound"')
        check(report['started'] == 'yes' and report['prompt'] == 'hidden',
              'a click on "no sound" starts the animation too')
        writes = parse_events(report['writes'])
        check(report['audio'] == 'none' and report['plays'] == '' and
              writes[0][0] == first_bounce and writes[0][2] == 0,
              'without sound: no audio context, no play, the device still takes the bounce')
    finally:
        browser.close()
