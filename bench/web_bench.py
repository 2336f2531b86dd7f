"""The web build's figures: what a player downloads, how soon the first frame is drawn, how many
of the browser's animation frames the game keeps up with, and in which game frame a touch on a
control reaches the game. Fails, saying why, when a figure cannot be measured.
  web_bench.py FOLDER     FOLDER: the page's folder (build-web/eggquest)"""
import gzip
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'scripts'))
from browser import cdp, chromium, poll, serve  # noqa: E402

FOLDER = sys.argv[1]
FILES = ['index.html', 'index.js', 'index.wasm', 'index.data']
LOADS = 7
RATE_SECONDS = 5
PRESSES = 10

# Before the page's own scripts. The game clears the picture once a frame: that counts its frames,
# and marks the end of the animation frame that drew the first. A loop of the measurement's own
# counts the animation frames the browser offers. Each key event the game gets is marked handled
# by Emscripten's SDL in the frame that reads it.
PROBE = """
  window.probe = { gameFrames: 0, firstFrame: null, browserFrames: 0, pressed: null,
                   latencies: [] };
  const clear = WebGLRenderingContext.prototype.clear;
  WebGLRenderingContext.prototype.clear = function (mask) {
    probe.gameFrames++;
    if (probe.pressed && probe.pressed.event.handled) {
      probe.latencies.push(probe.gameFrames - 1 - probe.pressed.frames);
      probe.pressed = null;
    }
    return clear.call(this, mask);
  };
  const offer = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => offer((time) => {
    callback(time);
    if (probe.firstFrame === null && probe.gameFrames) probe.firstFrame = performance.now();
  });
  const count = () => { probe.browserFrames++; offer(count); };
  offer(count);
  document.addEventListener('keydown', (event) => {
    probe.pressed = { event, frames: probe.gameFrames };
  }, true);
"""


def fail(message):
    raise SystemExit(f'web_bench: {message}')


missing = [name for name in FILES if not os.path.isfile(os.path.join(FOLDER, name))]
if missing:
    fail(f'{FOLDER} lacks {", ".join(missing)}: build it with scripts/web --build-only')
sizes = {}
for name in FILES:
    with open(os.path.join(FOLDER, name), 'rb') as f:
        sizes[name] = len(gzip.compress(f.read(), compresslevel=9))

url = serve(FOLDER)
first_frames = []
try:
    with chromium('--window-size=1000,860') as driver:
        cdp(driver, 'Page.addScriptToEvaluateOnNewDocument', source=PROBE)
        for _ in range(LOADS):
            driver.get(url + '?' + str(time.monotonic()))
            # performance.now() counts from the navigation's start.
            first_frames.append(poll(20, lambda: driver.execute_script(
                'return window.probe.firstFrame'), 'the first frame'))
        game_start, browser_start = driver.execute_script(
            'return [probe.gameFrames, probe.browserFrames]')
        time.sleep(RATE_SECONDS)  # a measuring interval, not a wait for something to happen
        game_end, browser_end = driver.execute_script(
            'return [probe.gameFrames, probe.browserFrames]')

        # A phone's touch screen: a finger on Right, lifted a few frames later, again and again.
        cdp(driver, 'Emulation.setDeviceMetricsOverride', width=844, height=390,
            deviceScaleFactor=1, mobile=True)
        cdp(driver, 'Emulation.setTouchEmulationEnabled', enabled=True, maxTouchPoints=5)
        driver.get(url)
        poll(20, lambda: driver.execute_script('return probe.gameFrames > 10'), 'the game runs')
        right = driver.execute_script("""const r = document.querySelector('[data-key=Right]')
            .getBoundingClientRect(); return {x: r.left + r.width / 2, y: r.top + r.height / 2};""")
        for press in range(PRESSES):
            cdp(driver, 'Input.dispatchTouchEvent', type='touchStart', touchPoints=[right])
            poll(5, lambda: driver.execute_script('return probe.latencies.length') > press,
                 'the game reads the touch')
            cdp(driver, 'Input.dispatchTouchEvent', type='touchEnd', touchPoints=[])
            frames = driver.execute_script('return probe.gameFrames')
            poll(5, lambda: driver.execute_script('return probe.gameFrames') > frames + 3,
                 'frames pass')
        latencies = driver.execute_script('return probe.latencies')
except AssertionError as failure:
    fail(failure)

if browser_end <= browser_start:
    fail(f'the browser offered no animation frame in {RATE_SECONDS} s')
game_rate = (game_end - game_start) / RATE_SECONDS
browser_rate = (browser_end - browser_start) / RATE_SECONDS
print('Web build in headless Chromium (WebGL through SwiftShader)')
print(f'{"download, gzip -9":44} ' + ', '.join(f'{n} {s / 1000:.1f}' for n, s in sizes.items()))
print(f'{"  total (KB)":44} {sum(sizes.values()) / 1000:12.1f} {"goal":>12} {120:8}')
print(f'{"navigation to first frame (ms, median of 7)":44} {statistics.median(first_frames):12.0f}'
      f' {"goal":>12} {1000:8}')
print(f'{"game frames / animation frames per second":44} {game_rate:12.2f} {browser_rate:12.2f}'
      f' {game_rate / browser_rate:8.3f}')
print(f"{f'touch to the game, in game frames (of {PRESSES})':44} {max(latencies):12d}"
      f' {"goal":>12} {1:8}')
