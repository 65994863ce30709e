#!/usr/bin/env python3
"""The page in Firefox ESR (Marionette) or WebKitGTK (WebKitWebDriver, MiniBrowser under Xvfb),
in real time, one browser for all the checks: test mode's last frame, canvas and sound against
the replay tool, then, opened as a visitor opens it, the first frame on the screen at 1x, and the
start through each button, one clicked and one by keyboard.
    page_engines.py firefox|webkit PAGE ZORVENDALE_REPLAY"""
import sys
import tempfile
import time

from common import (REPORT, check, check_exact, check_started, first_frame_and_bounce,
                    open_waiting, page_or_skip, parse_report, past, png_rgba, report_when)
from engines import Firefox, WebKit

engine, page, replay = {'firefox': Firefox, 'webkit': WebKit}[sys.argv[1]], *sys.argv[2:4]
page = page_or_skip(page)

with tempfile.TemporaryDirectory(prefix='zorvendale-engine-') as work:
    first_frame, first_bounce = first_frame_and_bounce(replay, work)
    began = time.monotonic()
    browser = engine(1280, 720)
    print('%s started in %.1f s' % (engine.name, time.monotonic() - began), flush=True)
    try:
        browser.open('file://%s#test' % page)
        # Past the second bounce, whose write comes while no play sounds.
        report_when(browser, past(3300), 'test mode not past reading 3300')
        check_exact(parse_report(browser.evaluate(REPORT)), replay, work)
        box = browser.evaluate("(r => [r.width, r.height])"
                               "(document.getElementById('console').getBoundingClientRect())")
        check(box == [480, 640], 'at 1280 by 720 the picture is shown at 1x, 480 by 640')

        open_waiting(browser, page, first_frame)
        browser.screenshot(work + '/shot.png', 'console')
        check(png_rgba(work + '/shot.png') == png_rgba(work + '/first.png'),
              'on the screen, the picture is the replay tool\'s first frame, pixel for pixel')
        browser.click('start-quiet')
        check_started(browser, False, first_bounce, 'a click on "Start without sound"')
        open_waiting(browser, page, first_frame)
        browser.press(' ', 'start-sound')
        check_started(browser, True, first_bounce, 'Space on "Start with sound"')
    finally:
        browser.close()
    print('%s checks took %.1f s' % (engine.name, time.monotonic() - began))
