"""Browsers for what drives the web page, the browser tests, the web benchmark and docs-images,
which find this module with scripts/python on PYTHONPATH: a folder served over HTTP, Debian's
headless Chromium through chromedriver, WebKit's MiniBrowser through WebKitWebDriver, and Firefox
ESR through WebDriver BiDi. Run with Debian's own Python, whose selenium and websockets are
Debian's."""
import contextlib
import functools
import http.server
import json
import os
import re
import socket
import subprocess
import tempfile
import threading
import time
import urllib.request

from selenium import webdriver
from selenium.webdriver.chromium.remote_connection import ChromiumRemoteConnection

# WebGL in software; device pixels as CSS pixels, so that screenshots are comparable.
CHROMIUM_FLAGS = ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
                  '--no-sandbox', '--disable-component-update', '--force-device-scale-factor=1']
WEBKIT_DRIVER = '/usr/bin/WebKitWebDriver'
# What Emscripten's OpenGL emulation says of itself, and WebGL's word on the one hint it lacks.
KNOWN_CONSOLE = ['using emscripten GL emulation', 'using emscripten GL immediate mode emulation',
                 'TODO: glShadeModel', 'INVALID_ENUM: hint: invalid target']


def poll(seconds, check, what):
    """Calls check until it returns something true, and returns that; fails once the deadline has
    passed."""
    deadline = time.monotonic() + seconds
    while not (result := check()):
        assert time.monotonic() < deadline, f'{what}: not within {seconds} s'
        time.sleep(0.05)
    return result


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    """Serves files without a line for each request."""

    def log_message(self, *args):
        pass


def serve(folder, handler_class=QuietHandler):
    """Serves folder from a thread of this process; returns its address."""
    handler = functools.partial(handler_class, directory=folder)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f'http://127.0.0.1:{server.server_address[1]}/'


def cdp(driver, command, **params):
    """A command of Chromium's DevTools protocol, through chromedriver."""
    return driver.execute('executeCdpCommand', {'cmd': command, 'params': params})['value']


def unknown_console(driver):
    """Chromium's console warnings and errors but those of Emscripten's OpenGL emulation."""
    return [entry['message'] for entry in driver.get_log('browser') if entry['level'] in
            ('WARNING', 'SEVERE') and not any(known in entry['message'] for known in KNOWN_CONSOLE)]


@contextlib.contextmanager
def _driver_process(command, port_from):
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               text=True)
    try:
        yield port_from(process)
    finally:
        process.terminate()
        process.wait()


@contextlib.contextmanager
def chromium(*flags):
    """Chromium through chromedriver, at 127.0.0.1: a bare system may not resolve localhost."""
    def port_from(chromedriver):  # once it listens
        return next(found[1] for line in chromedriver.stdout if (found := re.match(
            r'ChromeDriver was started successfully on port (\d+)', line)))

    with _driver_process(['/usr/bin/chromedriver', '--port=0'], port_from) as port:
        options = webdriver.ChromeOptions()
        options.binary_location = '/usr/bin/chromium'
        options.arguments.extend(CHROMIUM_FLAGS + list(flags))
        options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
        driver = webdriver.Remote(ChromiumRemoteConnection(f'http://127.0.0.1:{port}', 'goog',
                                                           'chrome'), options=options)
        try:
            yield driver
        finally:
            driver.quit()


def minibrowser():
    """WebKit's MiniBrowser of the library that Debian's WebKitWebDriver is built with. Its folder
    differs between releases and architectures, and so does the driver's package (Debian 13's
    webkit2gtk-driver only depends on webkitgtk-webdriver): dpkg says where each is."""
    def dpkg(*arguments):
        return subprocess.run(arguments, capture_output=True, text=True, check=True).stdout
    driver_package = dpkg('dpkg-query', '-S', WEBKIT_DRIVER).split(':')[0]
    depends = dpkg('dpkg-query', '-W', '-f=${Depends}', driver_package)
    library = re.search(r'libwebkit[^ ,]*', depends)[0]
    return next(path for path in dpkg('dpkg', '-L', library).split('\n')
                if path.endswith('/MiniBrowser'))


@contextlib.contextmanager
def webkit():
    """WebKit's MiniBrowser through WebKitWebDriver, on the X display of DISPLAY."""
    with socket.socket() as probe:  # a free port for the driver, which cannot choose its own
        probe.bind(('127.0.0.1', 0))
        port = probe.getsockname()[1]

    def port_from(_):
        def answers():
            try:
                with urllib.request.urlopen(f'http://127.0.0.1:{port}/status') as status:
                    return json.load(status)['value']['ready']
            except OSError:
                return False
        poll(20, answers, 'WebKitWebDriver starts')
        return port

    with _driver_process([WEBKIT_DRIVER, f'--port={port}'], port_from):
        options = webdriver.WebKitGTKOptions()
        options.binary_location = minibrowser()
        options.add_argument('--automation')
        driver = webdriver.Remote(f'http://127.0.0.1:{port}', options=options)
        try:
            yield driver
        finally:
            driver.quit()


