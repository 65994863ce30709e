#!/usr/bin/env python3
"""The page opened from a file:// address as a visitor opens it, in headless Chromium in real time,
driven through the DevTools protocol: it waits on its first frame, also when reduced motion is
asked for; it is started by keyboard alone; the sound and pause toggles work by key and by button,
and the clock stands still while paused or hidden, then goes on from where it stopped; the picture
is scaled by a whole number of device pixels at each window size and device pixel ratio, equal
pixel for pixel to the replay tool's frame, also after a resize mid-run.
    page_controls.py PAGE ZORVENDALE_REPLAY
With ZORVENDALE_SCREENSHOTS=DIR, each window size's screenshot is kept there."""
import math
import os
import sys
import tempfile
import time

from common import (REPORT, DevTools, check, check_started, fail, first_frame_and_bounce,
                    open_waiting, page_or_skip, parse_events, parse_report, past, png_rgba,
                    replay_frames, report_when)

page, replay = page_or_skip(sys.argv[1]), sys.argv[2]
# Window sizes in CSS pixels and device pixel ratios, each for a page loaded afresh (Chromium's
# emulation of a ratio tells the page of no change); the last ones are lower than the picture.
SIZES = [(1920, 1080, 1), (1280, 720, 1), (1280, 720, 1.5), (375, 667, 2), (500, 257, 1),
         (1280, 577, 1)]
SHOTS = os.environ.get('ZORVENDALE_SCREENSHOTS')


def report(browser):
    return parse_report(browser.evaluate(REPORT))


def geometry(browser):
    return browser.evaluate(
        "(s => [devicePixelRatio, s.getBoundingClientRect().toJSON(),"
        " s.firstElementChild.getBoundingClientRect().toJSON(),"
        " s.firstElementChild.classList.contains('smooth')])(document.getElementById('stage'))")


def laid_out(browser, width, height, ratio):
    """Loads the page at that size and returns its geometry once laid out."""
    browser.resize(width, height, ratio)
    browser.open('file://%s#report' % page)
    report_when(browser, lambda r: r.get('frames') == '1', 'no first frame')
    deadline = time.monotonic() + 10
    while True:
        last = geometry(browser)
        time.sleep(0.05)
        if (browser.evaluate('[innerWidth, innerHeight, devicePixelRatio]') ==
                [width, height, ratio] and geometry(browser) == last):
            return last
        if time.monotonic() > deadline:
            fail('the layout did not follow a resize to %dx%d at %g' % (width, height, ratio))


