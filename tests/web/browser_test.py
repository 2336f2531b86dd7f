"""The game's page with the fixture pictures in headless Chromium, WebKit and Firefox:
browser_test.py CASE, one of page, touch, pad, pace, sound, webkit, firefox, of the offline
copy install, offline, update, of the level editor and links editor, editor_touch,
editor_play, links, webkit_links, level_frames, of time trials trial, run_both_ways,
webkit_trial, firefox_trial, and of the settings settings, webkit_settings, firefox_settings. Stepped frames must be the desktop replay's."""
import base64
import functools
import http.server
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import threading

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.remote.file_detector import UselessFileDetector

from browser import (KNOWN_CONSOLE, QuietHandler, cdp, chromium, firefox, poll, serve,
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
# A list of fake gamepads, window.pads, in place of the browser's.
FAKE_PADS = 'window.pads = [null, null, null, null]; navigator.getGamepads = () => window.pads;'
# Animation frames whose time stamps advance as on a display of window.fakeHz (all the frame's
# callbacks get the same one); while it is set, window.rhythm gets the game frames in each.
FAKE_DISPLAY = """
  const realFrame = window.requestAnimationFrame.bind(window);
  let lastReal = null, fakeTime = 0, seen = 0;
  window.requestAnimationFrame = (callback) => realFrame((time) => {
    if (time !== lastReal) {
      if (window.fakeHz) window.rhythm.push(window.gameFrames - seen);
      [lastReal, seen] = [time, window.gameFrames];
      fakeTime = window.fakeHz ? fakeTime + 1000 / window.fakeHz : time;
    }
    callback(fakeTime);
  });
"""
# Runs the paused game's next arguments[0] frames and pauses it; returns the canvas's picture. A
# callback asked for after the game's own runs after its frame, before the browser clears it.
STEP = """
  const [frames, done] = arguments;
  const until = window.gameFrames + frames;
  const wait = () => requestAnimationFrame(() => window.gameFrames < until ? wait() :
    (Module.pauseMainLoop(), done(document.getElementById('canvas').toDataURL())));
  Module.resumeMainLoop();
  wait();
"""
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
# Every audio context made, every WAV file decoded and every sound
# started, with its length and loudness.
SOUND_PROBE = """
  window.probe = { contexts: [], decoded: [], started: [] };
  const PageAudioContext = window.AudioContext;
  window.AudioContext = class extends PageAudioContext {
    constructor(...args) { super(...args); window.probe.contexts.push(this); }
  };
  const decode = BaseAudioContext.prototype.decodeAudioData;
  BaseAudioContext.prototype.decodeAudioData = function (bytes, ...rest) {
    let text = '';
    for (const byte of new Uint8Array(bytes)) text += String.fromCharCode(byte);
    window.probe.decoded.push(btoa(text));
    return decode.call(this, bytes, ...rest);
  };
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    const levels = this.buffer.getChannelData(0).map(Math.abs);
    window.probe.started.push({ seconds: this.buffer.duration, loudest: Math.max(...levels) });
    return start.apply(this, args);
  };
"""

CONTROLS = {'Left': 'Left', 'Right': 'Right', 'Up': 'Jump'}  # data-key: aria-label
WORK = tempfile.TemporaryDirectory()
SOURCE = pathlib.Path(__file__).resolve().parents[2]


def notice(driver):
    return driver.execute_script("return document.getElementById('notice').hidden ? null : "
                                 "document.getElementById('notice-text').textContent")


def key(driver, which, action='key_down'):  # an action for play; or key_up, send_keys
    return lambda: getattr(ActionChains(driver), action)(which).perform()


def play_again_paused(driver, press):
    """Ends the running game by Escape, starts another by press(), paused before its first frame."""
    poll(30, lambda: re.match(r'^OpenGL Demo - \d+\.\d\d$', driver.title), 'the rate in the title')
    key(driver, Keys.ESCAPE)()
    poll(20, lambda: notice(driver) == 'The game is over.', 'Escape ends the game')
    key(driver, Keys.ESCAPE, 'key_up')()
    driver.execute_script("document.getElementById('play-again').addEventListener('click', "
                          "() => Module.pauseMainLoop(), { once: true })")
    press()
    poll(10, lambda: notice(driver) is None, '"Play again" starts another game')


def play(driver, actions, last, keys, levels=None):
    """Steps the paused game through frames 0 to last, actions[N] (a function, or a script for the
    page) before frame N; the last's picture must be the desktop replay's under the key script
    (and with the level file levels, if given)."""
    done = 0
    for frame in sorted(actions) + [last + 1]:
        if frame > done:
            data_url, done = driver.execute_async_script(STEP, frame - done), frame
        action = actions.get(frame, lambda: None)
        action() if callable(action) else driver.execute_script(action)
    script = os.path.join(WORK.name, 'keys')
    pathlib.Path(script).write_text(f'{keys}\n{last + 1} Escape\n')
    assert_desktop_frame(data_url, last, script, levels)


def assert_desktop_frame(data_url, frame, script, levels=None, race=None):
    """The page's picture data_url must be the replay tool's frame under the key script (and with
    the level file levels, and as a time trial against the run race, if given)."""
    desktop = os.path.join(WORK.name, f'desktop-{frame}.png')
    subprocess.run([os.environ['REPLAY'], script, '--png', f'{frame}:{desktop}'] +
                   (['--levels', levels] if levels else []) + (['--race', race] if race else []),
                   cwd=os.environ['FIXTURE_DIR'], check=True, capture_output=True)
    run = subprocess.run(['compare', '-metric', 'AE', '-fuzz', '3%', 'png:-', desktop, 'null:'],
                         input=base64.b64decode(data_url.partition(',')[2]), capture_output=True)
    # ImageMagick 6 prints the count of differing pixels, 7 adds the share in brackets: "0 (0)".
    assert re.fullmatch(rb'0( \(0\))?', run.stderr), f"frame {frame} is not the desktop's"


def open_page(driver, *before_scripts):
    """The fixture page, after PROBE and the given scripts."""
    for script in (PROBE,) + before_scripts:
        cdp(driver, 'Page.addScriptToEvaluateOnNewDocument', source=script)
    driver.get(serve(os.environ['WEB_DIR']) + 'fixture-page/')


def rect(driver, selector):  # left, top, right, bottom, and the centre's x and y
    return driver.execute_script("""const r = document.querySelector(arguments[0])
        .getBoundingClientRect(); return [r.left, r.top, r.right, r.bottom,
        (r.left + r.right) / 2, (r.top + r.bottom) / 2];""", selector)


def test_page(driver, load=open_page, play_again=None):
    """The caption, no touch controls, Escape's end page, "Play again" by Enter (it has the focus)
    unless play_again is another way, whose game walks and jumps as the desktop's does, and the
    arrows kept from the page."""
    load(driver)
    assert driver.execute_script("return [...document.querySelectorAll('[data-key]')]"
                                 ".every((control) => !control.offsetWidth)"), 'controls shown'
    play_again_paused(driver, play_again or key(driver, Keys.ENTER, 'send_keys'))
    play(driver, {10: key(driver, Keys.ARROW_DOWN, 'send_keys'), 20: key(driver, Keys.ARROW_RIGHT),
                  30: key(driver, Keys.ARROW_UP), 32: key(driver, Keys.ARROW_UP, 'key_up'),
                  40: key(driver, Keys.ARROW_RIGHT, 'key_up')}, 50, '20-39 Right\n30-31 Up')
    assert driver.execute_script('return window.scrollY') == 0, 'the arrows scrolled the page'


class Fingers(dict):
    """The fingers down on the page's touch screen, {number: (x, y)}, through DevTools."""

    def __init__(self, driver):
        self.send = lambda kind, points: cdp(driver, 'Input.dispatchTouchEvent', type=kind,
            touchPoints=[{'x': x, 'y': y, 'id': finger} for finger, (x, y) in points.items()])

    def put(self, finger, where):  # down there, or slid there if it is down
        kind = 'touchMove' if finger in self else 'touchStart'
        self[finger] = where
        self.send(kind, self)

    def lift(self, *fingers):  # without fingers, all of them
        for finger in fingers or list(self):
            self.send('touchEnd', {finger: self.pop(finger)})


def test_touch(driver):
    """A phone's touch screen, portrait and landscape: the largest 4:3 canvas, named controls of 48
    pixels or more beside or below it, nothing wider. "Play again" by a tap; fingers and keyboard
    holding keys, sliding, ten fingers, a cancel, focus lost, the page hidden: the desktop's frame
    under the same keys, each key sent once; neither a swipe nor a pinch scrolls or zooms."""
    cdp(driver, 'Emulation.setTouchEmulationEnabled', enabled=True, maxTouchPoints=10)
    open_page(driver)
    for width, height in [(390, 844), (844, 390)]:
        cdp(driver, 'Emulation.setDeviceMetricsOverride', width=width, height=height,
            deviceScaleFactor=1, mobile=True)
        poll(5, lambda: driver.execute_script('return innerWidth') == width, 'the screen turns')
        left, top, right, bottom = canvas = rect(driver, '#canvas')[:4]
        assert left >= 0 and top >= 0 and right <= width and bottom <= height, f'canvas {canvas}'
        assert abs((right - left) * 3 - (bottom - top) * 4) < 4, f'canvas {canvas} is not 4:3'
        assert right - left >= min(width, height * 4 / 3) - 1, f'canvas {canvas} could be larger'
        for data_key, label in CONTROLS.items():
            c_left, c_top, c_right, c_bottom = rect(driver, f'[data-key={data_key}]')[:4]
            assert c_right <= left or c_left >= right or c_top >= bottom, f'{label} covers the game'
            assert c_bottom <= height and c_right <= width, f'{label} is off the screen'
            assert min(c_right - c_left, c_bottom - c_top) >= 48, f'{label} is too small to hit'
            assert driver.execute_script(f"return document.querySelector('[data-key={data_key}]')"
                                         ".getAttribute('aria-label')") == label, f'{label} unnamed'
        assert driver.execute_script('return document.documentElement.scrollWidth') <= width, \
            'the page scrolls sideways'
    fingers = Fingers(driver)
    left, right, jump = (rect(driver, f'[data-key={data_key}]')[4:] for data_key in CONTROLS)
    x, y = rect(driver, '#canvas')[4:]
    play_again_paused(driver, lambda: (fingers.put(1, rect(driver, '#play-again')[4:]),
                                       fingers.lift()))
    ten = [left, right, jump, (10, 10), (420, 20), (400, 300), (830, 200), (300, 380), (600, 200)]
    play(driver, {30: lambda: fingers.put(1, right), 40: lambda: fingers.put(2, jump),
                  35: key(driver, Keys.ARROW_RIGHT), 42: lambda: fingers.lift(2),
                  45: key(driver, Keys.ARROW_RIGHT, 'key_up'),
                  50: lambda: fingers.put(1, left), 70: lambda: fingers.put(1, (x, y)),
                  75: lambda: [fingers.put(finger, at) for finger, at in enumerate(ten, 2)],
                  78: fingers.lift, 80: lambda: fingers.put(1, right),
                  81: lambda: (fingers.send('touchCancel', {}), fingers.clear()),
                  # Going away lets go of the finger still down: the keyboard then gets through.
                  82: lambda: fingers.put(1, left), 84: "dispatchEvent(new Event('blur'))",
                  85: key(driver, Keys.ARROW_LEFT), 86: fingers.lift,
                  87: key(driver, Keys.ARROW_LEFT, 'key_up'), 88: lambda: fingers.put(1, right),
                  89: "Object.defineProperty(document, 'hidden', { value: true });"
                      "document.dispatchEvent(new Event('visibilitychange'))",
                  90: key(driver, Keys.ARROW_RIGHT), 91: fingers.lift,
                  92: key(driver, Keys.ARROW_RIGHT, 'key_up')}, 110,
         '30-49 Right\n40-41 Up\n50-69 Left\n75-77 Left Right Up\n80 Right\n82-83 Left\n'
         '85-86 Left\n88 Right\n90-91 Right')
    log = driver.execute_script('return keyLog')
    for code in {event.split()[1] for event in log}:
        kinds = [event.split()[0] for event in log if event.endswith(' ' + code)]
        assert kinds == ['keydown', 'keyup'] * (len(kinds) // 2), f'the game got {log}'
    for gesture in [{1: (-1, -1)}, {1: (-1, 0), 2: (1, 0)}]:  # a swipe, then a pinch
        for moved in range(20, 240, 20):
            for finger, (across, down) in gesture.items():
                fingers.put(finger, (x + moved * across, y + moved * down))
        fingers.lift()
    driver.execute_async_script('requestAnimationFrame(() => requestAnimationFrame(arguments[0]))')
    assert driver.execute_script('return [scrollX, scrollY, visualViewport.scale]') == [0, 0, 1], \
        'a finger scrolled or zoomed the page'


def test_pad(driver):
    """A fake gamepad walks and jumps as the keys do, past drifting sticks; a pad of unknown layout
    does nothing; its button plays again on the end page; unplugged, the pad lets go."""
    open_page(driver, FAKE_PADS)

    def pad(index, mapping='standard', pressed=(), axes=(0, 0)):  # then the page reads the pads
        fake = None if mapping is None else {'index': index, 'mapping': mapping, 'axes': axes,
            'connected': True, 'buttons': [{'pressed': button in pressed} for button in range(17)]}
        driver.execute_async_script('pads[arguments[0]] = arguments[1]; requestAnimationFrame(() '
                                    '=> requestAnimationFrame(arguments[2]))', index, fake)
    in_use = "return !document.getElementById('pad-in-use').hidden"
    pad(1, '', [0, 12, 15], [1, 1])
    play_again_paused(driver, lambda: pad(0, pressed=[0]))
    assert driver.execute_script(in_use), 'the page does not say a pad is in use'
    play(driver, {0: lambda: pad(0, axes=[0.3, -0.4]), 40: lambda: pad(0, axes=[0.9, 0]),
                  58: lambda: pad(0, pressed=[0], axes=[0.2, 0]),
                  59: lambda: pad(0, axes=[0, 0.45]), 61: lambda: pad(0, pressed=[14]),
                  63: lambda: pad(0, pressed=[12, 14]), 64: lambda: pad(0, axes=[-0.8, 0]),
                  81: lambda: pad(0, None)}, 101, '40-57 Right\n58 Up\n61-80 Left\n63 Up')
    assert not driver.execute_script(in_use), 'the page still says a pad is in use'


def test_pace(driver):
    """Animation frames at 60, 120 and 144 Hz: 60 game frames a second, evenly; at 60 Hz, each."""
    open_page(driver, FAKE_DISPLAY)
    poll(30, lambda: driver.execute_script('return window.gameFrames') > 10, 'the game runs')
    for hz in 60, 120, 144:
        driver.execute_script(f'window.fakeHz = {hz}; window.rhythm = []')
        rhythm = poll(60, lambda: len(r := driver.execute_script('return window.rhythm')) >=
                      hz + 5 and r, f'a second of animation frames at {hz} Hz')[5:]  # settled
        rate = sum(rhythm) * hz / len(rhythm)
        # Animation frames without a game frame between two with one: 0, 1, 1 or 2 when steady.
        gaps = {len(run) for run in ''.join(map(str, rhythm)).strip('0').split('1')[1:-1]}
        assert abs(rate - 60) <= 2, f'at {hz} Hz the game gets {rate:.1f} frames a second'
        assert gaps <= {hz // 60 - 1, -(-hz // 60) - 1}, f'at {hz} Hz the rhythm is {rhythm}'
        assert hz != 60 or set(rhythm) == {1}, f'at 60 Hz frames are skipped: {rhythm}'


def test_webkit(driver):
    """The page test in WebKit, whose driver runs no script before the page's: a copy of it does."""
    index = pathlib.Path(shutil.copytree(os.path.join(os.environ['WEB_DIR'], 'fixture-page'),
                                         os.path.join(WORK.name, 'page'))) / 'index.html'
    index.write_text(index.read_text().replace('<head>', f'<head><script>{PROBE}{ERRORS}</script>'))
    test_page(driver, lambda driver: driver.get(serve(WORK.name) + 'page/'))


def test_firefox(driver):
    """The page test in Firefox, through WebDriver BiDi. A window of Xvfb's, which has no window
    manager, never has the focus, and Firefox then lets no key press a button: "Play again" by
    the mouse."""
    def load(driver):
        for script in PROBE, ERRORS:
            driver.add_script_before_page(script)
        driver.get(serve(os.environ['WEB_DIR']) + 'fixture-page/')
    test_page(driver, load, lambda: driver.click(*rect(driver, '#play-again')[4:]))


def probe(driver, what):
    return driver.execute_script('return window.probe.' + what)


def frames(driver, count):
    """Waits for the game's next COUNT frames, however slowly a busy machine draws them."""
    until = driver.execute_script('return window.gameFrames') + count
    poll(60, lambda: driver.execute_script('return window.gameFrames') >= until, 'game frames')


def hold_up(driver, game_frames):
    """Up held long enough for a jump at the chicken's next landing (a jump lasts 50 frames)."""
    ActionChains(driver).key_down(Keys.ARROW_UP).perform()
    frames(driver, game_frames)
    ActionChains(driver).key_up(Keys.ARROW_UP).perform()


def mute_pressed(driver):
    return driver.find_element('id', 'mute').get_attribute('aria-pressed')


def test_sound(driver):
    """No audio before the first key; then the desktop's effects decoded and a jump played; Mute
    silences it, and the next visit remembers."""
    open_page(driver, SOUND_PROBE)
    poll(20, lambda: driver.title.startswith('OpenGL Demo - '), 'the game running')
    frames(driver, 30)
    assert probe(driver, 'contexts.length') == 0, 'audio began before any key'
    assert mute_pressed(driver) == 'false', 'a first visit is muted'

    ActionChains(driver).send_keys(Keys.ARROW_DOWN).perform()
    poll(10, lambda: probe(driver, 'contexts.length') == 1 and
         probe(driver, 'contexts[0].state') == 'running', 'a key starts the audio')
    desktop = [base64.b64encode(open(os.path.join(os.environ['GAME_DIR'], name + '.wav'), 'rb')
                                .read()).decode() for name in os.environ['SOUND_NAMES'].split()]
    assert sorted(probe(driver, 'decoded')) == sorted(desktop), 'the page made other sounds'

    hold_up(driver, 80)
    jump = poll(10, lambda: probe(driver, 'started[0]'), 'a jump plays a sound')
    assert abs(jump['seconds'] - 0.12) < 0.01 and 0.2 < jump['loudest'] < 0.4, f'it played {jump}'

    driver.find_element('id', 'mute').click()
    assert mute_pressed(driver) == 'true'
    played = probe(driver, 'started.length')
    hold_up(driver, 120)
    assert probe(driver, 'started.length') == played, 'muted, a jump was heard'

    # The next visit remembers: no audio at the first key, until the player unmutes.
    driver.refresh()
    poll(20, lambda: driver.title.startswith('OpenGL Demo - '), 'the game running again')
    assert mute_pressed(driver) == 'true', 'the page forgot that it was muted'
    ActionChains(driver).send_keys(Keys.ARROW_DOWN).perform()
    frames(driver, 30)
    assert probe(driver, 'contexts.length') == 0, 'muted, a key started the audio'
    driver.find_element('id', 'mute').click()
    poll(10, lambda: probe(driver, 'contexts.length') == 1, 'unmuting starts the audio')


# Each state the page's service worker reaches, in window.workerStates, and each cache's files
# with their SHA-256, by arguments[0]().
WORKER_PROBE = """
  window.workerStates = [];
  const register = window.ServiceWorkerContainer?.prototype.register;  // not on about:blank
  if (register) {
    ServiceWorkerContainer.prototype.register = function (...args) {
      return register.apply(this, args).then((registration) => {
        const worker = registration.installing;
        worker.addEventListener('statechange', () => workerStates.push(worker.state));
        return registration;
      });
    };
  }
"""
CACHES = """
  const hex = (buffer) => [...new Uint8Array(buffer)].map((b) => b.toString(16).padStart(2, '0'))
    .join('');
  (async () => {
    const kept = {};
    for (const name of await caches.keys()) {
      const cache = await caches.open(name);
      kept[name] = {};
      for (const request of await cache.keys()) {
        const bytes = await (await cache.match(request)).arrayBuffer();
        const file = request.url.split('/').pop();
        kept[name][file] = hex(await crypto.subtle.digest('SHA-256', bytes));
      }
    }
    return kept;
  })().then(arguments[0]);
"""
WORKER_SCRIPT = SOURCE / 'web' / 'service_worker.cmake'


class Site:
    """A copy of the fixture page served from a thread, in a folder of a folder as a host may put
    it, whose files can be made to fail (HTTP 500) or be rebuilt, and whose server can go away."""

    def __init__(self):
        root = os.path.join(WORK.name, 'site')
        self.folder = shutil.copytree(os.path.join(os.environ['WEB_DIR'], 'fixture-page'),
                                      os.path.join(root, 'games', 'eggquest'))
        self.failing = set()
        failing = self.failing

        class Handler(QuietHandler):
            def send_head(self):
                if self.path.split('?')[0].split('/')[-1] in failing:
                    self.send_error(500)
                    return None
                return super().send_head()
        self.server = http.server.ThreadingHTTPServer(
            ('127.0.0.1', 0), functools.partial(Handler, directory=root))
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.url = f'http://127.0.0.1:{self.server.server_address[1]}/games/eggquest/'

    def files(self):
        """The page's files as its service worker lists them, with their SHA-256."""
        worker = pathlib.Path(self.folder, 'sw.js').read_text()
        return dict(re.findall(r'"([^"]+)": "([0-9a-f]{64})"', worker))

    def rebuild(self, name, change):
        """name's text changed by change, and the service worker written again, as a build does."""
        path = pathlib.Path(self.folder, name)
        path.write_text(change(path.read_text()))
        subprocess.run(['cmake', f'-DFOLDER={self.folder}', f"-DFILES={';'.join(self.files())}",
                        '-P', WORKER_SCRIPT], check=True)

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


def visit(driver, url, states=()):
    """Loads the page and waits for its game to run, then for its service worker to end in one of
    states (installed, activated or redundant), if given."""
    driver.get(url)
    poll(30, lambda: driver.title.startswith('OpenGL Demo - '), 'the game running')
    if states:
        return poll(30, lambda: (s := driver.execute_script('return workerStates')) and
                    s[-1] in states and s[-1], 'the service worker settles')


# Whether a new worker has installed and waits for the old one's tabs to go, by arguments[0]().
WAITING = """
  navigator.serviceWorker.getRegistration().then((registration) =>
    arguments[0](registration?.waiting?.state === 'installed'));
"""


def kept(driver):
    return driver.execute_async_script(CACHES)


def test_install(driver):
    """Chromium finds the page installable: its manifest, icons and service worker."""
    open_page(driver, WORKER_PROBE)
    poll(30, lambda: driver.execute_script('return workerStates').count('activated'),
         'the service worker activated')
    errors = cdp(driver, 'Page.getInstallabilityErrors')['installabilityErrors']
    assert not errors, f'not installable: {errors}'
    assert not cdp(driver, 'Page.getAppManifest')['errors'], 'the manifest has errors'


def test_offline(driver):
    """A file that fails keeps nothing; the next visit keeps the page whole; then, with no network
    at all, the page starts again and the keys walk as on the desktop."""
    cdp(driver, 'Page.addScriptToEvaluateOnNewDocument', source=PROBE + WORKER_PROBE)
    site = Site()
    site.failing.add('icon-512.png')
    assert visit(driver, site.url, ('activated', 'redundant')) == 'redundant', \
        'a worker that could not fetch a file took over'
    assert not kept(driver), f'a failed visit kept {kept(driver)}'
    site.failing.clear()
    visit(driver, site.url, ('activated', 'redundant'))
    assert list(kept(driver).values()) == [site.files()], "the cache is not the page's files"

    site.stop()
    cdp(driver, 'Network.emulateNetworkConditions', offline=True, latency=0, downloadThroughput=-1,
        uploadThroughput=-1)
    driver.refresh()
    play_again_paused(driver, key(driver, Keys.ENTER, 'send_keys'))
    play(driver, {10: key(driver, Keys.ARROW_RIGHT), 30: key(driver, Keys.ARROW_RIGHT, 'key_up')},
         40, '10-29 Right')


def test_update(driver):
    """A rebuilt page with one file changed: the reload that finds it plays the old build whole
    and keeps the new one whole beside it, a second tab opened meanwhile the old one too; the next
    visit plays the new one, and only it is kept."""
    cdp(driver, 'Page.addScriptToEvaluateOnNewDocument', source=PROBE + WORKER_PROBE)
    site = Site()
    visit(driver, site.url, ('activated',))
    old = site.files()
    marker = '<meta name="build" content="new">'
    site.rebuild('index.html', lambda html: html.replace('<head>', '<head>' + marker))
    new = site.files()
    assert [name for name in new if new[name] != old[name]] == ['index.html']

    is_new = "return !!document.querySelector('meta[name=build]')"
    driver.refresh()
    # The new build is kept whole once its worker has installed, which it does only after every
    # file is in its cache; its cache's name appears before the files are put in.
    poll(60, lambda: driver.execute_async_script(WAITING), 'the new build installed and waiting')
    assert not driver.execute_script(is_new), 'the new page came before its build was kept'
    assert sorted(kept(driver).values(), key=lambda files: files == new) == [old, new], \
        'a build kept files of another'
    driver.switch_to.new_window('tab')  # a second tab, while the first plays the old build
    visit(driver, site.url)
    assert not driver.execute_script(is_new), 'two tabs play two builds'
    driver.close()
    driver.switch_to.window(driver.window_handles[0])
    driver.get('about:blank')  # no tab plays the old build any more
    poll(30, lambda: visit(driver, site.url) or driver.execute_script(is_new),
         'the next visit plays the new build')
    poll(10, lambda: list(kept(driver).values()) == [new], 'the old build is no longer kept')


# The level editor and level links.
STORED = "return JSON.parse(localStorage.getItem('eggquest.editor'))"
UPHILL = SOURCE / 'levels' / 'uphill-downhill.txt'
UPHILL_LINK = SOURCE / 'tests' / 'fixtures' / 'uphill-downhill.link'
UPHILL_KEYS = SOURCE / 'tests' / 'replays' / 'uphill-downhill.keys'


def page_url(driver):
    """The fixture page's address; the pages this tab opens from now on count their frames."""
    cdp(driver, 'Page.addScriptToEvaluateOnNewDocument', source=PROBE)
    return serve(os.environ['WEB_DIR']) + 'fixture-page/'


def open_editor(driver, url):
    driver.get(url + '#edit')
    poll(30, lambda: driver.execute_script(
        "const grid = document.getElementById('level-grid'); return grid && grid.offsetWidth"),
        'the editor opens')


def cell(driver, row, column):
    """The centre of a cell of the grid, in the page's pixels."""
    left, top, right, bottom = rect(driver, '#level-grid')[:4]
    return (left + (column + 0.5) * (right - left) / 20, top + (row + 0.5) * (bottom - top) / 20)


def mouse(driver, kind, where):
    cdp(driver, 'Input.dispatchMouseEvent', type=kind, x=where[0], y=where[1], button='left',
        buttons=0 if kind == 'mouseReleased' else 1, clickCount=1)


def at(levels, level, row, column):
    return levels[level][row * 20 + column]


def page_levels_file(driver, name):
    """The page's set as its Download writes it (the game's own writer), in a file."""
    path = os.path.join(WORK.name, name)
    pathlib.Path(path).write_text(driver.execute_script('return Module.levels.text()'))
    return path


def test_editor(driver):
    """Ten named tiles; a mouse drag paints every cell on its way and nothing else; undo and redo
    by button and keys; the keyboard's cursor and digits; a reload keeps the work; Open reads a
    level file and refuses a bad one with the desktop's own message."""
    url = page_url(driver)
    open_editor(driver, url)
    tiles = driver.execute_script("return [...document.querySelectorAll('#palette [data-tile]')]"
                                  ".map((b) => [b.dataset.tile, b.getAttribute('aria-label')])")
    assert [tile for tile, _ in tiles] == [str(code) for code in range(10)], f'palette {tiles}'
    assert all(label for _, label in tiles), f'a tile without a name: {tiles}'
    before = driver.execute_script("return Module.levels.builtIn().levels")
    driver.find_element('css selector', '[data-tile="9"]').click()
    mouse(driver, 'mousePressed', cell(driver, 3, 2))
    for column in (4, 7):
        mouse(driver, 'mouseMoved', cell(driver, 3, column))
    mouse(driver, 'mouseReleased', cell(driver, 3, 7))
    painted = driver.execute_script(STORED)['levels']
    for column in range(20):
        want = 9 if 2 <= column <= 7 else at(before, 0, 3, column)
        assert at(painted, 0, 3, column) == want, f'row 3, column {column}: {painted[0][60:80]}'
    assert painted[1:] == before[1:] and painted[0][:60] == before[0][:60], 'other cells changed'

    driver.find_element('css selector', '[data-do=undo]').click()
    assert driver.execute_script(STORED)['levels'] == before, 'undo left the stroke'
    ActionChains(driver).key_down(Keys.CONTROL).key_down(Keys.SHIFT).send_keys('z').key_up(
        Keys.SHIFT).key_up(Keys.CONTROL).perform()
    assert driver.execute_script(STORED)['levels'] == painted, 'Ctrl+Shift+Z did not redo'
    ActionChains(driver).key_down(Keys.CONTROL).send_keys('z').key_up(Keys.CONTROL).perform()
    assert driver.execute_script(STORED)['levels'] == before, 'Ctrl+Z did not undo'

    # A click paints its cell and puts the cursor there; the keys move on from it.
    mouse(driver, 'mousePressed', cell(driver, 10, 10))
    mouse(driver, 'mouseReleased', cell(driver, 10, 10))
    clicked = driver.execute_script(STORED)['levels']
    ActionChains(driver).send_keys(Keys.ARROW_LEFT, Keys.ARROW_LEFT, Keys.ARROW_DOWN, '0').perform()
    keyed = driver.execute_script(STORED)['levels']
    assert at(keyed, 0, 11, 8) == 0, 'the keyboard did not paint row 11, column 8'
    changed = [i for i in range(400) if keyed[0][i] != clicked[0][i]]
    assert changed == [11 * 20 + 8], f'the keyboard painted cells {changed}'
    assert driver.execute_script('return [scrollX, scrollY]') == [0, 0], 'the arrows scrolled'

    driver.refresh()
    open_editor(driver, url)
    assert driver.execute_script(STORED)['levels'] == keyed, 'a reload lost the work'

    bad = os.path.join(WORK.name, 'bad-levels.txt')
    lines = UPHILL.read_text().split('\n')
    first = next(i for i, line in enumerate(lines) if line and not line.startswith('#'))
    lines[first + 2] = lines[first + 2][:4] + 'x' + lines[first + 2][5:]
    pathlib.Path(bad).write_text('\n'.join(lines))
    desktop = subprocess.run([os.path.join(os.environ['GAME_DIR'], 'eggquest'), '--levels',
                              'bad-levels.txt'], cwd=WORK.name, capture_output=True, text=True)
    message = desktop.stderr.strip().removeprefix('eggquest: ')
    assert desktop.returncode != 0 and message.startswith('bad-levels.txt:'), desktop.stderr
    driver.find_element('id', 'level-file').send_keys(bad)
    poll(10, lambda: message in driver.find_element('id', 'editor-status').text,
         f'Open refuses the file with "{message}"')
    assert driver.execute_script(STORED)['levels'] == keyed, 'a refused file changed the work'
    driver.find_element('id', 'level-file').send_keys(str(UPHILL))
    poll(10, lambda: len(driver.execute_script(STORED)['levels']) == 3, 'Open reads three levels')


def test_editor_touch(driver):
    """A phone: cells large enough for a finger, a tap and a drag paint, and the finger neither
    scrolls nor zooms the page."""
    cdp(driver, 'Emulation.setTouchEmulationEnabled', enabled=True, maxTouchPoints=10)
    cdp(driver, 'Emulation.setDeviceMetricsOverride', width=390, height=844, deviceScaleFactor=1,
        mobile=True)
    open_editor(driver, page_url(driver))
    left, top, right, bottom = rect(driver, '#level-grid')[:4]
    assert (right - left) / 20 >= 40 and abs((right - left) - (bottom - top)) < 1, \
        f'cells of {(right - left) / 20} pixels on a phone'
    assert driver.execute_script("return getComputedStyle(document.getElementById('level-grid'))"
                                 ".touchAction") == 'none', 'a finger on the grid may scroll'
    assert driver.execute_script('return document.documentElement.scrollWidth') <= 390, \
        'the page scrolls sideways'
    before = driver.execute_script('return Module.levels.builtIn().levels')
    fingers = Fingers(driver)
    driver.find_element('css selector', '[data-tile="1"]').click()
    fingers.put(1, cell(driver, 2, 1))
    fingers.lift()
    fingers.put(1, cell(driver, 5, 0))
    for row in range(5, 9):
        fingers.put(1, cell(driver, row, 0))
    fingers.lift()
    levels = driver.execute_script(STORED)['levels']
    want = [2 * 20 + 1] + [row * 20 for row in range(5, 9)]
    changed = [i for i in range(400) if levels[0][i] != before[0][i]]
    assert changed == want and all(levels[0][i] == 1 for i in want), f'a finger painted {changed}'
    assert driver.execute_script("return [scrollX, scrollY, visualViewport.scale, document"
                                 ".getElementById('editor').scrollTop]") == [0, 0, 1, 0], \
        'a finger scrolled or zoomed the page'


def play_from_editor(driver):
    """Presses Play, the game then paused before its first frame."""
    driver.execute_script("document.querySelector('[data-do=play]').addEventListener('click', "
                          "() => Module.pauseMainLoop(), { once: true })")
    driver.find_element('css selector', '[data-do=play]').click()


def test_editor_play(driver):
    """Play plays the edited levels at once, frame for frame as the desktop plays its file; the
    end page goes back to the editor with nothing lost, undo included."""
    open_editor(driver, page_url(driver))
    driver.find_element('css selector', '[data-tile="1"]').click()
    for column in range(8, 13):  # a floor under the start cell: the chicken lands sooner
        mouse(driver, 'mousePressed', cell(driver, 12, column))
        mouse(driver, 'mouseReleased', cell(driver, 12, column))
    edited = driver.execute_script(STORED)
    play_from_editor(driver)
    levels = page_levels_file(driver, 'edited.txt')  # the set Play handed to the game
    assert not driver.find_element('id', 'level-grid').is_displayed(), 'the editor stays shown'
    play(driver, {20: key(driver, Keys.ARROW_RIGHT), 40: key(driver, Keys.ARROW_RIGHT, 'key_up')},
         60, '20-39 Right', levels)
    ActionChains(driver).key_down(Keys.ESCAPE).perform()
    driver.execute_script('Module.resumeMainLoop()')
    poll(20, lambda: notice(driver) == 'The game is over.', 'Escape ends the game')
    ActionChains(driver).key_up(Keys.ESCAPE).perform()
    driver.find_element('id', 'back-to-editing').click()
    poll(10, lambda: driver.find_element('id', 'level-grid').is_displayed(), 'back to editing')
    assert driver.execute_script(STORED) == edited, 'the work changed by playing it'
    driver.find_element('css selector', '[data-do=undo]').click()
    assert at(driver.execute_script(STORED)['levels'], 0, 12, 12) != 1, 'undo was lost by playing'


def test_links(driver):
    """Share link fills the field with the game page's address and the levels; a new page opened
    at it plays them as the desktop plays their file, and its button edits them; a damaged, a
    cut and a future link each say so, offer the game's own levels, and nothing else complains."""
    url = page_url(driver)
    open_editor(driver, url)
    driver.find_element('id', 'level-file').send_keys(str(UPHILL))
    poll(10, lambda: len(driver.execute_script(STORED)['levels']) == 3, 'Open reads three levels')
    driver.find_element('css selector', '[data-do=share]').click()
    link = driver.find_element('id', 'share-link').get_attribute('value')
    assert re.fullmatch(re.escape(url) + r'#levels=1\.[A-Za-z0-9_-]+', link), f'the link {link}'

    driver.switch_to.new_window('tab')
    page_url(driver)
    driver.get(link)
    poll(30, lambda: driver.find_element('id', 'edit-levels').text == 'Edit these levels',
         'the link plays with a button to edit its levels')
    play_again_paused(driver, key(driver, Keys.ENTER, 'send_keys'))
    play(driver, {30: key(driver, Keys.ARROW_RIGHT), 53: key(driver, Keys.ARROW_RIGHT, 'key_up')},
         70, '30-52 Right', UPHILL)
    driver.execute_script('localStorage.clear()')
    driver.find_element('id', 'edit-levels').click()
    poll(10, lambda: (driver.execute_script(STORED) or {}).get('levels') ==
         driver.execute_script("return Module.levels.fromLink(arguments[0]).levels",
                               link.split('#levels=')[1]), 'the editor opens on the link')

    payload = link.split('#levels=')[1]
    middle = len(payload) // 2
    swapped = 'A' if payload[middle] != 'A' else 'B'
    for damaged in (payload[:middle] + swapped + payload[middle + 1:], payload[:-7],
                    '9' + payload[1:]):
        driver.get('about:blank')
        driver.get(url + '#levels=' + damaged)
        text = poll(30, lambda: (n := notice(driver)) and n.startswith('These levels') and n,
                    f'the page says the link {damaged} is damaged')
        assert 'the link' in text, f'the page says "{text}"'
        assert driver.find_element('id', 'built-in').is_displayed(), 'no built-in game offered'
    driver.find_element('id', 'built-in').click()
    poll(30, lambda: re.match(r'^OpenGL Demo - \d+\.\d\d$', driver.title), 'the built-in game')
    assert notice(driver) is None, 'the message stays over the game'


def test_webkit_links(driver):
    """In WebKit: a link shared from another browser (tests/fixtures/uphill-downhill.link, as
    Chromium's editor and the desktop's encoder make it) plays its levels as the desktop plays
    their file."""
    index = pathlib.Path(shutil.copytree(os.path.join(os.environ['WEB_DIR'], 'fixture-page'),
                                         os.path.join(WORK.name, 'page'))) / 'index.html'
    index.write_text(index.read_text().replace('<head>', f'<head><script>{PROBE}{ERRORS}</script>'))
    driver.get(serve(WORK.name) + 'page/#levels=' + UPHILL_LINK.read_text())
    poll(30, lambda: driver.execute_script(
        "return document.getElementById('edit-levels').textContent") == 'Edit these levels',
        'the link plays')
    play_again_paused(driver, key(driver, Keys.ENTER, 'send_keys'))
    play(driver, {30: key(driver, Keys.ARROW_RIGHT), 53: key(driver, Keys.ARROW_RIGHT, 'key_up')},
         70, '30-52 Right', UPHILL)


def test_level_frames(driver):
    """A shipped level set played through its key script from a link: every level's first frame
    and the last are the desktop replay's, and the game ends in the same frame as there."""
    driver.get(page_url(driver) + '#levels=' + UPHILL_LINK.read_text())
    trace = os.path.join(WORK.name, 'trace')
    subprocess.run([os.environ['REPLAY'], UPHILL_KEYS, '--levels', UPHILL, '--trace', trace],
                   cwd=os.environ['FIXTURE_DIR'], check=True, capture_output=True)
    places = [line.split() for line in pathlib.Path(trace).read_text().splitlines()]
    end = int(places[-1][0])
    changes = [int(frame) for (frame, level, *_), (_, before, *_) in zip(places[1:], places)
               if level != before]
    assert len(changes) == 2, f'the desktop changed level at {changes}'
    play_again_paused(driver, key(driver, Keys.ENTER, 'send_keys'))
    shots = play_script(driver, UPHILL_KEYS, end, {change + 1 for change in changes})
    assert notice(driver) is None, f'the page ended before frame {end}'
    driver.execute_async_script(STEP, 1)
    poll(10, lambda: notice(driver) == 'The game is over.', f'the game ends in frame {end}')
    for frame in changes + [end - 1]:
        assert_desktop_frame(shots[frame], frame, UPHILL_KEYS, UPHILL)


def held_keys(script, shift=0):
    """The key script's keys, {frame: {name, ...}}, each frame shift frames later."""
    held = {}
    for line in pathlib.Path(script).read_text().splitlines():
        if line.strip() and not line.startswith('#'):
            frames, *keys = line.split('#')[0].split()
            first, _, last = frames.partition('-')
            for frame in range(int(first), int(last or first) + 1):
                held.setdefault(frame + shift, set()).update(keys)
    return held


def play_script(driver, script, end, shots_before=()):
    """Steps the paused game through frames 0 to end - 1 with the key script's keys pressed and let
    go between the frames; returns the pictures of the frames before those in shots_before and of
    the last, {frame: picture}."""
    held = held_keys(script)
    sent = {'Left': Keys.ARROW_LEFT, 'Right': Keys.ARROW_RIGHT, 'Up': Keys.ARROW_UP,
            'Escape': Keys.ESCAPE}
    actions = {}
    for frame in range(end + 1):
        now, before = held.get(frame, set()), held.get(frame - 1, set())
        steps = [(name, 'key_down') for name in now - before] + \
            [(name, 'key_up') for name in before - now]
        if steps:
            actions[frame] = lambda steps=steps: [key(driver, sent[name], kind)()
                                                  for name, kind in steps]
    shots = {}
    done = 0
    for frame in sorted(set(actions) | set(shots_before) | {end}):
        if frame > end:
            break
        if frame > done:
            data_url, done = driver.execute_async_script(STEP, frame - done), frame
            shots[frame - 1] = data_url
        if frame in actions:
            actions[frame]()
    return shots


# Before the page's scripts, after PROBE: the keys of window.keyPlan, [[first, last, keyCode]...],
# held in the game's frames counted from the page's start, pressed and let go as the frame begins
# (its clear), so that a game running at the display's pace plays a key script frame for frame.
KEY_PLAN = """
  const planned = WebGLRenderingContext.prototype.clear;
  const pressed = new Set();
  WebGLRenderingContext.prototype.clear = function (mask) {
    const result = planned.call(this, mask);
    const frame = window.gameFrames - 1;
    const wanted = new Set((window.keyPlan || []).filter(([first, last]) =>
      frame >= first && frame <= last).map(([, , code]) => code));
    for (const code of new Set([...pressed, ...wanted])) {
      if (pressed.has(code) === wanted.has(code)) continue;
      wanted.has(code) ? pressed.add(code) : pressed.delete(code);
      document.dispatchEvent(new KeyboardEvent(wanted.has(code) ? 'keydown' : 'keyup',
        { keyCode: code, bubbles: true, cancelable: true }));
    }
    return result;
  };
"""
KEY_CODES = {'Left': 37, 'Up': 38, 'Right': 39, 'Escape': 27}


def key_plan(script, shift=0):
    """window.keyPlan's script for the key script's keys, shift frames later."""
    plan = [[frame, frame, KEY_CODES[name]] for frame, names in held_keys(script, shift).items()
            for name in names]
    return f'window.keyPlan = {plan};'


PLAYTHROUGH = SOURCE / 'tools' / 'replays' / 'playthrough.keys'


def test_trial(driver):
    """A time trial of the built-in levels in the page, played by the playthrough's keys: its time,
    its splits and its best, which the desktop's replay tool plays to the same positions; the next
    trial races it, its ghost drawn as the desktop draws it, to a slower time; Share run's link
    opened in a new tab races it from its first frame, the time to beat the run's own; a damaged
    run link plays the levels without it."""
    url = page_url(driver)
    driver.get(url)
    poll(30, lambda: driver.title.startswith('OpenGL Demo - '), 'the game running')
    driver.execute_script("document.getElementById('time-trial').addEventListener('click', "
                          "() => Module.pauseMainLoop(), { once: true })")
    driver.find_element('id', 'time-trial').click()
    play_script(driver, PLAYTHROUGH, 245)
    assert notice(driver) is None, 'the trial ended before the last egg'
    driver.execute_async_script(STEP, 1)
    poll(10, lambda: notice(driver) == 'time 4.10 s (246 frames), a personal best.',
         'the trial ends with its time')
    splits = driver.execute_script("return [...document.querySelectorAll('#splits li')]"
                                   ".map((item) => item.textContent)")
    assert splits == ['Level 1: 2.02 s', 'Level 2: 2.08 s'], f'the splits are {splits}'

    # The best the page keeps is the desktop's key script, and replays there frame for frame.
    best = os.path.join(WORK.name, 'page-best.keys')
    pathlib.Path(best).write_text(driver.execute_script(
        "return Object.entries(localStorage).find(([name]) => name.startsWith('eggquest.best.'))"
        "[1]"))
    trace = os.path.join(WORK.name, 'trace')
    replayed = subprocess.run([os.environ['REPLAY'], best, '--trace', trace],
                              cwd=os.environ['FIXTURE_DIR'], capture_output=True, text=True)
    assert replayed.stdout.endswith('the game ended in frame 245\n'), replayed.stdout
    assert pathlib.Path(trace).read_text() == \
        (SOURCE / 'tests' / 'golden' / 'playthrough.trace').read_text(), 'the positions differ'

    driver.find_element('id', 'share-run').click()
    link = driver.find_element('id', 'run-link').get_attribute('value')
    assert re.fullmatch(re.escape(url) + r'#levels=1\.[A-Za-z0-9_-]+&run=1\.[A-Za-z0-9_-]+', link), \
        f'the link {link}'

    # The next trial races the best, 30 frames slower: the ghost runs ahead, drawn as on the
    # desktop, and the time is no personal best.
    slower = os.path.join(WORK.name, 'slower.keys')
    pathlib.Path(slower).write_text(''.join(
        f'{frame} {name}\n' for frame, names in sorted(held_keys(PLAYTHROUGH, 30).items())
        for name in sorted(names)))
    driver.execute_script("document.getElementById('time-trial').addEventListener('click', "
                          "() => Module.pauseMainLoop(), { once: true })")
    driver.find_element('id', 'time-trial').click()
    shots = play_script(driver, slower, 275, {101})
    assert_desktop_frame(shots[100], 100, slower, race=best)
    driver.execute_async_script(STEP, 1)
    poll(10, lambda: notice(driver) == 'time 4.60 s (276 frames).', 'the slower run finishes')

    # A friend's tab, its keys 30 frames slower, racing the shared run from the first frame.
    driver.switch_to.new_window('tab')
    page_url(driver)
    cdp(driver, 'Page.addScriptToEvaluateOnNewDocument', source=KEY_PLAN + key_plan(slower))
    driver.get(link)
    poll(30, lambda: driver.find_element('id', 'time-to-beat').text == 'Time to beat: 4.10 s',
         'the time to beat shown')
    # Played at the display's pace, the frames come as fast as the machine draws them: on a busy
    # one, a few a second.
    poll(300, lambda: notice(driver) == 'time 4.60 s (276 frames).', "the friend's run finishes")

    # A run cut short: the levels, without a ghost.
    driver.get('about:blank')
    driver.get(link[:-6])
    text = poll(30, lambda: (t := driver.find_element('id', 'time-to-beat').text) and t,
                'the page says the run is damaged')
    assert text.startswith('This run cannot be raced: the run link is damaged'), text
    poll(30, lambda: driver.title.startswith('OpenGL Demo - '), 'the levels played')
    assert notice(driver) is None, 'a message stays over the game'



def active_label(driver):
    return driver.execute_script("const a = document.activeElement; "
                                 "return a.getAttribute('aria-label') || a.textContent || a.id")


def tab_to(driver, label):
    """Tabs, as a keyboard alone does, until the control of that accessible name has the focus,
    whose outline is then to be seen."""
    for _ in range(40):
        if active_label(driver) == label:
            outline = driver.execute_script(
                "return getComputedStyle(document.activeElement).outlineStyle")
            assert outline not in ('', 'none'), f'{label} has the focus unseen'
            return
        ActionChains(driver).send_keys(Keys.TAB).perform()
    raise AssertionError(f'no Tab reaches "{label}", the focus is on "{active_label(driver)}"')


def panel_open(driver):
    return driver.execute_script("const panel = document.getElementById('settings'); "
                                 "return !!panel && !panel.hidden")


def panel_status(driver):
    return driver.execute_script("return document.getElementById('settings-status').textContent")


def test_settings(driver):
    """The Settings panel by the keyboard alone: jump bound to Space by pressing it; a reload keeps
    it and Space jumps as Up does on the desktop, the arrows' Up no longer; a pad button bound by
    pressing it on the virtual pad walks; the desktop's words refused with the desktop's message;
    half speed steps one game frame every other animation frame of a 60 Hz display."""
    url = page_url(driver)
    cdp(driver, 'Page.addScriptToEvaluateOnNewDocument', source=FAKE_PADS + FAKE_DISPLAY)
    driver.get(url)
    poll(30, lambda: re.match(r'^OpenGL Demo - \d+\.\d\d$', driver.title), 'the game running')
    driver.execute_script("document.getElementById('canvas').focus()")
    tab_to(driver, 'Settings')
    ActionChains(driver).send_keys(Keys.ENTER).perform()
    poll(10, lambda: panel_open(driver), 'Enter opens the panel')
    tab_to(driver, 'Add a key for Jump')
    ActionChains(driver).send_keys(Keys.ENTER).perform()
    ActionChains(driver).send_keys(Keys.SPACE).perform()
    poll(10, lambda: panel_status(driver) == 'Space added.', 'Space bound to the jump')
    tab_to(driver, 'Remove the key Up from Jump')
    ActionChains(driver).send_keys(Keys.ENTER).perform()
    poll(10, lambda: panel_status(driver) == 'Up no longer does Jump.', 'Up taken from the jump')
    assert 'jump = Space\n' in driver.execute_script(
        "return localStorage.getItem('eggquest.settings')"), 'the settings are not kept'
    ActionChains(driver).send_keys(Keys.ESCAPE).perform()
    poll(10, lambda: not panel_open(driver), 'Escape closes the panel')

    driver.refresh()
    play_again_paused(driver, key(driver, Keys.ENTER, 'send_keys'))
    help_text = driver.find_element('id', 'keys').text
    assert 'Space jump' in help_text and 'Up' not in help_text, f'the key help says {help_text}'
    play(driver, {10: key(driver, Keys.ARROW_UP), 12: key(driver, Keys.ARROW_UP, 'key_up'),
                  30: key(driver, Keys.SPACE), 32: key(driver, Keys.SPACE, 'key_up')},
         50, '30-31 Up')

    # A pad button, bound by pressing it, and the panel's own pad: B closes it.
    driver.execute_script('Module.resumeMainLoop()')
    driver.find_element('id', 'settings-button').click()
    poll(10, lambda: panel_open(driver), 'the panel opens')
    driver.find_element('css selector', '[aria-label="Add a pad button for Walk left"]').click()
    def pad(*pressed):  # then the page reads the pads
        driver.execute_async_script(
            "pads[0] = { index: 0, connected: true, mapping: 'standard', axes: [0, 0], "
            "buttons: Array.from({ length: 17 }, (_, i) => ({ pressed: arguments[0].includes(i) "
            "})) }; requestAnimationFrame(() => requestAnimationFrame(arguments[1]))",
            list(pressed))
    pad()
    pad(2)
    poll(10, lambda: panel_status(driver) == 'X added.', 'X bound to walking left')
    pad()
    pad(1)
    poll(10, lambda: not panel_open(driver), "the pad's B closes the panel")
    pad()
    play_again_paused(driver, key(driver, Keys.ENTER, 'send_keys'))
    play(driver, {20: lambda: pad(2), 40: pad}, 50, '20-39 Left')

    # The desktop's words, read back: what it refuses, the page refuses alike.
    driver.find_element('id', 'settings-button').click()
    poll(10, lambda: panel_open(driver), 'the panel opens again')
    driver.execute_script("document.getElementById('settings-text').value = arguments[0]",
                          'jump = space, Zap\nspeed = 50\n')
    driver.find_element('id', 'settings-read').click()
    assert panel_status(driver) == "settings:1:15: unknown key 'Zap' (SDL's key names: a, 1, " \
        "space, left, escape...); jump keeps its keys", panel_status(driver)
    assert driver.execute_script("return document.querySelector('[name=speed][value=\"50\"]')"
                                 ".checked"), 'the speed of the text was not taken'
    driver.find_element('id', 'settings-close').click()
    driver.execute_script('window.rhythm = []; window.fakeHz = 60;')
    poll(60, lambda: len(driver.execute_script('return window.rhythm')) >= 65, '65 frames')
    rhythm = driver.execute_script('return window.rhythm.slice(5, 65)')  # settled
    assert sum(rhythm) == 30 and max(rhythm) == 1, f'half speed at 60 Hz stepped {rhythm}'


def play_with_a_binding_kept(driver, load, play_again=None):
    """Opens (by load) the page with jump bound to Space in the browser's storage, as the panel
    keeps it: Space jumps as Up does on the desktop. "Play again" by Enter, or play_again."""
    load()
    play_again_paused(driver, play_again or key(driver, Keys.ENTER, 'send_keys'))
    play(driver, {30: key(driver, Keys.SPACE), 32: key(driver, Keys.SPACE, 'key_up')},
         50, '30-31 Up')


KEPT_BINDING = ("if (location.protocol.startsWith('http')) "
                "localStorage.setItem('eggquest.settings', 'jump = space\\n');")


def test_webkit_settings(driver):
    """In WebKit: a binding read back from the browser's storage."""
    page = trial_page_copy(PROBE + ERRORS + KEPT_BINDING)
    play_with_a_binding_kept(driver, lambda: driver.get(page))


def test_firefox_settings(driver):
    """In Firefox: a binding read back from the browser's storage."""
    def load():
        for script in PROBE, ERRORS, KEPT_BINDING:
            driver.add_script_before_page(script)
        driver.get(serve(os.environ['WEB_DIR']) + 'fixture-page/')
    play_with_a_binding_kept(driver, load,
                             lambda: driver.click(*rect(driver, '#play-again')[4:]))


def desktop_run_link(script, levels=None):
    """The fragment of the link to the run the replay tool plays from the key script."""
    replayed = subprocess.run([os.environ['REPLAY'], script, '--mute', '--run-link'] +
                              (['--levels', levels] if levels else []),
                              cwd=os.environ['FIXTURE_DIR'], capture_output=True, text=True)
    fragment = replayed.stdout.splitlines()[-1]
    assert fragment.startswith('#levels=') and '&run=' in fragment, replayed.stdout
    return fragment


def test_run_both_ways(driver):
    """The same run everywhere, for levels/uphill-downhill.txt: a time trial played in the page by
    its key script keeps a best that the desktop's replay tool plays to the same positions and
    frame; the desktop's run, as a link, is raced in the page, played by the same keys, to the
    same time."""
    url = page_url(driver)
    driver.get(url + '#levels=' + UPHILL_LINK.read_text())
    poll(30, lambda: driver.title.startswith('OpenGL Demo - '), 'the game running')
    driver.execute_script("document.getElementById('time-trial').addEventListener('click', "
                          "() => Module.pauseMainLoop(), { once: true })")
    driver.find_element('id', 'time-trial').click()
    play_script(driver, UPHILL_KEYS, 554)
    driver.execute_async_script(STEP, 1)
    poll(10, lambda: notice(driver) == 'time 9.25 s (555 frames), a personal best.',
         'the page finishes the run')
    best = os.path.join(WORK.name, 'uphill-best.keys')
    pathlib.Path(best).write_text(driver.execute_script(
        "return Object.entries(localStorage).find(([name]) => name.startsWith('eggquest.best.'))"
        "[1]"))
    trace = os.path.join(WORK.name, 'trace')
    replayed = subprocess.run([os.environ['REPLAY'], best, '--levels', UPHILL, '--trace', trace],
                              cwd=os.environ['FIXTURE_DIR'], capture_output=True, text=True)
    assert replayed.stdout.endswith('the game ended in frame 554\n'), replayed.stdout
    assert pathlib.Path(trace).read_text() == \
        (SOURCE / 'tests' / 'golden' / 'uphill-downhill.trace').read_text(), 'positions differ'

    driver.switch_to.new_window('tab')
    page_url(driver)
    cdp(driver, 'Page.addScriptToEvaluateOnNewDocument', source=KEY_PLAN + key_plan(UPHILL_KEYS))
    driver.get(url + desktop_run_link(UPHILL_KEYS, UPHILL))
    poll(30, lambda: driver.find_element('id', 'time-to-beat').text == 'Time to beat: 9.25 s',
         "the desktop's time to beat")
    poll(300, lambda: notice(driver) == 'time 9.25 s (555 frames).', 'the page finishes the run')


def trial_page_copy(scripts):
    """A copy of the fixture page with scripts before its own, for drivers that cannot add them."""
    index = pathlib.Path(shutil.copytree(os.path.join(os.environ['WEB_DIR'], 'fixture-page'),
                                         os.path.join(WORK.name, 'page'))) / 'index.html'
    index.write_text(index.read_text().replace('<head>', f'<head><script>{scripts}</script>'))
    return serve(WORK.name) + 'page/'


def race_the_desktops_run(driver, load):
    """Opens (by load) the page at the link to the playthrough's run that the desktop makes, its
    keys played frame for frame: the time to beat and the time are the run's."""
    fragment = desktop_run_link(PLAYTHROUGH)
    load(fragment)
    poll(30, lambda: driver.execute_script(
        "return document.getElementById('time-to-beat').textContent") == 'Time to beat: 4.10 s',
        'the time to beat shown')
    poll(300, lambda: notice(driver) == 'time 4.10 s (246 frames), a personal best.',
         f'the run of {fragment} finishes')


def test_webkit_trial(driver):
    """In WebKit: a run link raced and finished, played by its own keys."""
    page = trial_page_copy(PROBE + ERRORS + KEY_PLAN + key_plan(PLAYTHROUGH))
    race_the_desktops_run(driver, lambda fragment: driver.get(page + fragment))


def test_firefox_trial(driver):
    """In Firefox: a run link raced and finished, played by its own keys."""
    def load(fragment):
        for script in PROBE, ERRORS, KEY_PLAN + key_plan(PLAYTHROUGH):
            driver.add_script_before_page(script)
        driver.get(serve(os.environ['WEB_DIR']) + 'fixture-page/' + fragment)
    race_the_desktops_run(driver, load)


if __name__ == '__main__':
    case = sys.argv[1]
    try:
        browser = {'webkit': webkit, 'webkit_links': webkit, 'webkit_trial': webkit,
                   'webkit_settings': webkit, 'firefox': firefox, 'firefox_trial': firefox,
                   'firefox_settings': firefox}.get(
            case, lambda: chromium('--window-size=1000,860'))
        with browser() as driver:
            driver.set_script_timeout(120)  # steps of a hundred frames on a busy machine
            driver.file_detector = UselessFileDetector()  # files are opened where they are
            globals()['test_' + case](driver)
            said = (driver.execute_script('return window.errors') if case.startswith('webkit') else
                    driver.console() if case.startswith('firefox') else unknown_console(driver))
            said = [line for line in said if not any(known in line for known in KNOWN_CONSOLE)]
            assert not said, 'the console has: ' + '\n  '.join(said)
    except AssertionError as failure:
        raise SystemExit(f'FAIL: {failure}')
    print(f'{case}: ok')
