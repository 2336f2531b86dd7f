"""The game's page with the fixture pictures (WEB_DIR/fixture-page) in headless Chromium and in
WebKit's MiniBrowser: browser_test.py CASE, one of page, touch, layout, pad, pace, webkit.
Stepped frames are compared with the desktop's: GOLDEN's pictures, or the replay tool's (REPLAY,
in FIXTURE_DIR) under the same keys."""
import base64
import collections
import functools
import io
import json
import os
import re
import subprocess
import sys
import tempfile

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts'))
from browser import (KNOWN_CONSOLE, QuietHandler, cdp, chromium, poll, serve,  # noqa: E402
                     unknown_console, webkit)

# Before the page's scripts. The game clears the picture once a frame: counting WebGL's clears
# counts its frames. The key events on document are what the game gets.
PROBE = """
  window.gameFrames = 0;
  const clear = WebGLRenderingContext.prototype.clear;
  WebGLRenderingContext.prototype.clear = function (mask) {
    window.gameFrames++;
    return clear.call(this, mask);
  };
  window.keyLog = [];
  for (const type of ['keydown', 'keyup']) {
    document.addEventListener(type, (event) => keyLog.push(type + ' ' + event.keyCode), true);
  }
"""
# A fake gamepad list in place of the browser's: the test fills window.pads.
FAKE_PADS = """
  window.pads = [null, null, null, null];
  navigator.getGamepads = () => window.pads;
  window.pad = (index, mapping, pressed, axes) => {
    window.pads[index] = { index, mapping, connected: true, axes, id: 'fake pad',
      buttons: Array.from({ length: 17 }, (_, button) => ({ pressed: pressed.includes(button) })) };
  };
"""
# Animation frames whose time stamps advance as on a display of window.fakeHz (all the frame's
# callbacks get the same one), and a count of them beside the game's frames.
FAKE_DISPLAY = """
  const realFrame = window.requestAnimationFrame.bind(window);
  let lastReal = null, fakeTime = 0;
  window.fakeHz = 0;
  window.requestAnimationFrame = (callback) => realFrame((time) => {
    if (time !== lastReal) {
      lastReal = time;
      fakeTime = window.fakeHz ? fakeTime + 1000 / window.fakeHz : time;
    }
    callback(fakeTime);
  });
  window.rhythm = [];  // game frames in each animation frame, once recording
  let seen = 0;
  const count = () => {
    if (window.recording) window.rhythm.push(window.gameFrames - seen);
    seen = window.gameFrames;
    requestAnimationFrame(count);
  };
  requestAnimationFrame(count);
"""
# Runs the game's next arguments[0] frames, pauses it and returns the canvas's picture. A callback
# asked for after the game's own runs after its frame, before the browser shows and clears it.
STEP = """
  const [frames, done] = arguments;
  const until = window.gameFrames + frames;
  const wait = () => requestAnimationFrame(() => window.gameFrames < until ? wait() :
    (Module.pauseMainLoop(), done(document.getElementById('canvas').toDataURL())));
  Module.resumeMainLoop();
  wait();
"""
# The canvas's picture after the running game's next frame.
CAPTURE = """
  const done = arguments[0];
  const seen = window.gameFrames;
  const wait = () => requestAnimationFrame(() => window.gameFrames > seen ?
    done(document.getElementById('canvas').toDataURL()) : wait());
  wait();
"""
PHONE_LANDSCAPE = (844, 390)
PHONE_PORTRAIT = (390, 844)
TOUCH_LABELS = {'Left': 'Left', 'Right': 'Right', 'Up': 'Jump'}
PLAYTHROUGH = os.environ.get('PLAYTHROUGH', '')
WORK = tempfile.TemporaryDirectory()


def playing(driver):
    poll(30, lambda: re.match(r'^OpenGL Demo - \d+\.\d\d$', driver.title), 'the rate in the title')


def notice(driver):
    return driver.execute_script("return document.getElementById('notice').hidden ? null : "
                                 "document.getElementById('notice-text').textContent")


