#!/usr/bin/env python3
"""The page opened from disk in Firefox ESR (Marionette) or WebKitGTK (WebKitWebDriver, MiniBrowser
under Xvfb), in real time: its first frame on the screen at 1x, the start through each button, one
clicked and one by keyboard, and the last frame, canvas and sound against the replay tool's.
    page_engines.py firefox|webkit PAGE ZORVENDALE_REPLAY"""
import base64
import sys
import tempfile

from common import (check, check_frame, check_started, first_frame_and_bounce, open_waiting,
                    page_or_skip, png_rgba)
from engines import Firefox, WebKit

engine = {'firefox': Firefox, 'webkit': WebKit}[sys.argv[1]]
page, replay = page_or_skip(sys.argv[2]), sys.argv[3]

with tempfile.TemporaryDirectory(prefix='zorvendale-engine-') as work:
    first_frame, first_bounce = first_frame_and_bounce(replay, work)
    browser = engine(work)
    try:
        browser.connect()
        open_waiting(browser, page, first_frame)
        with open(work + '/shot.png', 'wb') as shot:
            shot.write(base64.b64decode(browser.element('TakeScreenshot', 'console')))
        check(png_rgba(work + '/shot.png') == png_rgba(work + '/first.png'),
              'on the screen, the picture is the replay tool\'s first frame, pixel for pixel')
        browser.element('ElementClick', 'start-quiet')
        check_started(browser, False, first_bounce, 'a click on "Start without sound"')
        open_waiting(browser, page, first_frame)
        browser.element('ElementSendKeys', 'start-sound', text=' ')
        check_frame(check_started(browser, True, first_bounce, 'Space on "Start with sound"'),
                    replay, work)
    finally:
        browser.close()
