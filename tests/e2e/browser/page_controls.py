#!/usr/bin/env python3
"""The page opened from disk in headless Chromium in real time, through the DevTools protocol: its
wait with reduced motion asked for, its names, its scaling at window sizes and device pixel ratios,
the start by keyboard, the sound and pause toggles, the stand-still while paused or hidden, and the
replay tool's frame on the screen, also after a resize mid-run.
    page_controls.py PAGE ZORVENDALE_REPLAY"""
import sys
import tempfile
import time

from common import (DevTools, check, check_started, first_frame_and_bounce, open_waiting,
                    page_or_skip, parse_events, past, png_rgba, read_report, replay_frames, until)

page, replay = page_or_skip(sys.argv[1]), sys.argv[2]
# CSS pixels and device pixel ratios, each for a page loaded afresh (Chromium's emulation of a ratio
# tells the page of no change); the last two lower than the picture.
SIZES = [(1920, 1080, 1), (1920, 1080, 2), (1280, 720, 1), (1280, 720, 1.5), (375, 667, 2),
         (500, 257, 1), (1280, 577, 1)]


def geometry(browser):
    """The canvas's place, its size in device pixels and smoothing, and those it should have: the
    largest whole multiple of the picture that fits its stage, or the picture smoothed to fit."""
    ratio, stage, canvas, smooth = browser.evaluate(
        "(s => [devicePixelRatio, s.getBoundingClientRect().toJSON(), s.firstElementChild."
        "getBoundingClientRect().toJSON(), s.firstElementChild.classList.contains('smooth')])"
        "(document.getElementById('stage'))")
    fit = min(stage['width'] * ratio / 480, stage['height'] * ratio / 640)
    scale = int(fit) if fit >= 1 else fit
    return canvas, (round(canvas['width'] * ratio), round(canvas['height'] * ratio), smooth), (
        int(480 * scale), int(640 * scale), fit < 1)


def on_screen(browser, frame_png, work):
    """Whether a screenshot of the canvas is the frame, each of its pixels a square of device
    pixels."""
    canvas, (size, _, _), _ = geometry(browser)
    browser.screenshot(work + '/shot.png', canvas)
    n, frame = size // 480, png_rgba(frame_png)[2]
    return png_rgba(work + '/shot.png')[2] == b''.join(
        b''.join(frame[i:i + 4] * n for i in range(1920 * y, 1920 * y + 1920, 4)) * n
        for y in range(640))


def act(browser, name):
    """Presses a key, or clicks the button of that id."""
    browser.press(name) if len(name) == 1 else browser.click(name)


def stands_still(browser, what, resume):
    """Checks that no frame comes and the clock stands still while the animation is stopped, then
    that after resume() the clock goes on from where it stopped: no further than the time since."""
    stopped = read_report(browser)
    recent = [int(r) for r in stopped['recent'].split()]
    step = max(b - a for a, b in zip(recent, recent[1:]))
    time.sleep(20 * step / 1000)  # twenty frames' worth, were it running
    still = read_report(browser)
    fields = ('frames', 'reading', 'clock-ms')
    check([still[f] for f in fields] == [stopped[f] for f in fields],
          '%s: no frame for %d ms, the reading stays %s' % (what, 20 * step, still['reading']))
    began = time.monotonic()
    resume()
    after = read_report(browser, past(int(still['reading'])), 'no frame after ' + what)
    ran = float(after['clock-ms']) - float(still['clock-ms'])
    since = (time.monotonic() - began) * 1000
    check(ran <= since + step, 'after %s the clock goes on from where it stopped: %.1f ms on in '
          '%.1f ms, a frame being up to %d ms' % (what, ran, since, step))


