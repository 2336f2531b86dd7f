"""The web build in a real browser:
  browser_test.py page                 the game's page: caption, level 1, walking, the arrows,
                                       Escape's end message and "Play again"
  browser_test.py no_webgl             without WebGL, the page says so and nothing fails
  browser_test.py replay_playthrough   the playthrough replayed in the page and on the desktop
                                       give the same trace, frame for frame
Reads WEB_DIR (the web build), SCREEN_CHECK, and for the replay REPLAY, PLAYTHROUGH and GAME_DIR."""
import os
import re
import subprocess
import sys
import tempfile

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from browser import Browser, Failure, Server, poll

WEB_DIR = os.environ['WEB_DIR']
WORK = tempfile.mkdtemp(prefix='eggquest-web-test-')

# What Emscripten's OpenGL emulation says of itself, and WebGL's complaint about the one hint that
# has no WebGL counterpart: expected on every run.
KNOWN_WARNINGS = [
    'using emscripten GL emulation',
    'using emscripten GL immediate mode emulation',
    'TODO: glShadeModel',
    'INVALID_ENUM: hint: invalid target',
]
CAPTION = re.compile(r'^OpenGL Demo - \d+\.\d\d$')
TILE_WIDTH, TILE_HEIGHT = 40, 30


def expect_quiet_console(driver):
    unexpected = [entry['message'] for entry in driver.get_log('browser')
                  if entry['level'] in ('WARNING', 'SEVERE')
                  and not any(known in entry['message'] for known in KNOWN_WARNINGS)]
    if unexpected:
        raise Failure('the console has: ' + '\n  '.join(unexpected))


def screen_check(*args):
    return subprocess.run([os.environ['SCREEN_CHECK'], *args], capture_output=True, text=True)


def screenshot(driver):
    """The canvas as a PPM file, for screen_check."""
    png = driver.find_element(By.ID, 'canvas').screenshot_as_png
    path = os.path.join(WORK, 'canvas.ppm')
    subprocess.run(['convert', 'png:-', '-depth', '8', f'ppm:{path}'], input=png, check=True)
    return path


def chicken(driver):
    """The chicken's square on the canvas as (left, top, right, bottom) pixels, or None."""
    found = screen_check('chicken', screenshot(driver))
    return tuple(map(int, found.stdout.split())) if found.returncode == 0 else None


def shows_level(driver, level):
    return screen_check('layout', screenshot(driver), str(level)).returncode == 0


def notice(driver):
    return driver.execute_script(
        "const n = document.getElementById('notice');"
        "return n.hidden ? null : document.getElementById('notice-text').textContent;")


def hold(driver, key, until, what):
    ActionChains(driver).key_down(key).perform()
    try:
        return poll(20, until, what)
    finally:
        ActionChains(driver).key_up(key).perform()