def png(data_url):
    return base64.b64decode(data_url.partition(',')[2])


def magick(picture, *command):
    """What ImageMagick's command says of a PNG picture, which it reads as png:-."""
    run = subprocess.run(command, input=picture, capture_output=True)
    return (run.stdout + run.stderr).decode()


def same(picture, expected):  # but for the rasterizers' rounding
    # ImageMagick 6 prints the count of differing pixels, 7 adds the share in brackets: "0 (0)".
    return re.fullmatch(r'0( \(0\))?', magick(picture, 'compare', '-metric', 'AE', '-fuzz', '3%',
                                                 'png:-', expected, 'null:')) is not None


def golden(name):
    return os.path.join(os.environ['GOLDEN'], name)


def desktop_frame(keys, frame):
    """The desktop replay's picture of frame under the key script keys, in fixture pictures."""
    with open(os.path.join(WORK.name, 'keys'), 'w') as script:
        script.write(f'{keys}\n{frame + 1} Escape\n')
    picture = os.path.join(WORK.name, f'desktop-{frame}.png')
    subprocess.run([os.environ['REPLAY'], script.name, '--png', f'{frame}:{picture}'],
                   cwd=os.environ['FIXTURE_DIR'], check=True, capture_output=True)
    return picture


def held_keys(keys):
    """The keys a key script holds in each frame."""
    held = collections.defaultdict(set)
    for line in keys.splitlines():
        words = line.split('#')[0].split()
        if words:
            first, _, last = words[0].partition('-')
            for frame in range(int(first), int(last or first) + 1):
                held[frame].update(words[1:])
    return held


def chicken(driver):
    """Where the fixture chicken's magenta half is in the next frame: WIDTHxHEIGHT+LEFT+TOP."""
    return magick(png(driver.execute_async_script(CAPTURE)), 'convert', 'png:-', '-fuzz', '15%',
                  '-fill', 'black', '+opaque', 'magenta', '-format', '%@', 'info:')


def hold(driver, key, until, what):
    ActionChains(driver).key_down(key).perform()
    poll(20, until, what)
    ActionChains(driver).key_up(key).perform()


def step(driver, frames):
    """Runs the paused game's next frames; returns the last one's picture."""
    return png(driver.execute_async_script(STEP, frames))


def pause_on_play_again(driver):
    """The game that "Play again" starts next waits, before its first frame, for step."""
    driver.execute_script("document.getElementById('play-again').addEventListener('click', "
                          "() => Module.pauseMainLoop(), { once: true })")


def restart_paused(driver, press_play_again):
    """Ends the game with Escape and starts another with press_play_again, paused before its first
    frame."""
    playing(driver)
    hold(driver, Keys.ESCAPE, lambda: notice(driver) == 'The game is over.', 'Escape ends the game')
    pause_on_play_again(driver)
    press_play_again()
    poll(10, lambda: notice(driver) is None, '"Play again" starts another game')


def open_page(driver, *before_scripts, viewport=None):
    """The fixture page, after the given scripts; with viewport, in a phone's touch screen."""
    for script in (PROBE,) + before_scripts:
        cdp(driver, 'Page.addScriptToEvaluateOnNewDocument', source=script)
    if viewport:
        cdp(driver, 'Emulation.setDeviceMetricsOverride', width=viewport[0], height=viewport[1],
            deviceScaleFactor=1, mobile=True)
        cdp(driver, 'Emulation.setTouchEmulationEnabled', enabled=True, maxTouchPoints=10)
    driver.get(serve(os.environ['WEB_DIR']) + 'fixture-page/')


def rect(driver, selector):
    return driver.execute_script("""const r = document.querySelector(arguments[0])
        .getBoundingClientRect(); return [r.left, r.top, r.right, r.bottom];""", selector)


def centre(driver, selector):
    left, top, right, bottom = rect(driver, selector)
    return (left + right) / 2, (top + bottom) / 2