with tempfile.TemporaryDirectory(prefix='zorvendale-controls-') as work:
    first_frame, first_bounce = first_frame_and_bounce(replay, work)
    browser = DevTools()
    try:
        browser.resize(1280, 720)
        browser.send('Emulation.setEmulatedMedia',
                     features=[{'name': 'prefers-reduced-motion', 'value': 'reduce'}])
        open_waiting(browser, page, first_frame)
        named = browser.evaluate(
            "matchMedia('(prefers-reduced-motion: reduce)').matches && document.querySelector('h1')"
            ".textContent == 'Zorvendale' && (c => c.role == 'img' && c.ariaLabel.startsWith('A "
            "red-and-white'))(document.getElementById('console')) && [...document.querySelectorAll"
            "('button')].every(b => !b.offsetParent || b.offsetWidth >= 24 && b.offsetHeight >= "
            "24)")
        check(named, 'that with reduced motion asked for; a heading, the canvas an image with a '
              'name, buttons 24 px and more across')
        for key in ('Tab', 'Tab', ' '):
            browser.press(key)
        check_started(browser, False, first_bounce, 'Tab, Tab and Space: "Start without sound"')

        for width, height, ratio in SIZES:
            where = '%dx%d at %g' % (width, height, ratio)
            browser.resize(width, height, ratio)
            browser.open('file://%s#report' % page)
            read_report(browser, lambda r: r.get('frames') == '1', 'no first frame')
            _, (x, y, smooth), _ = until(lambda: geometry(browser), lambda g: g[1] == g[2],
                                         where + ': the canvas at the size expected', 10)
            shown = 'smoothed to fit' if smooth else 'a whole multiple, on the screen the replay ' \
                'tool\'s frame with every grid line'
            check(smooth or on_screen(browser, work + '/first.png', work),
                  '%s: %dx%d device pixels, %s' % (where, x, y, shown))

        browser.resize(1280, 720)
        for key in ('Tab', 'Enter'):
            browser.press(key)
        check_started(browser, True, first_bounce, 'Tab and Enter: "Start with sound"')
        check(browser.evaluate('[document.activeElement.id, getComputedStyle(document.'
                               'activeElement).outlineStyle]') == ['pause', 'solid'],
              'the focus moves on to the pause button, with a visible outline')

        def sound(how, state):
            act(browser, how)
            pressed = browser.evaluate("document.getElementById('sound').ariaPressed")
            check(read_report(browser)['sound'] == state and pressed == str(state == 'on').lower(),
                  '%r turns the sound %s' % (how, state))
        sound('sound', 'off')
        sound('sound', 'on')
        sound('m', 'off')
        muted_at = int(read_report(browser)['reading'])
        browser.resize(375, 667, 2)  # mid-run, for the frames on the screen below
        muted = read_report(browser, lambda r: parse_events(r['writes'])[-1][0] > muted_at,
                            'no floor bounce with the sound off', 10)
        check([p for p in parse_events(muted['plays']) if p[0] > muted_at] == [],
              'with the sound off, the next bounce is taken by the device and not played')
        sound('m', 'on')

        browser.evaluate('document.activeElement.blur()')  # the keys work with no button focused
        for pause, resume in ((' ', 'p'), ('pause', 'pause')):
            act(browser, pause)
            paused = read_report(browser)
            pressed = browser.evaluate("document.getElementById('pause').ariaPressed")
            replay_frames(replay, int(paused['reading']), work + '/last.png')
            check(paused['paused'] == 'yes' and pressed == 'true' and
                  on_screen(browser, work + '/last.png', work), '%r pauses; resized mid-run, the '
                  'screen shows the replay tool\'s frame, reading %s' % (pause, paused['reading']))
            stands_still(browser, 'a pause by %r' % pause, lambda: act(browser, resume))
            pressed = browser.evaluate("document.getElementById('pause').ariaPressed")
            check(pressed == 'false', '%r resumes, and the pause button says so' % resume)

        other = browser.send('Target.createTarget', url='about:blank')['targetId']
        check(browser.evaluate('document.hidden'), 'another tab hides the page')
        stands_still(browser, 'the hidden page',
                     lambda: browser.send('Target.closeTarget', targetId=other))
    finally:
        browser.close()
