"""What the browser checks share: headless Chromium, the page's test report, the replay tool's
frames and sound, a PNG decoder of the project's own, and the DevTools protocol over a pipe."""
import base64
import fcntl
import json
import os
import signal
import subprocess
import sys
import tempfile
import time
import zlib

# Headless as root; without the background-networking flags Chromium's own connections fail on a
# closed network and slow every start.
CHROMIUM_FLAGS = ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic',
                  '--no-first-run', '--disable-background-networking',
                  '--disable-component-update', '--disable-sync', '--window-size=800,900']

PLAY_MS = 4800 / 2 / 11025 * 1000  # the bounce sound: 2,400 stereo frames at 11,025 Hz


def fail(message):
    print('FAIL: ' + message, flush=True)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)
    print('ok: ' + message, flush=True)


def page_or_skip(path):
    """The page to test; a missing one fails, or skips (77) when no web build was wanted."""
    if not os.path.isfile(path):
        if os.environ.get('ZORVENDALE_NO_WEB_BUILD') == '1':
            sys.exit(77)
        fail('%s is missing: build the web preset' % path)
    return os.path.abspath(path)


def chromium(user_dir, *arguments, **options):
    return subprocess.run(['chromium', *CHROMIUM_FLAGS, '--user-data-dir=' + user_dir,
                           *arguments], **options)


def parse_report(text):
    """The page's report: one 'name value' line each."""
    report = {}
    for line in text.splitlines():
        name, _, value = line.partition(' ')
        report[name] = value
    return report


def parse_events(value):
    """'reading@ms:result' or 'reading@ms' words, as (reading, ms, result or None) tuples."""
    events = []
    for word in value.split():
        reading, _, rest = word.partition('@')
        at, _, result = rest.partition(':')
        events.append((int(reading), float(at), int(result) if result else None))
    return events


def replay_frames(replay, last, last_png=None):
    """The replay tool's frame lines for the readings 0, 1, ..., last, split into fields; the last
    frame's picture saved as last_png when given."""
    arguments = [replay] + (['--last-png', last_png] if last_png else [])
    readings = ''.join('%d\n' % r for r in range(last + 1))
    out = subprocess.run(arguments, input=readings.encode(), stdout=subprocess.PIPE, check=True)
    return [line.split(' ') for line in out.stdout.decode().splitlines()]


def bounce_readings(frames):
    return [int(f[1]) for f in frames if f[7] == '1']


def replay_sound(replay):
    return subprocess.run([replay, '--wave', '-'], stdout=subprocess.PIPE, check=True).stdout