def test_page(driver):
    """The caption, walking, arrows kept from the page, no touch controls, Escape's end message,
    and "Play again" starting a game whose first frames are the desktop's."""
    open_page(driver)
    playing(driver)
    assert driver.execute_script("return [...document.querySelectorAll('[data-key]')]"
                                 ".every((control) => !control.offsetWidth)"), 'controls shown'
    ActionChains(driver).send_keys(Keys.ARROW_DOWN).perform()
    hold(driver, Keys.ARROW_RIGHT, lambda: re.match(r'40x\d+\+760\+', chicken(driver)),
         'holding Right walks the chicken to the right edge')
    assert driver.execute_script('return window.scrollY') == 0, 'the arrows scrolled the page'
    restart_paused(driver, lambda: driver.find_element(By.ID, 'play-again').click())
    assert same(step(driver, 21), golden('fixtures-20.png')), '"Play again" plays otherwise'
    driver.execute_script('Module.resumeMainLoop()')
    # From the keyboard too: "Play again" has the focus, and Enter is the button's.
    hold(driver, Keys.ESCAPE, lambda: notice(driver), 'Escape ends the second game')
    ActionChains(driver).send_keys(Keys.ENTER).perform()
    poll(10, lambda: notice(driver) is None, 'Enter on "Play again" starts a third game')


def play(driver, actions, last_frame, checks):
    """Steps the paused game through frames 0 to last_frame: actions[N]() runs before frame N, and
    the picture of frame N must be the file checks[N]."""
    frame = 0
    stops = set(actions) | {frame + 1 for frame in checks} | {last_frame + 1}
    for stop in sorted(stop for stop in stops if stop <= last_frame + 1):
        if stop > frame:
            picture, frame = step(driver, stop - frame), stop
            assert frame - 1 not in checks or same(picture, checks[frame - 1]), \
                f"frame {frame - 1} is not the desktop's"
        if stop in actions:
            actions[stop]()


class Fingers:
    """Fingers on the page's touch screen, through the DevTools protocol, each with a number."""

    def __init__(self, driver):
        self.driver, self.down = driver, {}

    def _send(self, kind, points):
        cdp(self.driver, 'Input.dispatchTouchEvent', type=kind,
            touchPoints=[{'x': x, 'y': y, 'id': finger} for finger, (x, y) in points.items()])

    def press(self, finger, where):
        self.down[finger] = where
        self._send('touchStart', self.down)

    def slide(self, finger, where):
        self.down[finger] = where
        self._send('touchMove', {finger: where})

    def lift(self, finger):
        self._send('touchEnd', {finger: self.down.pop(finger)})

    def tap(self, finger, where):
        self.press(finger, where)
        self.lift(finger)


def touch_actions(driver, fingers, keys):
    """Actions for play that hold each of the key script's keys with a finger of its own."""
    held = collections.defaultdict(set, {frame: keys & TOUCH_LABELS.keys()
                                         for frame, keys in held_keys(keys).items()})
    controls = {key: centre(driver, f'[data-key={key}]') for key in TOUCH_LABELS}
    finger_of = {'Left': 1, 'Right': 2, 'Up': 3}

    def change(frame):
        for key in held[frame - 1] - held[frame]:
            fingers.lift(finger_of[key])
        for key in held[frame] - held[frame - 1]:
            fingers.press(finger_of[key], controls[key])
    return {frame: functools.partial(change, frame) for frame in range(max(held) + 2)
            if held[frame] != held[frame - 1]}


