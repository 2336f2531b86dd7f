"""The game's page with the fixture pictures (WEB_DIR/fixture-page) in headless Chromium and in
WebKit's MiniBrowser: browser_test.py CASE, one of page, touch, layout, pad, pace, webkit.
Stepped frames are compared with the desktop's: GOLDEN's pictures, or the replay tool's (REPLAY,
in FIXTURE_DIR) under the same keys."""
import base64
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts'))
from browser import KNOWN_CONSOLE, cdp, chromium, poll, serve, unknown_console, webkit  # noqa: E402

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
# A fake gamepad list in place of the browser's: window.pad(index, mapping, pressed, axes) plugs
# one in, mapping null unplugs it.
FAKE_PADS = """
  window.pads = [null, null, null, null];
  navigator.getGamepads = () => window.pads;
  window.pad = (index, mapping, pressed, axes) => {
    window.pads[index] = mapping === null ? null : { index, mapping, connected: true, axes,
      id: 'fake pad', buttons: Array.from({ length: 17 }, (_, button) =>
        ({ pressed: pressed.includes(button) })) };
  };
"""
# Animation frames whose time stamps advance as on a display of window.fakeHz (all the frame's
# callbacks get the same one); while it is set, window.rhythm gets the game frames in each.
FAKE_DISPLAY = """
  const realFrame = window.requestAnimationFrame.bind(window);
  let lastReal = null, fakeTime = 0, seen = 0;
  window.fakeHz = 0;
  window.requestAnimationFrame = (callback) => realFrame((time) => {
    if (time !== lastReal) {
      if (window.fakeHz) window.rhythm.push(window.gameFrames - seen);
      [lastReal, seen] = [time, window.gameFrames];
      fakeTime = window.fakeHz ? fakeTime + 1000 / window.fakeHz : time;
    }
    callback(fakeTime);
  });
"""
# The canvas's picture after the game's next arguments[0] frames, then paused if arguments[1]. A
# callback asked for after the game's own runs after its frame, before the browser clears it.
FRAMES = """
  const [frames, pause, done] = arguments;
  const until = window.gameFrames + frames;
  const wait = () => requestAnimationFrame(() => window.gameFrames < until ? wait() :
    (pause && Module.pauseMainLoop(), done(document.getElementById('canvas').toDataURL())));
  if (pause) Module.resumeMainLoop();
  wait();
"""
PHONE_LANDSCAPE = (844, 390)
CONTROLS = {'Left': 'Left', 'Right': 'Right', 'Up': 'Jump'}  # data-key: aria-label
WORK = tempfile.TemporaryDirectory()


def picture(driver, frames, pause):
    """The PNG picture after the game's next frames; pause runs them from a paused game, and pauses
    it again."""
    return base64.b64decode(driver.execute_async_script(FRAMES, frames, pause).partition(',')[2])


def magick(png, *command):
    """What ImageMagick's command says of a PNG picture, which it reads as png:-."""
    run = subprocess.run(command, input=png, capture_output=True)
    return (run.stdout + run.stderr).decode()


def same(png, expected):  # but for the rasterizers' rounding
    # ImageMagick 6 prints the count of differing pixels, 7 adds the share in brackets: "0 (0)".
    return re.fullmatch(r'0( \(0\))?', magick(png, 'compare', '-metric', 'AE', '-fuzz', '3%',
                                              'png:-', expected, 'null:')) is not None


def chicken(driver):
    """Where the fixture chicken's magenta half is in the next frame: WIDTHxHEIGHT+LEFT+TOP."""
    return magick(picture(driver, 1, False), 'convert', 'png:-', '-fuzz', '15%', '-fill', 'black',
                  '+opaque', 'magenta', '-format', '%@', 'info:')


def notice(driver):
    return driver.execute_script("return document.getElementById('notice').hidden ? null : "
                                 "document.getElementById('notice-text').textContent")


def hold(driver, key, until, what):
    ActionChains(driver).key_down(key).perform()
    poll(20, until, what)
    ActionChains(driver).key_up(key).perform()


def playing(driver):
    poll(30, lambda: re.match(r'^OpenGL Demo - \d+\.\d\d$', driver.title), 'the rate in the title')