def png_rgba(path):
    """RGBA bytes of a palette or RGB PNG without interlacing, decoded here with zlib alone."""
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', path
    at, chunks, idat = 8, {}, b''
    while at < len(data):
        length = int.from_bytes(data[at:at + 4], 'big')
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b'IDAT':
            idat += body
        else:
            chunks[kind] = body
    width, height = int.from_bytes(chunks[b'IHDR'][:4], 'big'), int.from_bytes(
        chunks[b'IHDR'][4:8], 'big')
    depth, colour, interlace = chunks[b'IHDR'][8], chunks[b'IHDR'][9], chunks[b'IHDR'][12]
    assert colour in (2, 3, 6) and interlace == 0, (colour, interlace)
    channels = {2: 3, 3: 1, 6: 4}[colour]
    step = max(1, channels * depth // 8)  # bytes per pixel, as the filters count them
    stride = (width * channels * depth + 7) // 8
    raw, rows, previous = zlib.decompress(idat), [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = row[x - step] if x >= step else 0
            b = previous[x]
            c = previous[x - step] if x >= step else 0
            if kind == 1:
                row[x] = (row[x] + a) & 255
            elif kind == 2:
                row[x] = (row[x] + b) & 255
            elif kind == 3:
                row[x] = (row[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[x] = (row[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(row)
        previous = row
    out = bytearray()
    for row in rows:
        if colour == 6:
            out += row
            continue
        for x in range(width):
            if colour == 2:
                out += row[3 * x:3 * x + 3] + b'\xff'
            else:
                bit = x * depth
                index = (row[bit // 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1)
                out += chunks[b'PLTE'][3 * index:3 * index + 3] + b'\xff'
    return width, height, bytes(out)


def fnv1a32(data):
    h = 0x811c9dc5
    for b in data:
        h = ((h ^ b) * 0x01000193) & 0xffffffff
    return '%08x' % h


def png_hash(path):
    """The page's canvas hash of a picture: FNV-1a of its RGBA bytes."""
    width, height, rgba = png_rgba(path)
    assert (width, height) == (480, 640), (width, height)
    return fnv1a32(rgba)


def until(value, ready, what, seconds=30):
    """Polls value() until ready(it) and returns it; OSError, as a connection refused, is a no."""
    deadline, seen = time.monotonic() + seconds, None
    while time.monotonic() < deadline:
        try:
            seen = value()
            if ready(seen):
                return seen
        except OSError:
            pass
        time.sleep(0.05)
    fail('%s within %d s; last seen: %.1000s' % (what, seconds, seen))


def launch(arguments, **options):
    """A program in a process group of its own, so that stop() ends all it started too."""
    return subprocess.Popen(arguments, start_new_session=True, **{
        'stdout': subprocess.DEVNULL, 'stderr': subprocess.DEVNULL, **options})


def stop(process):
    os.killpg(process.pid, signal.SIGKILL)
    process.wait()


class DevTools:
    """Chromium driven through the DevTools protocol on a pipe (fds 3 and 4 of the browser)."""

    def __init__(self, *arguments):
        self.user_dir = tempfile.mkdtemp(prefix='zorvendale-chromium-')
        to_browser, self.commands = os.pipe()
        self.replies, from_browser = os.pipe()

        def browser_fds():
            # Copied out of the way first: either pipe may itself be fd 3 or 4.
            ends = [fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in (to_browser, from_browser)]
            for target, end in zip((3, 4), ends):
                os.dup2(end, target)
                os.set_inheritable(target, True)

        self.process = launch(
            ['chromium', *CHROMIUM_FLAGS, '--user-data-dir=' + self.user_dir,
             '--remote-debugging-pipe', *arguments, 'about:blank'],
            preexec_fn=browser_fds, close_fds=False)
        os.close(to_browser)
        os.close(from_browser)
        self.pending, self.next_id, self.session = b'', 0, None
        pages = [t for t in self.send('Target.getTargets')['targetInfos'] if t['type'] == 'page']
        self.session = self.send('Target.attachToTarget', targetId=pages[0]['targetId'],
                                 flatten=True)['sessionId']

    def send(self, method, **params):
        self.next_id += 1
        message = {'id': self.next_id, 'method': method, 'params': params}
        if self.session:
            message['sessionId'] = self.session
        os.write(self.commands, json.dumps(message).encode() + b'\0')
        while True:
            while b'\0' not in self.pending:
                chunk = os.read(self.replies, 1 << 16)
                if not chunk:
                    fail('Chromium closed its DevTools pipe')
                self.pending += chunk
            text, _, self.pending = self.pending.partition(b'\0')
            reply = json.loads(text)
            if reply.get('id') == self.next_id:
                if 'error' in reply:
                    fail('%s: %s' % (method, reply['error']))
                return reply['result']

    def evaluate(self, expression):
        result = self.send('Runtime.evaluate', expression=expression, returnByValue=True)
        return result['result'].get('value')

    def open(self, url):
        # By way of a blank page, so that a change of the address's #... alone loads it afresh.
        self.send('Page.navigate', url='about:blank')
        until(lambda: self.evaluate('location.href'), 'about:blank'.__eq__, 'no blank page')
        self.send('Page.navigate', url=url)

    def click(self, element_id):
        x, y = self.evaluate("(r => [r.left + r.width / 2, r.top + r.height / 2])"
                             "(document.getElementById('%s').getBoundingClientRect())" % element_id)
        for kind in ('mousePressed', 'mouseReleased'):
            self.send('Input.dispatchMouseEvent', type=kind, x=x, y=y, button='left',
                      clickCount=1)

    def press(self, key):
        """Presses and releases key on whatever has the focus, as a keyboard sends it."""
        named = {' ': ('Space', 32, ' '), 'Enter': ('Enter', 13, '\r'), 'Tab': ('Tab', 9, '')}
        code, number, text = named.get(key) or ('Key' + key.upper(), ord(key.upper()), key)
        for kind in ('keyDown' if text else 'rawKeyDown', 'keyUp'):
            self.send('Input.dispatchKeyEvent', type=kind, key=key, code=code,
                      windowsVirtualKeyCode=number, text=text)

    def resize(self, width, height, ratio=1):
        self.send('Emulation.setDeviceMetricsOverride', width=width, height=height,
                  deviceScaleFactor=ratio, mobile=False)

    def screenshot(self, path, rect):
        """A rectangle of the page, as getBoundingClientRect() gives it, in device pixels."""
        shot = self.send('Page.captureScreenshot', clip=dict(rect, scale=1))
        with open(path, 'wb') as out:
            out.write(base64.b64decode(shot['data']))

    def close(self):
        stop(self.process)
        subprocess.run(['rm', '-rf', self.user_dir])


# The checks every engine passes, over a browser with evaluate and open: DevTools above, Firefox
# and WebKit in engines.py.
def read_report(browser, ready=bool, what='no report', seconds=30):
    """The page's report, once ready(it)."""
    text = "(document.getElementById('report') || {}).textContent || ''"
    return until(lambda: parse_report(browser.evaluate(text)), lambda r: r and ready(r), what,
                 seconds)


def past(reading):
    return lambda report: int(report.get('reading') or 0) > reading


def open_waiting(browser, page, first_frame):
    """Loads the page afresh, only writing its report, and checks its wait for a start."""
    browser.open('file://%s#report' % page)
    read_report(browser, lambda r: r.get('frames') == '1', 'no first frame')
    time.sleep(1)  # long enough for a bounce, were the animation running
    report = read_report(browser)
    shown = browser.evaluate("[document.title, ...[...document.querySelectorAll('#start button')]"
                             ".map(b => b.offsetParent ? b.textContent : '')]")
    check(report['prompt'] == 'shown' and
          shown == ['Zorvendale', 'Start with sound', 'Start without sound'],
          'the page, titled Zorvendale, shows "Start with sound" and "Start without sound"')
    check([report[k] for k in ('started', 'reading', 'frames', 'canvas', 'audio', 'writes',
                               'plays')] == ['no', '0', '1', first_frame, 'none', '', ''],
          'before a start it shows one frame, the replay tool\'s first, at reading 0, and goes no '
          'further; no audio context exists and nothing was played')


def check_started(browser, with_sound, first_bounce, how):
    report = read_report(browser, past(first_bounce + 100), 'no floor bounce after ' + how)
    writes, plays = parse_events(report['writes']), parse_events(report['plays'])
    check(report['started'] == 'yes' and report['prompt'] == 'hidden' and
          writes[0][0] == first_bounce and writes[0][2] == 0,
          '%s starts it; the device takes the first floor bounce, reading %d' % (how, first_bounce))
    if with_sound:
        # Without a sound card some engines keep the context suspended; it exists all the same.
        check(report['audio'] in ('running', 'suspended') and report['sound'] == 'on' and
              plays and plays[0][0] == first_bounce,
              'with sound: an audio context (%s) and a play at that bounce' % report['audio'])
    else:
        check(report['audio'] == 'none' and report['sound'] == 'off' and not plays,
              'without sound: no audio context and no play')
    return report


def check_frame(report, replay, work):
    """The report's frames, last one, canvas and sound against the replay tool's, returned."""
    last = int(report['reading'] or -1)
    check(report['written'] == str(last + 1),
          'a frame written for each of the readings 0 to %d, and no other' % last)
    frames = replay_frames(replay, last, work + '/last.png')
    check(frames[-1][1] == str(last) and report['grid'] == frames[-1][9],
          'the grid of reading %d is the replay tool\'s (hash %s)' % (last, report['grid']))
    check(report['canvas'] == png_hash(work + '/last.png'),
          'the canvas pixels are the replay tool\'s PNG of that frame')
    samples = [float(s) for s in report['samples'].split(',')]
    check(samples == [(b - 128) / 128 for b in replay_sound(replay)],
          'the page plays the 4,800 bytes as (b - 128) / 128, channels interleaved')
    return frames


def first_frame_and_bounce(replay, work):
    """The replay tool's first frame's canvas hash and its first floor bounce's reading."""
    first_bounce = bounce_readings(replay_frames(replay, 2000))[0]
    replay_frames(replay, 0, work + '/first.png')
    return png_hash(work + '/first.png'), first_bounce