def test_touch(driver):
    """In a phone's landscape touch screen: controls to hit and their names; the playthrough by
    touch alone to the end page and "Play again", with two fingers at once; a finger sliding
    between controls and off them; ten at once; each key sent once however many sources hold it;
    neither a swipe nor a pinch scrolling or zooming the page."""
    open_page(driver, viewport=PHONE_LANDSCAPE)
    fingers = Fingers(driver)
    for key, label in TOUCH_LABELS.items():
        left, top, right, bottom = rect(driver, f'[data-key={key}]')
        assert right - left >= 48 and bottom - top >= 48, f'{label} is too small to hit'
        assert driver.execute_script(f"return document.querySelector('[data-key={key}]')"
                                     ".getAttribute('aria-label')") == label, f'{label} unnamed'
    restart_paused(driver, lambda: fingers.tap(9, centre(driver, '#play-again')))
    with open(PLAYTHROUGH) as script:
        actions = touch_actions(driver, fingers, script.read())
    play(driver, actions, 245, {60: golden('fixtures-60.png'), 180: golden('fixtures-180.png')})
    poll(10, lambda: notice(driver) == 'The game is over.', 'the second egg ends the game')
    pause_on_play_again(driver)
    fingers.tap(9, centre(driver, '#play-again'))
    poll(10, lambda: notice(driver) is None, 'a tap on "Play again" starts another game')

    # One finger holds Right while another taps Jump, then slides onto Left and off every control;
    # then ten fingers at once, some of them on no control.
    left, right, jump = (centre(driver, f'[data-key={key}]') for key in TOUCH_LABELS)
    picture = centre(driver, '#canvas')
    elsewhere = [(10, 10), (420, 20), (400, 300), (830, 200), (300, 380), (600, 200)]
    ten = lambda: [fingers.press(finger, where) for finger, where in  # noqa: E731
                   enumerate([left, right, jump] + elsewhere, 2)]
    play(driver, {30: lambda: fingers.press(1, right), 40: lambda: fingers.press(2, jump),
                  42: lambda: fingers.lift(2), 50: lambda: fingers.slide(1, left),
                  70: lambda: fingers.slide(1, picture), 75: ten,
                  78: lambda: [fingers.lift(finger) for finger in list(fingers.down)]}, 90,
         {90: desktop_frame('30-49 Right\n40-41 Up\n50-69 Left\n75-77 Left Right Up', 90)})
    driver.execute_script('Module.resumeMainLoop()')

    # Each key goes down once and up once; a cancelled finger lets go, and so does a finger still
    # down when the page loses the focus or is hidden.
    driver.execute_script('keyLog.length = 0')
    ActionChains(driver).key_down(Keys.ARROW_RIGHT).perform()
    fingers.press(1, right)
    ActionChains(driver).key_up(Keys.ARROW_RIGHT).perform()
    fingers.lift(1)
    fingers.press(1, right)
    cdp(driver, 'Input.dispatchTouchEvent', type='touchCancel', touchPoints=[])
    events = lambda count: driver.execute_script('return keyLog.length') >= count  # noqa: E731
    fingers.press(1, left)
    driver.execute_script("dispatchEvent(new Event('blur'))")
    poll(5, lambda: events(6), 'a finger still down lets go when the page loses the focus')
    fingers.lift(1)
    fingers.press(1, jump)
    driver.execute_script("""Object.defineProperty(document, 'hidden', { value: true });
        document.dispatchEvent(new Event('visibilitychange'))""")
    poll(5, lambda: events(8), 'a finger still down lets go when the page is hidden')
    fingers.lift(1)
    log = driver.execute_script('return keyLog')
    assert log == ['keydown 39', 'keyup 39', 'keydown 39', 'keyup 39', 'keydown 37', 'keyup 37',
                   'keydown 38', 'keyup 38'], f'the game got {log}'
    assert driver.execute_script("""const held = new MouseEvent('contextmenu',
        { bubbles: true, cancelable: true });
        return !document.querySelector('[data-key=Up]').dispatchEvent(held);"""), \
        'a long press on a control opens the context menu'

    # A swipe, then a pinch, on the picture.
    x, y = picture
    fingers.press(1, picture)
    for moved in range(20, 220, 20):
        fingers.slide(1, (x - moved, y - moved))
    fingers.lift(1)
    fingers.press(1, (x - 20, y))
    fingers.press(2, (x + 20, y))
    for moved in range(20, 220, 20):
        fingers.slide(1, (x - 20 - moved, y))
        fingers.slide(2, (x + 20 + moved, y))
    fingers.lift(1)
    fingers.lift(2)
    driver.execute_async_script('requestAnimationFrame(() => requestAnimationFrame(arguments[0]))')
    assert driver.execute_script('return [scrollX, scrollY, visualViewport.scale]') == [0, 0, 1], \
        'a finger scrolled or zoomed the page'


