"""The game's page in fixture pictures (WEB_DIR/fixture-page) in Debian's headless Chromium; the
benchmarks open their browser with it too."""
import contextlib
import functools
import http.server
import os
import re
import subprocess
import threading
import time

from selenium import webdriver
from selenium.webdriver.chromium.remote_connection import ChromiumRemoteConnection
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

# WebGL in software; a window taller than the canvas but not the page, which arrows could scroll.
FLAGS = ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
         '--disable-component-update', '--force-device-scale-factor=1', '--window-size=1000,860']
# What Emscripten's OpenGL emulation says of itself, and WebGL's word on the one hint it lacks.
KNOWN = ['using emscripten GL emulation', 'using emscripten GL immediate mode emulation',
         'TODO: glShadeModel', 'INVALID_ENUM: hint: invalid target']


def poll(seconds, check, what):
    """Calls check until it holds; fails once the deadline has passed."""
    deadline = time.monotonic() + seconds
    while not check():
        assert time.monotonic() < deadline, f'{what}: not within {seconds} s'
        time.sleep(0.05)


def notice(driver):
    return driver.execute_script("return document.getElementById('notice').hidden ? null : "
                                 "document.getElementById('notice-text').textContent")


def magick(driver, *command):
    """What ImageMagick's command says of the canvas's picture, which it reads as png:-."""
    png = driver.find_element(By.ID, 'canvas').screenshot_as_png
    run = subprocess.run(command, input=png, capture_output=True)
    return (run.stdout + run.stderr).decode()


def shows(driver, golden):  # but for the rasterizers' rounding
    path = os.path.join(os.environ['GOLDEN'], golden)
    # ImageMagick 6 prints the count of differing pixels, 7 adds the share in brackets: "0 (0)".
    return re.fullmatch(r'0( \(0\))?', magick(driver, 'compare', '-metric', 'AE', '-fuzz', '3%',
                                                 'png:-', path, 'null:')) is not None


def hold(driver, key, until, what):
    ActionChains(driver).key_down(key).perform()
    poll(20, until, what)
    ActionChains(driver).key_up(key).perform()


def test_page(driver):
    """The caption, walking, arrows kept from the page, Escape's end message, and "Play again"
    starting a game whose first frames are the desktop's (GOLDEN)."""
    poll(20, lambda: re.match(r'^OpenGL Demo - \d+\.\d\d$', driver.title), 'the rate in the title')
    ActionChains(driver).send_keys(Keys.ARROW_DOWN).perform()
    # The fixture chicken's magenta half covers the last 40 columns: WIDTHxHEIGHT+LEFT+TOP.
    chicken = ['convert', 'png:-', '-fuzz', '15%', '-fill', 'black', '+opaque', 'magenta',
               '-format', '%@', 'info:']
    hold(driver, Keys.ARROW_RIGHT, lambda: re.match(r'40x\d+\+760\+', magick(driver, *chicken)),
         'holding Right walks the chicken to the right edge')
    assert driver.execute_script('return window.scrollY') == 0, 'the arrows scrolled the page'
    hold(driver, Keys.ESCAPE, lambda: notice(driver) == 'The game is over.', 'Escape ends the game')
    # "Play again", paused after each of its first 21 frames: then it shows the desktop's frame 20.
    driver.execute_async_script("""const done = arguments[0]; let frames = 21;
        const step = () => requestAnimationFrame(() => {  // after the game's own frame callback
          Module.pauseMainLoop();
          --frames ? (Module.resumeMainLoop(), step()) : done(); });
        document.getElementById('play-again').click(); step();""")
    poll(10, lambda: shows(driver, 'fixtures-20.png'), '"Play again" plays as on the desktop')
    driver.execute_script('Module.resumeMainLoop()')
    # From the keyboard too: "Play again" has the focus, and Enter is the button's.
    hold(driver, Keys.ESCAPE, lambda: notice(driver), 'Escape ends the second game')
    ActionChains(driver).send_keys(Keys.ENTER).perform()
    poll(10, lambda: notice(driver) is None, 'Enter on "Play again" starts a third game')


def serve(folder):  # from a thread of this process
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f'http://127.0.0.1:{server.server_address[1]}/'


@contextlib.contextmanager
def chromium():
    """Chromium through chromedriver, at 127.0.0.1: a bare system may not resolve localhost."""
    chromedriver = subprocess.Popen(['/usr/bin/chromedriver', '--port=0'], stdout=subprocess.PIPE,
                                    text=True)
    try:
        port = next(found[1] for line in chromedriver.stdout if (found := re.match(
            r'ChromeDriver was started successfully on port (\d+)', line)))  # once it listens
        options = webdriver.ChromeOptions()
        options.binary_location = '/usr/bin/chromium'
        options.arguments.extend(FLAGS)
        options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
        driver = webdriver.Remote(ChromiumRemoteConnection(f'http://127.0.0.1:{port}', 'goog',
                                                           'chrome'), options=options)
        try:
            yield driver
        finally:
            driver.quit()
    finally:
        chromedriver.terminate()


if __name__ == '__main__':
    try:
        with chromium() as driver:
            driver.get(serve(os.environ['WEB_DIR']) + 'fixture-page/')
            test_page(driver)
            unknown = [entry['message'] for entry in driver.get_log('browser') if entry['level']
                       in ('WARNING', 'SEVERE') and not any(k in entry['message'] for k in KNOWN)]
            assert not unknown, 'the console has: ' + '\n  '.join(unknown)
    except AssertionError as failure:
        raise SystemExit(f'FAIL: {failure}')
    print('page: ok')