def play_again_paused(driver, press):
    """Ends the game with Escape and starts another by press(), paused before its first frame."""
    playing(driver)
    hold(driver, Keys.ESCAPE, lambda: notice(driver) == 'The game is over.', 'Escape ends the game')
    driver.execute_script("document.getElementById('play-again').addEventListener('click', "
                          "() => Module.pauseMainLoop(), { once: true })")
    press()
    poll(10, lambda: notice(driver) is None, '"Play again" starts another game')


def play(driver, actions, last, keys):
    """Steps the paused game through frames 0 to last, actions[N]() before frame N; the picture of
    the last must be the desktop replay's under the key script keys."""
    done = 0
    for frame in sorted(actions) + [last + 1]:
        if frame > done:
            png, done = picture(driver, frame - done, True), frame
        actions.get(frame, lambda: None)()
    with open(os.path.join(WORK.name, 'keys'), 'w') as script:
        script.write(f'{keys}\n{last + 1} Escape\n')
    desktop = os.path.join(WORK.name, f'desktop-{last}.png')
    subprocess.run([os.environ['REPLAY'], script.name, '--png', f'{last}:{desktop}'],
                   cwd=os.environ['FIXTURE_DIR'], check=True, capture_output=True)
    assert same(png, desktop), f"frame {last} is not the desktop's"


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


def test_page(driver, load=open_page):
    """The caption, walking, jumping, the arrows kept from the page, no touch controls, Escape's end
    page, and "Play again" by Enter, whose frame 20 is the desktop's."""
    load(driver)
    playing(driver)
    assert driver.execute_script("return [...document.querySelectorAll('[data-key]')]"
                                 ".every((control) => !control.offsetWidth)"), 'controls shown'
    ActionChains(driver).send_keys(Keys.ARROW_DOWN).perform()
    hold(driver, Keys.ARROW_RIGHT, lambda: re.match(r'40x\d+\+760\+', chicken(driver)),
         'holding Right walks the chicken to the right edge')
    top = lambda: int(re.match(r'\d+x\d+\+\d+\+(\d+)', chicken(driver))[1])  # noqa: E731
    ground = top()
    hold(driver, Keys.ARROW_UP, lambda: top() < ground - 20, 'Up jumps')
    assert driver.execute_script('return window.scrollY') == 0, 'the arrows scrolled the page'
    # The end page gives "Play again" the focus, and Enter is the button's.
    play_again_paused(driver, lambda: ActionChains(driver).send_keys(Keys.ENTER).perform())
    assert same(picture(driver, 21, True), os.path.join(os.environ['GOLDEN'], 'fixtures-20.png')), \
        '"Play again" plays otherwise'


class Fingers(dict):
    """Fingers on the page's touch screen by number, where each is down, sent through the DevTools
    protocol."""

    def __init__(self, driver):
        self.driver = driver

    def send(self, kind, points):
        cdp(self.driver, 'Input.dispatchTouchEvent', type=kind,
            touchPoints=[{'x': x, 'y': y, 'id': finger} for finger, (x, y) in points.items()])

    def press(self, finger, where):
        self[finger] = where
        self.send('touchStart', self)

    def slide(self, finger, where):
        self[finger] = where
        self.send('touchMove', {finger: where})

    def cancel(self):
        self.send('touchCancel', {})
        self.clear()

    def lift(self, *fingers):
        for finger in fingers or list(self):
            self.send('touchEnd', {finger: self.pop(finger)})


