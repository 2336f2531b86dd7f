"""Debian's Chromium, headless with WebGL in software, driven through chromedriver, on pages
served from a folder by a server of this process's own on 127.0.0.1."""
import functools
import http.server
import os
import shutil
import socket
import subprocess
import tempfile
import threading
import time
import urllib.request

from selenium import webdriver
from selenium.webdriver.chromium.remote_connection import ChromiumRemoteConnection

CHROMIUM = '/usr/bin/chromium'
CHROMEDRIVER = '/usr/bin/chromedriver'
# WebGL without a GPU comes from ANGLE's SwiftShader; the rest keeps a test run to itself.
CHROMIUM_FLAGS = [
    '--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--no-first-run', '--force-device-scale-factor=1',
    # The 800 x 600 canvas fits, the whole page does not: the arrows could scroll it.
    '--window-size=1000,860',
]


class Failure(Exception):
    pass


def poll(seconds, check, what):
    """Calls check until it returns something true, and returns that; fails after the deadline."""
    deadline = time.monotonic() + seconds
    while True:
        result = check()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f'{what}: not within {seconds} s')
        time.sleep(0.05)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class Server:
    """Serves folder on a free port of 127.0.0.1 until closed."""

    def __init__(self, folder):
        handler = functools.partial(QuietHandler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
        self.url = f'http://127.0.0.1:{self.httpd.server_address[1]}/'
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def free_port():
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


def answers(url):
    try:
        with urllib.request.urlopen(url, timeout=1):
            return True
    except OSError:
        return False


class Browser:
    """A Chromium of a fresh profile, its console kept; a context manager. Chromium and its
    chromedriver are started here and reached at 127.0.0.1, never by the name localhost, which a
    bare system may not resolve."""

    def __init__(self, extra_flags=()):
        self.profile = tempfile.mkdtemp(prefix='eggquest-chromium-')
        self.processes = []
        try:
            self.processes.append(subprocess.Popen(
                [CHROMIUM, *CHROMIUM_FLAGS, f'--user-data-dir={self.profile}', *extra_flags,
                 '--remote-debugging-address=127.0.0.1', '--remote-debugging-port=0'],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            # Chromium writes the port it took into the profile; the file may show up empty first.
            active_port = os.path.join(self.profile, 'DevToolsActivePort')

            def port_written():
                try:
                    with open(active_port) as f:
                        line = f.readline()
                except OSError:
                    return None
                return int(line) if line.endswith('\n') else None
            devtools_port = poll(30, port_written, 'Chromium starts')
            driver_port = free_port()
            self.processes.append(subprocess.Popen(
                [CHROMEDRIVER, f'--port={driver_port}'],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            address = f'http://127.0.0.1:{driver_port}'
            poll(20, lambda: answers(address + '/status'), 'chromedriver answers')
            options = webdriver.ChromeOptions()
            options.debugger_address = f'127.0.0.1:{devtools_port}'
            options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
            self.driver = webdriver.Remote(
                command_executor=ChromiumRemoteConnection(address, 'goog', 'chrome'),
                options=options)
        except BaseException:
            self.stop()
            raise

    def stop(self):
        for process in reversed(self.processes):
            process.terminate()
            process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self.driver

    def __exit__(self, *exc):
        try:
            self.driver.quit()
        finally:
            self.stop()
