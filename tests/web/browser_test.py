"""The web build in Debian's headless Chromium, driven through its chromedriver:
  browser_test.py page      the caption, walking, the arrows kept from the page, Escape's end
                            message, and "Play again" showing the start as the desktop draws it
  browser_test.py no_webgl  without WebGL the page says so, and nothing fails
  browser_test.py replay    the playthrough replayed in the page gives the desktop's positions
Reads WEB_DIR (the web build) and GOLDEN (tests/golden)."""
import functools
import http.server
import os
import re
import shutil
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

# WebGL in software from SwiftShader; a window larger than the canvas but smaller than the page,
# so that arrows reaching the page would scroll it.
FLAGS = ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
         '--disable-background-networking', '--disable-component-update', '--no-first-run',
         '--force-device-scale-factor=1', '--window-size=1000,860']
# What Emscripten's OpenGL emulation says of itself, and WebGL's word on the one hint it lacks.
KNOWN_WARNINGS = ['using emscripten GL emulation', 'using emscripten GL immediate mode emulation',
                  'TODO: glShadeModel', 'INVALID_ENUM: hint: invalid target']
GOLDEN = os.environ['GOLDEN']
WORK = tempfile.mkdtemp(prefix='eggquest-web-test-')
PROCESSES = []


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


def start(command):
    PROCESSES.append(subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))


def browser(flags):
    """Chromium and chromedriver, both reached at 127.0.0.1: a bare system may not resolve localhost."""
    profile = os.path.join(WORK, 'profile')
    start(['/usr/bin/chromium', *FLAGS, *flags, f'--user-data-dir={profile}',
           '--remote-debugging-address=127.0.0.1', '--remote-debugging-port=0'])

    def port_written():  # Chromium writes the port it took into the profile, maybe not at once
        try:
            with open(os.path.join(profile, 'DevToolsActivePort')) as f:
                line = f.readline()
        except OSError:
            return None
        return line.endswith('\n') and int(line)
    options = webdriver.ChromeOptions()
    options.debugger_address = f'127.0.0.1:{poll(30, port_written, "Chromium starts")}'
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        driver = f'http://127.0.0.1:{probe.getsockname()[1]}'
    start(['/usr/bin/chromedriver', f'--port={driver.rsplit(":", 1)[1]}'])
    return poll(20, lambda: session(driver, options), 'chromedriver answers')


def session(driver, options):
    try:
        return webdriver.Remote(ChromiumRemoteConnection(driver, 'goog', 'chrome'), options=options)
    except Exception:  # not listening yet
        return None


def expect_quiet_console(driver):
    unexpected = [entry['message'] for entry in driver.get_log('browser')
                  if entry['level'] in ('WARNING', 'SEVERE')
                  and not any(known in entry['message'] for known in KNOWN_WARNINGS)]
    if unexpected:
        raise Failure('the console has: ' + '\n  '.join(unexpected))


def notice(driver):
    return driver.execute_script("return document.getElementById('notice').hidden ? null : "
                                 "document.getElementById('notice-text').textContent")


def magick(driver, *command):
    """ImageMagick's answer for the canvas, with the command's 'shot' the canvas's picture."""
    shot = os.path.join(WORK, 'canvas.png')
    driver.find_element(By.ID, 'canvas').screenshot(shot)
    done = subprocess.run([shot if arg == 'shot' else arg for arg in command], capture_output=True, text=True)
    return done.stdout + done.stderr


def canvas_is(driver, golden):
    """The canvas shows the golden picture, but for the rasterizers' rounding."""
    return magick(driver, 'compare', '-metric', 'AE', '-fuzz', '3%', 'shot',
                  os.path.join(GOLDEN, golden), 'null:') == '0'


def chicken_at_right_edge(driver):
    """The fixture chicken's magenta half covers the last 40 columns: WIDTHxHEIGHT+LEFT+TOP."""
    box = magick(driver, 'convert', 'shot', '-fuzz', '15%', '-fill', 'black', '+opaque', 'magenta',
                 '-format', '%@', 'info:')
    return re.match(r'40x\d+\+760\+', box)