class BiDi:
    """A WebDriver BiDi connection: commands answered in turn, events kept in order. The socket
    runs on an event loop of its own, so that callers stay plain functions."""

    def __init__(self, url):
        import asyncio
        import websockets  # only where Firefox is driven
        self._loop = asyncio.new_event_loop()
        threading.Thread(target=self._loop.run_forever, daemon=True).start()
        self._run = lambda coroutine, timeout=None: asyncio.run_coroutine_threadsafe(
            coroutine, self._loop).result(timeout)

        async def connect():  # the API that websockets 10 (Debian 12) and later versions share
            return await websockets.connect(url, max_size=None, ping_interval=None)
        self._socket = self._run(connect(), 30)
        self._answers = {}
        self._sent = 0
        self.events = []
        asyncio.run_coroutine_threadsafe(self._read(), self._loop)

    async def _read(self):
        try:
            async for text in self._socket:
                message = json.loads(text)
                if message.get('id') in self._answers:
                    self._answers.pop(message['id']).set_result(message)
                elif message.get('type') == 'event':
                    self.events.append(message)
        finally:  # the browser gone: no command waits for an answer that cannot come
            for answer in self._answers.values():
                answer.set_exception(AssertionError('the browser closed the connection'))

    async def _send(self, method, params):
        self._sent += 1
        answer = self._answers[self._sent] = self._loop.create_future()
        await self._socket.send(json.dumps({'id': self._sent, 'method': method, 'params': params}))
        return await answer

    def command(self, method, timeout=180, **params):
        message = self._run(self._send(method, params), timeout)
        assert message['type'] == 'success', f"{method}: {message.get('message', message)}"
        return message['result']

    def close(self):
        self._run(self._socket.close(), 10)
        self._loop.call_soon_threadsafe(self._loop.stop)


class FirefoxPage:
    """Firefox's tab through WebDriver BiDi, with the calls of a selenium driver that the page
    test makes: scripts, the title, loading a page, and key actions (ActionChains)."""

    def __init__(self, bidi):
        self.bidi = bidi
        self.context = bidi.command('browsingContext.getTree')['contexts'][0]['context']
        bidi.command('session.subscribe', events=['log.entryAdded'])

    def _call(self, body, args, wait):
        # Arguments and result as JSON, which every BiDi version passes as one string.
        function = (f'async (argsJson) => {{ const args = JSON.parse(argsJson); '
                    f'const result = await new Promise((resolve) => {{ '
                    f'const value = (function () {{ {body} }}).apply(null, {wait} ? '
                    f'args.concat([resolve]) : args); if (!{wait}) resolve(value); }}); '
                    f'return JSON.stringify(result === undefined ? null : result); }}')
        answer = self.bidi.command('script.callFunction', functionDeclaration=function,
                                   awaitPromise=True, target={'context': self.context},
                                   arguments=[{'type': 'string', 'value': json.dumps(args)}])
        assert answer['type'] == 'success', answer['exceptionDetails']['text']
        return json.loads(answer['result']['value'])

    def execute_script(self, body, *args):
        return self._call(body, list(args), 'false')

    def execute_async_script(self, body, *args):
        return self._call(body, list(args), 'true')

    def set_script_timeout(self, seconds):
        pass  # each command waits up to BiDi.command's timeout

    @property
    def title(self):
        return self.execute_script('return document.title')

    def add_script_before_page(self, source):
        self.bidi.command('script.addPreloadScript', functionDeclaration=f'() => {{ {source} }}')

    def get(self, url):
        self.bidi.command('browsingContext.navigate', context=self.context, url=url,
                          wait='complete')

    def execute(self, command, params):  # ActionChains' one command: W3C actions
        assert command == 'actions', command
        self.bidi.command('input.performActions', context=self.context, actions=params['actions'])

    def click(self, x, y):
        self.bidi.command('input.performActions', context=self.context, actions=[
            {'type': 'pointer', 'id': 'mouse', 'actions': [
                {'type': 'pointerMove', 'x': round(x), 'y': round(y)},
                {'type': 'pointerDown', 'button': 0}, {'type': 'pointerUp', 'button': 0}]}])

    def console(self, levels=('warn', 'error')):
        return [event['params']['text'] for event in self.bidi.events
                if event['method'] == 'log.entryAdded' and event['params']['level'] in levels]


# Firefox as a test browser: no first-run pages, no updates or reports, and WebGL even should a
# release's blocklist refuse Mesa's software OpenGL.
FIREFOX_PREFS = {'browser.shell.checkDefaultBrowser': False, 'app.update.disabledForTesting': True,
                 'datareporting.policy.dataSubmissionEnabled': False,
                 'browser.aboutwelcome.enabled': False, 'webgl.force-enabled': True}


@contextlib.contextmanager
def firefox():
    """Debian's Firefox ESR through WebDriver BiDi, which it speaks itself (Debian has no
    geckodriver), with a fresh profile, on the X display of DISPLAY: headless, it would offer no
    WebGL without a GPU."""
    with tempfile.TemporaryDirectory() as profile, _firefox_process(profile) as bidi:
        bidi.command('session.new', capabilities={})
        try:
            yield FirefoxPage(bidi)
        finally:
            bidi.command('session.end', timeout=10)


@contextlib.contextmanager
def _firefox_process(profile):
    with open(os.path.join(profile, 'user.js'), 'w') as prefs:
        prefs.writelines(f'user_pref({json.dumps(name)}, {json.dumps(value)});\n'
                         for name, value in FIREFOX_PREFS.items())
    process = subprocess.Popen(['firefox-esr', '--no-remote', '--new-instance', '--profile',
                                profile, '--remote-debugging-port=0', 'about:blank'],
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    try:
        address = next((found[1] for line in process.stderr if (found := re.search(
            r'WebDriver BiDi listening on (ws://\S+)', line))), None)
        assert address, 'Firefox did not start its WebDriver BiDi server'
        threading.Thread(target=process.stderr.read, daemon=True).start()  # never blocks it
        bidi = BiDi(address + '/session')
        try:
            yield bidi
        finally:
            bidi.close()
    finally:
        process.terminate()
        process.wait()
