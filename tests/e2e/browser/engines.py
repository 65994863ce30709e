"""Firefox ESR through its Marionette protocol and WebKitGTK's MiniBrowser through WebKitWebDriver,
both with the Python standard library alone, offering what the checks use of Chromium's DevTools
class: open, evaluate, click, press, screenshot, close."""
import base64
import json
import os
import random
import socket
import subprocess
import tempfile
import time
import urllib.request

from common import fail

ELEMENT = 'element-6066-11e4-a52e-4f735466cecf'  # a WebDriver element reference's key


def free_port():
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


def until(attempt, what, seconds=60):
    """attempt()'s first result that is not None, tried again while it raises OSError."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            result = attempt()
            if result is not None:
                return result
        except OSError:
            pass
        time.sleep(0.1)
    fail('%s within %d s' % (what, seconds))


class WebDriverCommands:
    """The WebDriver commands the checks use, over a subclass's command(name, params)."""

    def open(self, url):
        self.command('Navigate', {'url': 'about:blank'})
        self.command('Navigate', {'url': url})

    def evaluate(self, expression):
        return self.command('ExecuteScript', {'script': 'return ' + expression, 'args': []})

    def resize(self, width, height):
        """Gives the page a viewport of width by height CSS pixels."""
        self.command('SetWindowRect', {'width': width, 'height': height})
        frame = self.evaluate('[outerWidth - innerWidth, outerHeight - innerHeight]')
        self.command('SetWindowRect', {'width': width + frame[0], 'height': height + frame[1]})

    def element(self, element_id):
        found = self.command('FindElement', {'using': 'css selector', 'value': '#' + element_id})
        return found[ELEMENT]

    def click(self, element_id):
        self.command('ElementClick', {'id': self.element(element_id)})

    def press(self, key, element_id):
        """Types key (a WebDriver key: ' ' or '\\ue007' for Enter) into the element, focused."""
        self.command('ElementSendKeys', {'id': self.element(element_id), 'text': key})

    def screenshot(self, path, element_id=None):
        """The page as shown, or only the element, in device pixels."""
        if element_id:
            data = self.command('TakeElementScreenshot', {'id': self.element(element_id)})
        else:
            data = self.command('TakeScreenshot', {})
        with open(path, 'wb') as out:
            out.write(base64.b64decode(data))


class Firefox(WebDriverCommands):
    """Headless Firefox ESR in a fresh profile, driven through Marionette's length-prefixed JSON."""
    name = 'Firefox ESR'

    def __init__(self, width, height):
        self.profile = tempfile.mkdtemp(prefix='zorvendale-firefox-')
        port = free_port()
        with open(self.profile + '/user.js', 'w') as prefs:
            prefs.write('user_pref("marionette.port", %d);\n' % port)
            # No first-run pages or connections of its own on a closed network.
            for pref in ('browser.shell.checkDefaultBrowser', 'app.update.enabled',
                         'datareporting.policy.dataSubmissionEnabled', 'toolkit.telemetry.enabled',
                         'browser.startup.homepage_override.enabled'):
                prefs.write('user_pref("%s", false);\n' % pref)
        environment = dict(os.environ, MOZ_HEADLESS_WIDTH=str(width),
                           MOZ_HEADLESS_HEIGHT=str(height))
        self.process = subprocess.Popen(
            ['firefox-esr', '--headless', '--marionette', '--no-remote', '--profile', self.profile],
            env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.socket = until(lambda: socket.create_connection(('127.0.0.1', port)),
                            'no Marionette connection')
        self.pending, self.next_id = b'', 0
        self.receive()  # its greeting
        self.command('NewSession', {})
        self.resize(width, height)

    def receive(self):
        while b':' not in self.pending:
            self.pending += self.socket.recv(1 << 16)
        length, _, self.pending = self.pending.partition(b':')
        while len(self.pending) < int(length):
            chunk = self.socket.recv(1 << 16)
            if not chunk:
                fail('Firefox closed its Marionette connection')
            self.pending += chunk
        message, self.pending = self.pending[:int(length)], self.pending[int(length):]
        return json.loads(message)

    def command(self, name, params):
        self.next_id += 1
        name = 'TakeScreenshot' if name == 'TakeElementScreenshot' else name
        text = json.dumps([0, self.next_id, 'WebDriver:' + name, params]).encode()
        self.socket.sendall(b'%d:%s' % (len(text), text))
        while True:
            reply = self.receive()
            if reply[0] == 1 and reply[1] == self.next_id:
                if reply[2]:
                    fail('%s: %s' % (name, reply[2]))
                result = reply[3]
                return result.get('value', result) if isinstance(result, dict) else result

    def close(self):
        self.process.kill()
        self.process.wait()
        subprocess.run(['rm', '-rf', self.profile])


class WebKit(WebDriverCommands):
    """WebKitGTK's MiniBrowser under automation on a private Xvfb, through WebKitWebDriver's W3C
    WebDriver over HTTP."""
    name = 'WebKitGTK'
    MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser'
    ROUTES = {'Navigate': ('POST', 'url'), 'ExecuteScript': ('POST', 'execute/sync'),
              'FindElement': ('POST', 'element'), 'ElementClick': ('POST', 'element/%s/click'),
              'ElementSendKeys': ('POST', 'element/%s/value'), 'TakeScreenshot': ('GET', 'screenshot'),
              'TakeElementScreenshot': ('GET', 'element/%s/screenshot'),
              'SetWindowRect': ('POST', 'window/rect')}

    def __init__(self, width, height):
        self.processes = []
        try:
            environment = dict(os.environ, DISPLAY=self.start_display())
            port = free_port()
            self.start(['WebKitWebDriver', '--host=127.0.0.1', '--port=%d' % port],
                       env=environment)
            self.base = 'http://127.0.0.1:%d' % port
            options = {'binary': self.MINIBROWSER, 'args': ['--automation']}
            capabilities = {'alwaysMatch': {'webkitgtk:browserOptions': options}}
            self.session = until(
                lambda: self.http('POST', 'session', {'capabilities': capabilities}),
                'no WebKitWebDriver session')['sessionId']
            self.resize(width, height)
        except BaseException:
            self.close()
            raise

    def start_display(self):
        """A private Xvfb on a display number no other server holds: one that stays up once
        its socket is there."""
        for number in random.sample(range(200, 900), 20):
            socket_path = '/tmp/.X11-unix/X%d' % number
            if os.path.exists(socket_path):
                continue
            self.start(['Xvfb', ':%d' % number, '-screen', '0', '1920x1200x24',
                        '-nolisten', 'tcp'])
            server = self.processes[-1]
            up = until(lambda: True if os.path.exists(socket_path) or server.poll() is not None
                       else None, 'no Xvfb', 30)
            if up and server.poll() is None:
                return ':%d' % number
        fail('no free X display for Xvfb')

    def start(self, arguments, **options):
        self.processes.append(subprocess.Popen(arguments, stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL, **options))

    def http(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request('%s/%s' % (self.base, path), data=data, method=method,
                                         headers={'Content-Type': 'application/json'})
        try:
            with urllib.request.urlopen(request, timeout=60) as reply:
                return json.loads(reply.read())['value']
        except urllib.error.HTTPError as error:
            fail('%s %s: %s' % (method, path, error.read().decode()[:500]))

    def command(self, name, params):
        method, route = self.ROUTES[name]
        if '%s' in route:
            route = route % params.pop('id')
        return self.http(method, 'session/%s/%s' % (self.session, route),
                         params if method == 'POST' else None)

    def close(self):
        for process in reversed(self.processes):
            process.kill()
            process.wait()