def test_layout(driver):
    """The canvas is the largest 4:3 box that fits phones' landscape and portrait screens, drawn
    crisp, with the controls beside or below it, and nothing wider than the screen."""
    open_page(driver, viewport=PHONE_LANDSCAPE)
    for width, height in [PHONE_LANDSCAPE, PHONE_PORTRAIT]:
        cdp(driver, 'Emulation.setDeviceMetricsOverride', width=width, height=height,
            deviceScaleFactor=1, mobile=True)
        poll(5, lambda: driver.execute_script('return innerWidth') == width, 'the screen turns')
        left, top, right, bottom = canvas = rect(driver, '#canvas')
        largest = min(width, height * 4 / 3) if width > height else width
        assert left >= 0 and top >= 0 and right <= width and bottom <= height, f'canvas {canvas}'
        assert abs((right - left) * 3 - (bottom - top) * 4) < 4, f'canvas {canvas} is not 4:3'
        assert right - left >= largest - 1, f'canvas {canvas} is smaller than it could be'
        for key in TOUCH_LABELS:
            c_left, c_top, c_right, c_bottom = rect(driver, f'[data-key={key}]')
            assert c_right <= left or c_left >= right or c_top >= bottom, f'{key} covers the game'
            assert c_bottom <= height and c_right <= width, f'{key} is off the screen'
        assert driver.execute_script('return document.documentElement.scrollWidth') <= width, \
            'the page scrolls sideways'
    assert driver.execute_script("return getComputedStyle(document.getElementById('canvas'))"
                                 ".imageRendering") == 'pixelated', 'the picture is blurred'
    assert driver.execute_script("return !document.getElementById('fullscreen').hidden"), \
        'no fullscreen button though the browser has the API'


def test_pad(driver):
    """A fake gamepad walks and jumps as the keys do, past a drifting stick; a pad of unknown
    layout does nothing; unplugged, the pad lets go; on the end page its button plays again."""
    open_page(driver, FAKE_PADS)

    def pad(index, mapping, pressed, axes):  # and waits until the page has read the pads
        driver.execute_async_script(f"""const done = arguments[0];
            {f'pads[{index}] = null' if mapping is None else
             f'pad({index}, {mapping!r}, {pressed}, {axes})'};
            requestAnimationFrame(() => requestAnimationFrame(done));""")
    pad(1, '', [0, 12, 15], [1, 1])
    restart_paused(driver, lambda: pad(0, 'standard', [0], [0, 0]))
    assert driver.execute_script("return !document.getElementById('pad-in-use').hidden"), \
        'the page does not say a pad is in use'
    standard = lambda pressed, axes: lambda: pad(0, 'standard', pressed, axes)  # noqa: E731
    play(driver, {0: standard([], [0.3, -0.4]), 40: standard([], [0.9, 0]),
                  58: standard([0], [0.2, 0]), 59: standard([], [0, 0.45])}, 60,
         {60: golden('fixtures-60.png')})
    play(driver, {0: standard([14], [0, 0]), 2: standard([12, 14], [0, 0]),
                  3: standard([], [-0.8, 0]), 20: lambda: pad(0, None, [], [])}, 40,
         {40: desktop_frame('40-57 Right\n58 Up\n61-80 Left\n63 Up', 101)})
    assert driver.execute_script("return document.getElementById('pad-in-use').hidden"), \
        'the page still says a pad is in use'


