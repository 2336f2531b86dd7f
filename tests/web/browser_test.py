"""The web build in Debian's headless Chromium, through its chromedriver: browser_test.py TEST
  page      the caption, walking, arrows kept from the page, Escape's end message, and "Play
            again" starting a game that falls and comes to rest exactly as on the desktop
  no_webgl  without WebGL the page says so, and nothing fails
Reads WEB_DIR (the web build) and GOLDEN (tests/golden)."""
import functools
import http.server
import os
import re
import socket
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chromium.remote_connection import ChromiumRemoteConnection
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

# WebGL in software; a window taller than the canvas but not the page, which the arrows could scroll.
FLAGS = ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
         '--disable-background-networking', '--disable-component-update', '--no-first-run',
         '--force-device-scale-factor=1', '--window-size=1000,860']
# What Emscripten's OpenGL emulation says of itself, and WebGL's word on the one hint it lacks.
KNOWN = ['using emscripten GL emulation', 'using emscripten GL immediate mode emulation',
         'TODO: glShadeModel', 'INVALID_ENUM: hint: invalid target']
GOLDEN = os.environ['GOLDEN']
WORK = tempfile.TemporaryDirectory(prefix='eggquest-web-test-')


class Failure(Exception):
    pass


def poll(seconds, check, what):
    """Calls check until it returns something true, and returns that; fails after the deadline."""
    deadline = time.monotonic() + seconds
    while not (result := check()):
        if time.monotonic() > deadline:
            raise Failure(f'{what}: not within {seconds} s')
        time.sleep(0.05)
    return result


def session(address, options):
    try:
        return webdriver.Remote(ChromiumRemoteConnection(address, 'goog', 'chrome'), options=options)
    except Exception:  # chromedriver is not listening yet
        return None


def browser(flags, processes):
    """Chromium and chromedriver, reached at 127.0.0.1: a bare system may not resolve localhost."""
    profile = os.path.join(WORK.name, 'profile')
    processes.append(subprocess.Popen(['/usr/bin/chromium', *FLAGS, *flags, '--user-data-dir=' + profile,
                                       '--remote-debugging-address=127.0.0.1', '--remote-debugging-port=0'],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))

    def devtools_port():  # Chromium writes it into the profile, maybe not all at once
        try:
            with open(os.path.join(profile, 'DevToolsActivePort')) as f:
                line = f.readline()
            return line.endswith('\n') and int(line)
        except OSError:
            return None
    options = webdriver.ChromeOptions()
    options.debugger_address = f'127.0.0.1:{poll(30, devtools_port, "Chromium starts")}'
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        port = probe.getsockname()[1]
    processes.append(subprocess.Popen(['/usr/bin/chromedriver', f'--port={port}'],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    return poll(20, lambda: session(f'http://127.0.0.1:{port}', options), 'chromedriver answers')


def notice(driver):
    return driver.execute_script("return document.getElementById('notice').hidden ? null : "
                                 "document.getElementById('notice-text').textContent")


def magick(driver, *command):
    """What ImageMagick's command says of the canvas, which stands in it as 'canvas'."""
    shot = os.path.join(WORK.name, 'canvas.png')
    driver.find_element(By.ID, 'canvas').screenshot(shot)
    run = subprocess.run([shot if arg == 'canvas' else arg for arg in command], capture_output=True, text=True)
    return run.stdout + run.stderr


def shows(driver, golden):  # but for the rasterizers' rounding
    return magick(driver, 'compare', '-metric', 'AE', '-fuzz', '3%', 'canvas', f'{GOLDEN}/{golden}', 'null:') == '0'


def hold(driver, key, until, what):
    ActionChains(driver).key_down(key).perform()
    try:
        poll(20, until, what)
    finally:
        ActionChains(driver).key_up(key).perform()


def test_page(driver):
    poll(20, lambda: re.match(r'^OpenGL Demo - \d+\.\d\d$', driver.title), 'the title shows the rate')
    ActionChains(driver).send_keys(Keys.ARROW_DOWN).perform()
    # The fixture chicken's magenta half covers the last 40 columns: WIDTHxHEIGHT+LEFT+TOP.
    at_right_edge = r'40x\d+\+760\+'
    hold(driver, Keys.ARROW_RIGHT, lambda: re.match(at_right_edge, magick(
        driver, 'convert', 'canvas', '-fuzz', '15%', '-fill', 'black', '+opaque', 'magenta', '-format', '%@',
        'info:')), 'holding Right walks the chicken to the right edge')
    if driver.execute_script('return window.scrollY') != 0:
        raise Failure('the arrows scrolled the page')
    hold(driver, Keys.ESCAPE, lambda: notice(driver) == 'The game is over.', 'Escape ends the game')
    # "Play again", its first frame held on the canvas: the desktop's first frame.
    driver.execute_script("document.getElementById('play-again').click();"
                          "requestAnimationFrame(() => Module.pauseMainLoop());")
    poll(10, lambda: shows(driver, 'fixtures-0.png'), '"Play again" shows the start')
    # The rules are the desktop's: the chicken passes through the resting place of its frame 36.
    driver.execute_script('Module.resumeMainLoop()')
    poll(10, lambda: shows(driver, 'fixtures-36.png'), 'the new game comes to rest as on the desktop')
    # From the keyboard too: "Play again" has the focus, and Enter is the button's.
    hold(driver, Keys.ESCAPE, lambda: notice(driver), 'Escape ends the second game')
    ActionChains(driver).send_keys(Keys.ENTER).perform()
    poll(10, lambda: notice(driver) is None, 'Enter on "Play again" starts a third game')


def test_no_webgl(driver):
    message = poll(10, lambda: notice(driver), 'the page shows a message')
    if 'WebGL' not in message or driver.find_element(By.ID, 'canvas').is_displayed():
        raise Failure(f'the message is {message!r}, and the canvas is shown')
    if driver.title != 'eggquest':
        raise Failure(f'the game started anyway: the title is {driver.title!r}')


# name: (test, page, Chromium's extra flags)
TESTS = {'page': (test_page, 'fixture-page/', []),
         'no_webgl': (test_no_webgl, 'fixture-page/', ['--disable-webgl'])}

if __name__ == '__main__':
    test, page, flags = TESTS[sys.argv[1]]
    handler = type('Quiet', (http.server.SimpleHTTPRequestHandler,), {'log_message': lambda *_: None})
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0),
                                             functools.partial(handler, directory=os.environ['WEB_DIR']))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    processes = []
    try:
        driver = browser(flags, processes)
        driver.get(f'http://127.0.0.1:{server.server_address[1]}/{page}')
        test(driver)
        console = [entry['message'] for entry in driver.get_log('browser') if entry['level'] in (
            'WARNING', 'SEVERE') and not any(known in entry['message'] for known in KNOWN)]
        if console:
            raise Failure('the console has: ' + '\n  '.join(console))
        print(f'{sys.argv[1]}: ok')
    except Failure as failure:
        sys.exit(f'FAIL: {failure}')
    finally:
        for process in reversed(processes):
            process.terminate()
            process.wait()