def test_touch(driver):
    """In a phone's landscape touch screen: controls to hit, with names; "Play again" by a tap; a
    finger holding Right while another taps Jump and the keyboard's Right comes and goes, sliding
    onto Left and off every control, ten fingers, a cancelled touch, a finger down when the page
    loses the focus or is hidden: the desktop's frame under the same keys, each key sent once;
    neither a swipe nor a pinch scrolling or zooming the page."""
    open_page(driver, viewport=PHONE_LANDSCAPE)
    fingers = Fingers(driver)
    for key, label in CONTROLS.items():
        left, top, right, bottom = rect(driver, f'[data-key={key}]')
        assert right - left >= 48 and bottom - top >= 48, f'{label} is too small to hit'
        assert driver.execute_script(f"return document.querySelector('[data-key={key}]')"
                                     ".getAttribute('aria-label')") == label, f'{label} unnamed'
    left, right, jump = (centre(driver, f'[data-key={key}]') for key in CONTROLS)
    x, y = centre(driver, '#canvas')
    play_again_paused(driver, lambda: (fingers.press(9, centre(driver, '#play-again')),
                                       fingers.lift(9)))
    ten = [left, right, jump, (10, 10), (420, 20), (400, 300), (830, 200), (300, 380), (600, 200)]
    away = lambda script: lambda: (driver.execute_script(script), fingers.lift())  # noqa: E731
    play(driver, {30: lambda: fingers.press(1, right),
                  35: lambda: ActionChains(driver).key_down(Keys.ARROW_RIGHT).perform(),
                  40: lambda: fingers.press(2, jump), 42: lambda: fingers.lift(2),
                  45: lambda: ActionChains(driver).key_up(Keys.ARROW_RIGHT).perform(),
                  50: lambda: fingers.slide(1, left), 70: lambda: fingers.slide(1, (x, y)),
                  75: lambda: [fingers.press(finger, at) for finger, at in enumerate(ten, 2)],
                  78: fingers.lift, 80: lambda: fingers.press(1, right), 81: fingers.cancel,
                  82: lambda: fingers.press(1, left), 84: away("dispatchEvent(new Event('blur'))"),
                  86: lambda: fingers.press(1, jump),
                  87: away("Object.defineProperty(document, 'hidden', { value: true });"
                           "document.dispatchEvent(new Event('visibilitychange'))")}, 110,
         '30-49 Right\n40-41 Up\n50-69 Left\n75-77 Left Right Up\n80 Right\n82-83 Left\n86 Up')
    log = driver.execute_script('return keyLog')
    for code in {event.split()[1] for event in log}:
        kinds = [event.split()[0] for event in log if event.endswith(' ' + code)]
        assert kinds == ['keydown', 'keyup'] * (len(kinds) // 2), f'the game got {log}'
    for gesture in [{1: (-1, -1)}, {1: (-1, 0), 2: (1, 0)}]:  # a swipe, then a pinch
        for finger, (across, down) in gesture.items():
            fingers.press(finger, (x + 20 * across, y + 20 * down))
        for moved in range(40, 240, 20):
            for finger, (across, down) in gesture.items():
                fingers.slide(finger, (x + moved * across, y + moved * down))
        fingers.lift()
    driver.execute_async_script('requestAnimationFrame(() => requestAnimationFrame(arguments[0]))')
    assert driver.execute_script('return [scrollX, scrollY, visualViewport.scale]') == [0, 0, 1], \
        'a finger scrolled or zoomed the page'


def test_layout(driver):
    """The canvas is the largest 4:3 box that fits phones' landscape and portrait screens, with the
    controls beside or below it, nothing wider than the screen, and the fullscreen button."""
    open_page(driver, viewport=PHONE_LANDSCAPE)
    for width, height in [PHONE_LANDSCAPE, PHONE_LANDSCAPE[::-1]]:
        cdp(driver, 'Emulation.setDeviceMetricsOverride', width=width, height=height,
            deviceScaleFactor=1, mobile=True)
        poll(5, lambda: driver.execute_script('return innerWidth') == width, 'the screen turns')
        left, top, right, bottom = canvas = rect(driver, '#canvas')
        assert left >= 0 and top >= 0 and right <= width and bottom <= height, f'canvas {canvas}'
        assert abs((right - left) * 3 - (bottom - top) * 4) < 4, f'canvas {canvas} is not 4:3'
        assert right - left >= min(width, height * 4 / 3) - 1, f'canvas {canvas} could be larger'
        for key in CONTROLS:
            c_left, c_top, c_right, c_bottom = rect(driver, f'[data-key={key}]')
            assert c_right <= left or c_left >= right or c_top >= bottom, f'{key} covers the game'
            assert c_bottom <= height and c_right <= width, f'{key} is off the screen'
        assert driver.execute_script('return document.documentElement.scrollWidth') <= width, \
            'the page scrolls sideways'
    assert driver.execute_script("return !document.getElementById('fullscreen').hidden"), \
        'no fullscreen button though the browser has the API'


def test_pad(driver):
    """A fake gamepad walks and jumps as the keys do, past drifting sticks; a pad of unknown layout
    does nothing; its button plays again on the end page; unplugged, the pad lets go."""
    open_page(driver, FAKE_PADS)

    def pad(*arguments):  # and waits until the page has read the pads
        driver.execute_async_script(f"""pad(...{json.dumps(arguments)});
            requestAnimationFrame(() => requestAnimationFrame(arguments[0]));""")
    standard = lambda pressed, axes: lambda: pad(0, 'standard', pressed, axes)  # noqa: E731
    pad(1, '', [0, 12, 15], [1, 1])
    play_again_paused(driver, standard([0], [0, 0]))
    assert driver.execute_script("return !document.getElementById('pad-in-use').hidden"), \
        'the page does not say a pad is in use'
    play(driver, {0: standard([], [0.3, -0.4]), 40: standard([], [0.9, 0]),
                  58: standard([0], [0.2, 0]), 59: standard([], [0, 0.45]),
                  61: standard([14], [0, 0]), 63: standard([12, 14], [0, 0]),
                  64: standard([], [-0.8, 0]), 81: lambda: pad(0, None, [], [])}, 101,
         '40-57 Right\n58 Up\n61-80 Left\n63 Up')
    assert driver.execute_script("return document.getElementById('pad-in-use').hidden"), \
        'the page still says a pad is in use'


def test_pace(driver):
    """With animation frames at 60, 120 and 144 Hz the game gets 60 frames a second, evenly, and
    at 60 Hz every animation frame is a game frame."""
    open_page(driver, FAKE_DISPLAY)
    poll(30, lambda: driver.execute_script('return window.gameFrames') > 10, 'the game runs')
    settle = 5  # animation frames at the new rate before counting
    for hz in 60, 120, 144:
        driver.execute_script(f'window.fakeHz = {hz}; window.rhythm = []')
        rhythm = poll(60, lambda: len(r := driver.execute_script('return window.rhythm')) >=
                      settle + hz and r, f'a second of animation frames at {hz} Hz')[settle:]
        rate = sum(rhythm) * hz / len(rhythm)
        # Animation frames without a game frame between two with one: a steady rhythm has 0 at
        # 60 Hz, 1 at 120 Hz, 1 or 2 at 144 Hz.
        gaps = {len(run) for run in ''.join(map(str, rhythm)).strip('0').split('1')[1:-1]}
        assert abs(rate - 60) <= 2, f'at {hz} Hz the game gets {rate:.1f} frames a second'
        assert gaps <= {hz // 60 - 1, -(-hz // 60) - 1}, f'at {hz} Hz the rhythm is {rhythm}'
        assert hz != 60 or set(rhythm) == {1}, f'at 60 Hz frames are skipped: {rhythm}'


# Script errors and console warnings, for WebKit, whose driver keeps no console log.
ERRORS = """
  window.errors = [];
  addEventListener('error', (event) => errors.push(event.message));
  addEventListener('unhandledrejection', (event) => errors.push(String(event.reason)));
  for (const level of ['warn', 'error']) {
    const original = console[level];
    console[level] = (...words) => errors.push(words.join(' ')) && original.apply(console, words);
  }
"""


def test_webkit(driver):
    """The page test in WebKit's engine, whose driver runs no script before the page's: the test's
    copy of the page has them first."""
    page = shutil.copytree(os.path.join(os.environ['WEB_DIR'], 'fixture-page'),
                           os.path.join(WORK.name, 'page'))
    with open(os.path.join(page, 'index.html'), 'r+') as html:
        first = html.read().replace('<head>', f'<head><script>{PROBE}{ERRORS}</script>', 1)
        html.seek(0)
        html.write(first)
    test_page(driver, lambda driver: driver.get(serve(WORK.name) + 'page/'))


if __name__ == '__main__':
    case = sys.argv[1]
    try:
        with webkit() if case == 'webkit' else chromium('--window-size=1000,860') as driver:
            globals()['test_' + case](driver)
            said = (driver.execute_script('return window.errors') if case == 'webkit' else
                    unknown_console(driver))
            said = [line for line in said if not any(known in line for known in KNOWN_CONSOLE)]
            assert not said, 'the console has: ' + '\n  '.join(said)
    except AssertionError as failure:
        raise SystemExit(f'FAIL: {failure}')
    print(f'{case}: ok')