def picture_matches(browser, ratio, canvas, scale, expected_png, work):
    """A screenshot of the canvas's place, with a CSS pixel around it, holds the replay tool's
    frame, each of its pixels scale by scale device pixels (the browser may snap the canvas to a
    neighbouring device pixel)."""
    left, top = math.floor(canvas['x']) - 1, math.floor(canvas['y']) - 1
    browser.screenshot(work + '/shot.png', (left, top, math.ceil(canvas['right']) + 1 - left,
                                            math.ceil(canvas['bottom']) + 1 - top))
    width, height, shot = png_rgba(work + '/shot.png')
    _, _, frame = png_rgba(expected_png)
    rows = [b''.join(frame[4 * x:4 * x + 4] * scale for x in range(480 * y, 480 * (y + 1)))
            for y in range(640)]
    for y0 in range(height - 640 * scale + 1):
        for x0 in range(width - 480 * scale + 1):
            if all(shot[4 * ((y0 + y) * width + x0):][:len(rows[0])] == rows[y // scale]
                   for y in range(640 * scale)):
                return True
    return False


def check_scaling(browser, width, height, ratio, work):
    ratio_seen, stage, canvas, smooth = laid_out(browser, width, height, ratio)
    fit = min(stage['width'] * ratio / 480, stage['height'] * ratio / 640)
    device = (round(canvas['width'] * ratio), round(canvas['height'] * ratio))
    where = '%dx%d at %g' % (width, height, ratio)
    if SHOTS:
        browser.screenshot('%s/%dx%d@%g.png' % (SHOTS, width, height, ratio))
    if fit < 1:
        check(device == (int(480 * fit), int(640 * fit)) and smooth,
              '%s: one device pixel per picture pixel does not fit; scaled down to fit, %dx%d '
              'device pixels, smoothed' % (where, *device))
        return
    scale = int(fit)
    check(device == (480 * scale, 640 * scale) and not smooth,
          '%s: %dx%d device pixels, %dx, the largest whole multiple that fits' %
          (where, *device, scale))
    check(picture_matches(browser, ratio, canvas, scale, work + '/first.png', work),
          '%s: the screenshot is the replay tool\'s frame, each pixel %dx%d device pixels, '
          'every grid line there' % (where, scale, scale))


def stands_still(browser, what, resume):
    """Checks that the reading and clock do not move while what holds, then that after resume()
    the animation goes on from the clock where it stopped."""
    stopped = report(browser)
    time.sleep(0.5)
    still = report(browser)
    check(still['reading'] == stopped['reading'] and still['clock-ms'] == stopped['clock-ms'],
          '%s: the reading (%s) and the clock stand still for 0.5 s' % (what, still['reading']))
    before = [int(r) for r in still['recent'].split()]
    clock = float(still['clock-ms'])
    resume()
    after = report_when(browser, past(int(still['reading'])), 'no frame after ' + what)
    first = min(int(r) for r in after['recent'].split() if int(r) > int(still['reading']))
    step = max(b - a for a, b in zip(before, before[1:]))
    check(first - clock <= 2 * step,
          'after %s it goes on from the clock where it stopped: the first reading is %.1f ms '
          'past it, a longest step between frames being %d ms' % (what, first - clock, step))


with tempfile.TemporaryDirectory(prefix='zorvendale-controls-') as work:
    first_frame, first_bounce = first_frame_and_bounce(replay, work)
    browser = DevTools()
    try:
        browser.resize(1280, 720)
        browser.send('Emulation.setEmulatedMedia',
                     features=[{'name': 'prefers-reduced-motion', 'value': 'reduce'}])
        open_waiting(browser, page, first_frame)
        check(browser.evaluate("matchMedia('(prefers-reduced-motion: reduce)').matches"),
              'that with reduced motion asked for')
        browser.send('Emulation.setEmulatedMedia', features=[])
        named = browser.evaluate(
            "[document.querySelector('h1').textContent, document.querySelector('#panel p')"
            ".textContent.length, (c => c.getAttribute('role') + ' ' + c.getAttribute("
            "'aria-label'))(document.getElementById('console')), Math.min(...[...document."
            "querySelectorAll('button')].filter(b => b.offsetParent).map(b => Math.min("
            "b.offsetWidth, b.offsetHeight)))]")
        check(named[0] == 'Zorvendale' and named[1] > 50 and
              named[2].startswith('img A red-and-white') and named[3] >= 24,
              'a heading, an explanation, the canvas an image with a name, buttons %d px and '
              'more across' % named[3])

        for width, height, ratio in SIZES:
            check_scaling(browser, width, height, ratio, work)
        browser.resize(1280, 720)

        browser.press('Tab')
        check(browser.evaluate('document.activeElement.id') == 'start-sound',
              'Tab brings the focus to "Start with sound"')
        browser.press('Enter')
        check_started(browser, True, first_bounce, 'Enter on "Start with sound"')
        check(browser.evaluate('[document.activeElement.id, getComputedStyle(document.'
                               'activeElement).outlineStyle]') == ['pause', 'solid'],
              'the focus moves on to the pause button, with a visible outline')

        for how, act in (('M', lambda: browser.press('m')),
                         ('the sound button', lambda: browser.click('sound'))):
            act()
            muted = report(browser)
            pressed = browser.evaluate("document.getElementById('sound').ariaPressed")
            check(muted['sound'] == 'off' and pressed == 'false', how + ' turns the sound off')
            act()
            pressed = browser.evaluate("document.getElementById('sound').ariaPressed")
            check(report(browser)['sound'] == 'on' and pressed == 'true', how + ' turns it on')
        browser.press('m')
        muted_at = int(report(browser)['reading'])
        muted = report_when(browser, lambda r: len(parse_events(r['writes'])) > 1,
                            'no second floor bounce', 10)
        plays = [p[0] for p in parse_events(muted['plays']) if p[0] > muted_at]
        check(plays == [] and len(parse_events(muted['writes'])) == 2,
              'with the sound off, the next bounce is taken by the device and not played')
        browser.press('m')

        browser.evaluate('document.activeElement.blur()')  # the keys work with no button focused
        for how, pause, resume in (
                ('Space', lambda: browser.press(' '), lambda: browser.press('p')),
                ('the pause button', lambda: browser.click('pause'),
                 lambda: browser.click('pause'))):
            pause()
            pressed = browser.evaluate("document.getElementById('pause').ariaPressed")
            check(report(browser)['paused'] == 'yes' and pressed == 'true', how + ' pauses')
            stands_still(browser, 'a pause by ' + how, resume)

        page_target = browser.send('Target.getTargetInfo')['targetInfo']['targetId']
        session, browser.session = browser.session, None
        other = browser.send('Target.createTarget', url='about:blank')['targetId']
        browser.session = session
        check(browser.evaluate('document.hidden'), 'another tab hides the page')

        def show():
            browser.session = None
            browser.send('Target.closeTarget', targetId=other)
            browser.send('Target.activateTarget', targetId=page_target)
            browser.session = session
        stands_still(browser, 'the hidden page', show)

        at = int(report(browser)['reading'])
        browser.resize(375, 667, 2)
        report_when(browser, past(at + 200), 'no progress after a resize')
        browser.press(' ')
        paused = report_when(browser, lambda r: r['paused'] == 'yes', 'no pause')
        time.sleep(0.1)
        paused = report(browser)
        last = int(paused['reading'])
        replay_frames(replay, last, work + '/last.png')
        ratio, _, canvas, _ = geometry(browser)
        scale = round(canvas['width'] * ratio / 480)
        check(picture_matches(browser, ratio, canvas, scale, work + '/last.png', work),
              'resized mid-run to 375x667 at 2, the frame of reading %d on the screen is the '
              'replay tool\'s' % last)
    finally:
        browser.close()