def test_page():
    server = Server(os.path.join(WEB_DIR, 'fixture-page'))
    try:
        with Browser() as driver:
            driver.get(server.url)
            poll(20, lambda: CAPTION.match(driver.title), f'the title shows the frame rate ({driver.title!r})')
            poll(10, lambda: shows_level(driver, 1), 'the canvas shows level 1 as its map says')
            start = poll(10, lambda: chicken(driver), 'the chicken is on the canvas')
            if (start[0], start[2]) != (10 * TILE_WIDTH, 11 * TILE_WIDTH - 1):
                raise Failure(f'the chicken starts at {start}, not at column 10')

            # On a page taller than the window, the down arrow would scroll it.
            ActionChains(driver).send_keys(Keys.ARROW_DOWN).perform()
            hold(driver, Keys.ARROW_RIGHT, lambda: (c := chicken(driver)) and c[2] == 799,
                 'holding Right walks the chicken to the right edge')
            scrolled = driver.execute_script('return window.scrollY')
            if scrolled != 0:
                raise Failure(f'the arrows scrolled the page by {scrolled} pixels')

            hold(driver, Keys.ESCAPE, lambda: notice(driver) == 'The game is over.',
                 'Escape ends with the end message')
            play_again = driver.find_element(By.ID, 'play-again')
            if not play_again.is_displayed():
                raise Failure('the end message offers no "Play again"')

            # The new game's first frame stays on the canvas: it draws the start position.
            driver.execute_script(
                "document.getElementById('play-again').click();"
                "requestAnimationFrame(() => Module.pauseMainLoop());")
            first = poll(10, lambda: chicken(driver), 'the chicken is on the canvas after "Play again"')
            if first[:2] != (10 * TILE_WIDTH, 10 * TILE_HEIGHT):
                raise Failure(f'"Play again" starts the chicken at pixels {first[:2]}, not at (10, 10)')
            if notice(driver) is not None or not shows_level(driver, 1):
                raise Failure('"Play again" does not show level 1 without the end message')
            driver.execute_script('Module.resumeMainLoop()')
            poll(10, lambda: (c := chicken(driver)) and c[1] > first[1], 'the new game runs on')
            # From the keyboard too: the button has the focus, and Enter is the button's.
            hold(driver, Keys.ESCAPE, lambda: notice(driver), 'Escape ends the second game')
            ActionChains(driver).send_keys(Keys.ENTER).perform()
            poll(10, lambda: notice(driver) is None, 'Enter on "Play again" starts a third game')
            expect_quiet_console(driver)
    finally:
        server.close()


def test_no_webgl():
    server = Server(os.path.join(WEB_DIR, 'fixture-page'))
    try:
        with Browser(['--disable-webgl']) as driver:
            driver.get(server.url)
            poll(10, lambda: driver.execute_script("return document.readyState") == 'complete',
                 'the page loads')
            message = poll(10, lambda: notice(driver), 'the page shows a message')
            if 'WebGL' not in message:
                raise Failure(f'the message does not name WebGL: {message!r}')
            if driver.find_element(By.ID, 'canvas').is_displayed():
                raise Failure('the canvas is still shown')
            if driver.title != 'eggquest':
                raise Failure(f'the game started anyway: the title is {driver.title!r}')
            expect_quiet_console(driver)
    finally:
        server.close()


def test_replay_playthrough():
    desktop_trace = os.path.join(WORK, 'desktop.trace')
    subprocess.run([os.environ['REPLAY'], os.environ['PLAYTHROUGH'], '--trace', desktop_trace],
                   cwd=os.environ['GAME_DIR'], check=True, stdout=subprocess.DEVNULL)
    with open(desktop_trace) as f:
        desktop = f.read().splitlines()
    server = Server(os.path.join(WEB_DIR, 'replay-page'))
    try:
        with Browser() as driver:
            driver.get(server.url + '?replays/' + os.path.basename(os.environ['PLAYTHROUGH']))
            poll(60, lambda: notice(driver) == 'The game is over.', 'the replay ends')
            browser = driver.execute_script(
                "return Module.FS.readFile('/trace.txt', { encoding: 'utf8' })").splitlines()
            expect_quiet_console(driver)
    finally:
        server.close()
    for desktop_line, browser_line in zip(desktop, browser):
        if desktop_line != browser_line:
            raise Failure(f'desktop "{desktop_line}", browser "{browser_line}"')
    if len(browser) != len(desktop):
        raise Failure(f'the browser traced {len(browser)} frames, the desktop {len(desktop)}')
    levels = {line.split()[1] for line in browser}
    if levels != {'1', '2'}:
        raise Failure(f'the playthrough went through levels {sorted(levels)}, not 1 and 2')
    print(f'{len(browser)} frames, the same in the browser and on the desktop')


TESTS = {'page': test_page, 'no_webgl': test_no_webgl, 'replay_playthrough': test_replay_playthrough}

if __name__ == '__main__':
    try:
        TESTS[sys.argv[1]]()
    except Failure as failure:
        print(f'FAIL: {failure}')
        sys.exit(1)
    finally:
        subprocess.run(['rm', '-rf', WORK])
    print(f'{sys.argv[1]}: ok')