def test_pace(driver):
    """With animation frames at 60, 120 and 144 Hz the game gets 60 frames a second, evenly, and
    at 60 Hz every animation frame is a game frame."""
    open_page(driver, FAKE_DISPLAY)
    playing(driver)
    settle = 5  # animation frames at the new rate before counting
    for hz in 60, 120, 144:
        driver.execute_script(f'window.fakeHz = {hz}; window.rhythm = []; window.recording = true')
        rhythm = poll(60, lambda: len(r := driver.execute_script('return window.rhythm')) >=
                      settle + hz and r, f'a second of animation frames at {hz} Hz')[settle:]
        rate = sum(rhythm) * hz / len(rhythm)
        # Animation frames without a game frame between two with one: a steady rhythm has 0 at
        # 60 Hz, 1 at 120 Hz, 1 or 2 at 144 Hz.
        gaps = {len(run) for run in ''.join(map(str, rhythm)).strip('0').split('1')[1:-1]}
        assert abs(rate - 60) <= 2, f'at {hz} Hz the game gets {rate:.1f} frames a second'
        assert gaps <= {hz // 60 - 1, -(-hz // 60) - 1}, f'at {hz} Hz the rhythm is {rhythm}'
        assert hz != 60 or set(rhythm) == {1}, f'at 60 Hz frames are skipped: {rhythm}'


def test_webkit(driver):
    """WebKit's engine: the page starts, the keys walk and jump, the end page and "Play again" work,
    and no script fails."""
    driver.get(serve(os.environ['WEB_DIR'], FirstInPage) + 'fixture-page/')
    playing(driver)
    hold(driver, Keys.ARROW_RIGHT, lambda: re.match(r'40x\d+\+760\+', chicken(driver)),
         'holding Right walks the chicken to the right edge')
    top = lambda: int(re.match(r'\d+x\d+\+\d+\+(\d+)', chicken(driver))[1])  # noqa: E731
    ground = top()
    hold(driver, Keys.ARROW_UP, lambda: top() < ground - 20, 'Up jumps')
    hold(driver, Keys.ESCAPE, lambda: notice(driver) == 'The game is over.', 'Escape ends the game')
    driver.find_element(By.ID, 'play-again').click()
    poll(10, lambda: notice(driver) is None, '"Play again" starts another game')
    frames = driver.execute_script('return window.gameFrames')
    poll(10, lambda: driver.execute_script('return window.gameFrames') > frames + 10,
         'the new game runs')
    errors = driver.execute_script('return window.errors')
    assert not errors, 'WebKit reports: ' + '\n  '.join(errors)


# WebKit's driver has no console log and runs no script before the page's: the test's server puts
# this first in the page.
ERRORS = PROBE + """
  window.errors = [];
  addEventListener('error', (event) => errors.push(event.message));
  addEventListener('unhandledrejection', (event) => errors.push(String(event.reason)));
  for (const level of ['warn', 'error']) {
    const original = console[level];
    console[level] = (...words) => {
      const said = words.join(' ');
      if (!KNOWN_CONSOLE.some((known) => said.includes(known))) errors.push(said);
      original.apply(console, words);
    };
  }
""".replace('KNOWN_CONSOLE', json.dumps(KNOWN_CONSOLE))


class FirstInPage(QuietHandler):
    """Serves the folder with ERRORS as the first script of every page."""

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, 'index.html')
        if not path.endswith('.html'):
            return super().send_head()
        with open(path, 'rb') as page:
            html = page.read().replace(b'<head>', f'<head><script>{ERRORS}</script>'.encode(), 1)
        self.send_response(200)
        self.send_header('Content-Type', 'text/html; charset=utf-8')
        self.send_header('Content-Length', str(len(html)))
        self.end_headers()
        return io.BytesIO(html)


if __name__ == '__main__':
    case = sys.argv[1]
    try:
        if case == 'webkit':
            with webkit() as driver:
                test_webkit(driver)
        else:
            with chromium('--window-size=1000,860') as driver:
                globals()['test_' + case](driver)
                unknown = unknown_console(driver)
                assert not unknown, 'the console has: ' + '\n  '.join(unknown)
    except AssertionError as failure:
        raise SystemExit(f'FAIL: {failure}')
    print(f'{case}: ok')