def hold(driver, key, until, what):
    ActionChains(driver).key_down(key).perform()
    try:
        return poll(20, until, what)
    finally:
        ActionChains(driver).key_up(key).perform()


def test_page(driver):
    poll(20, lambda: re.match(r'^OpenGL Demo - \d+\.\d\d$', driver.title), 'the title shows the rate')
    ActionChains(driver).send_keys(Keys.ARROW_DOWN).perform()
    hold(driver, Keys.ARROW_RIGHT, lambda: chicken_at_right_edge(driver),
         'holding Right walks the chicken to the right edge')
    if driver.execute_script('return window.scrollY') != 0:
        raise Failure('the arrows scrolled the page')
    hold(driver, Keys.ESCAPE, lambda: notice(driver) == 'The game is over.', 'Escape ends the game')
    # "Play again", its first frame held on the canvas: the desktop's first frame.
    driver.execute_script("document.getElementById('play-again').click();"
                          "requestAnimationFrame(() => Module.pauseMainLoop());")
    poll(10, lambda: canvas_is(driver, 'fixtures-0.png'), '"Play again" shows the start')
    driver.execute_script('Module.resumeMainLoop()')
    poll(10, lambda: not canvas_is(driver, 'fixtures-0.png'), 'the new game runs on')
    # From the keyboard too: "Play again" has the focus, and Enter is the button's.
    hold(driver, Keys.ESCAPE, lambda: notice(driver), 'Escape ends the second game')
    ActionChains(driver).send_keys(Keys.ENTER).perform()
    poll(10, lambda: notice(driver) is None, 'Enter on "Play again" starts a third game')


def test_no_webgl(driver):
    message = poll(10, lambda: notice(driver), 'the page shows a message')
    if 'WebGL' not in message or driver.find_element(By.ID, 'canvas').is_displayed():
        raise Failure(f'the message is {message!r}, the canvas still shown')
    if driver.title != 'eggquest':
        raise Failure(f'the game started anyway: the title is {driver.title!r}')


def test_replay(driver):
    poll(60, lambda: notice(driver) == 'The game is over.', 'the replay ends')
    trace = driver.execute_script("return Module.FS.readFile('/trace.txt', { encoding: 'utf8' })")
    with open(os.path.join(GOLDEN, 'playthrough.trace')) as f:
        expected = f.read()
    for frame, (seen, wanted) in enumerate(zip(trace.splitlines(), expected.splitlines())):
        if seen != wanted:
            raise Failure(f'frame {frame}: the browser has "{seen}", the desktop "{wanted}"')
    if trace != expected:
        raise Failure(f'the browser traced {trace.count(chr(10))} frames, the desktop {expected.count(chr(10))}')


# name: (test, the page's folder and query, Chromium's extra flags)
TESTS = {'page': (test_page, 'fixture-page/', []),
         'no_webgl': (test_no_webgl, 'fixture-page/', ['--disable-webgl']),
         'replay': (test_replay, 'replay-page/?replays/playthrough.keys', [])}

if __name__ == '__main__':
    test, page, flags = TESTS[sys.argv[1]]
    quiet = type('Quiet', (http.server.SimpleHTTPRequestHandler,), {'log_message': lambda *_: None})
    server = http.server.ThreadingHTTPServer(
        ('127.0.0.1', 0), functools.partial(quiet, directory=os.environ['WEB_DIR']))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        driver = browser(flags)
        driver.get(f'http://127.0.0.1:{server.server_address[1]}/{page}')
        test(driver)
        expect_quiet_console(driver)
        print(f'{sys.argv[1]}: ok')
    except Failure as failure:
        sys.exit(f'FAIL: {failure}')
    finally:
        for process in reversed(PROCESSES):
            process.terminate()
            process.wait()
        server.shutdown()
        shutil.rmtree(WORK, ignore_errors=True)
