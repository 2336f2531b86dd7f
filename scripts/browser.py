"""Browsers for the scripts that drive the web page (the browser tests, the web benchmark and
docs-images): a folder served over HTTP, Debian's headless Chromium through chromedriver, and
WebKit's MiniBrowser through WebKitWebDriver. Run with Debian's own Python, whose selenium is
Debian's."""
import contextlib
import functools
import http.server
import json
import re
import socket
import subprocess
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
