"""Firefox ESR through its Marionette protocol and WebKitGTK's MiniBrowser through WebKitWebDriver,
with the Python standard library alone, behind the WebDriver commands the checks use. The windows
keep their first size, in which the picture fits at 1x."""
import json
import os
import socket
import subprocess
import urllib.request

from common import fail, launch, stop, until

ELEMENT = 'element-6066-11e4-a52e-4f735466cecf'  # a WebDriver element reference's key


class WebDriver:
    """The commands, over a transport's command(name, params) once its connect() has run."""

    def __init__(self, work):
        self.processes, self.work = [], work

    def evaluate(self, expression):
        return self.command('ExecuteScript', {'script': 'return ' + expression, 'args': []})

    def open(self, url):
        # By way of a blank page, so that a change of the address's #... alone loads it afresh.
        for address in ('about:blank', url):
            self.command('Navigate', {'url': address})

    def element(self, name, element_id, **params):
        """The command on the element of that id: ElementClick, ElementSendKeys, TakeScreenshot."""
        element = self.evaluate("document.getElementById('%s')" % element_id)[ELEMENT]
        return self.command(name, dict(params, id=element))

    def close(self):
        for process in self.processes:
            stop(process)


class Firefox(WebDriver):
    """Headless in a fresh profile, through Marionette's length-prefixed JSON on a socket."""

    def connect(self):
        os.mkdir(self.work + '/profile')
        with open(self.work + '/profile/user.js', 'w') as prefs:
            prefs.write('user_pref("marionette.port", 0);\n')  # a free one, written to a file
        self.processes.append(launch(['firefox-esr', '--headless', '--marionette', '--no-remote',
                                      '--profile', self.work + '/profile']))
        port = until(lambda: open(self.work + '/profile/MarionetteActivePort').read(), str.isdigit,
                     'no Marionette port', 60)
        self.stream = socket.create_connection(('127.0.0.1', int(port))).makefile('rwb')
        self.next_id = 0
        self.receive()  # its greeting
        self.command('NewSession', {})

    def receive(self):
        length = b''
        while not length.endswith(b':'):
            length += self.stream.read(1) or fail('Firefox closed its Marionette connection')
        return json.loads(self.stream.read(int(length[:-1])))

    def command(self, name, params):
        self.next_id += 1
        text = json.dumps([0, self.next_id, 'WebDriver:' + name, params]).encode()
        self.stream.write(b'%d:%s' % (len(text), text))
        self.stream.flush()
        _, _, error, result = self.receive()
        if error:
            fail('%s: %s' % (name, error))
        return (result or {}).get('value')


class WebKit(WebDriver):
    """MiniBrowser under automation on a private Xvfb, through WebKitWebDriver's HTTP."""
    ROUTES = {'Navigate': 'url', 'ExecuteScript': 'execute/sync',
              'ElementClick': 'element/%s/click', 'ElementSendKeys': 'element/%s/value',
              'TakeScreenshot': 'element/%s/screenshot'}

    def connect(self):
        self.processes.append(launch(['Xvfb', '-displayfd', '1', '-screen', '0', '1280x1024x24',
                                      '-nolisten', 'tcp'], stdout=subprocess.PIPE))
        display = self.processes[0].stdout.readline().decode().strip() or fail('no Xvfb')
        # Named, the display may not take clients yet: wait until one is answered.
        query = ['xdpyinfo', '-display', ':' + display]
        until(lambda: subprocess.run(query, capture_output=True, check=False).returncode == 0, bool,
              'no answer from Xvfb', 10)
        with socket.socket() as probe:
            probe.bind(('127.0.0.1', 0))
            port = probe.getsockname()[1]
        self.processes.append(launch(['WebKitWebDriver', '--host=127.0.0.1', '--port=%d' % port],
                                     env=dict(os.environ, DISPLAY=':' + display)))
        self.session = 'http://127.0.0.1:%d/session' % port
        options = {'binary': '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
                   'args': ['--automation']}
        body = {'capabilities': {'alwaysMatch': {'webkitgtk:browserOptions': options}}}
        created = until(lambda: self.http('', body), bool, 'no WebKitWebDriver session', 60)
        self.session += '/' + created['sessionId']

    def http(self, path, body):
        request = urllib.request.Request(
            self.session + path, None if 'screenshot' in path else json.dumps(body).encode(),
            {'Content-Type': 'application/json'})
        try:
            with urllib.request.urlopen(request, timeout=60) as reply:
                return json.loads(reply.read())['value']
        except urllib.request.HTTPError as error:
            fail('%s: %s' % (path, error.read().decode()[:500]))

    def command(self, name, params):
        route = self.ROUTES[name]
        return self.http('/' + (route % params.pop('id') if '%s' in route else route), params)
