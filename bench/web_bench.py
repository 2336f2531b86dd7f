"""The web build's figures: what a first visit downloads before its first frame, how soon the
first frame is drawn on a first visit and on a second one (from the offline copy, online and
offline), how many of the browser's animation frames the game keeps up with, and in which game
frame a touch on a control reaches the game, and what the level editor and the Settings panel add
when they are opened, which the game page never loads itself. Fails, saying why, when a figure cannot be measured.
  web_bench.py FOLDER     FOLDER: the page's folder (build-web/eggquest)
It drives the browsers through scripts/python/browser.py, which scripts/bench puts on PYTHONPATH."""
import gzip
import os
import statistics
import sys
import time

from browser import cdp, chromium, poll, serve

FOLDER = sys.argv[1]
FILES = ['index.html', 'index.js', 'index.wasm', 'index.data', 'manifest.webmanifest', 'sw.js',
         'icon-192.png', 'icon-512.png', 'icon-maskable-512.png']
# The level editor and the Settings panel: loaded when the player opens them, never by the game
# page.
EDITOR_FILES = ['editor.js', 'editor.css', 'settings-panel.js']
# What a first visit may download before its first frame, time trials and settings included
# (gzip -9, KB): more fails the benchmark.
FIRST_VISIT_BUDGET = 100.0
LOADS = 5
# A player's connection for comparing visits: a good phone or home connection, 50 ms away at
# 20 Mbit/s (the files as they are, uncompressed, as the benchmark's server sends them).
CONNECTION = {'latency': 50, 'downloadThroughput': 20e6 / 8, 'uploadThroughput': 5e6 / 8}
LOCAL = {'latency': 0, 'downloadThroughput': -1, 'uploadThroughput': -1}
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


missing = [name for name in FILES + EDITOR_FILES if not os.path.isfile(os.path.join(FOLDER, name))]
if missing:
    fail(f'{FOLDER} lacks {", ".join(missing)}: build it with scripts/web --build-only')
sizes, editor_sizes = {}, {}
for name in FILES + EDITOR_FILES:
    with open(os.path.join(FOLDER, name), 'rb') as f:
        (editor_sizes if name in EDITOR_FILES else sizes)[name] = len(
            gzip.compress(f.read(), compresslevel=9))

url = serve(FOLDER)
visits = {'local': [], 'first': [], 'second': [], 'offline': []}
fetched = {'index.html'}


def first_frame(driver, visit):
    """Loads the page and keeps the time from the navigation's start (performance.now()'s zero) to
    the end of its first frame."""
    kept = visit in ('second', 'offline')
    if not kept:  # nothing of the site kept, neither in the HTTP cache nor offline
        driver.get('about:blank')
        cdp(driver, 'Storage.clearDataForOrigin', origin=url.rstrip('/'), storageTypes='all')
        cdp(driver, 'Network.clearBrowserCache')
    cdp(driver, 'Network.emulateNetworkConditions', offline=visit == 'offline',
        **(LOCAL if visit == 'local' else CONNECTION))
    driver.get(url)
    if driver.execute_script('return !!navigator.serviceWorker.controller') != kept:
        fail(f'a {visit} visit is {"not " * kept}played from the offline copy')
    visits[visit].append(poll(20, lambda: driver.execute_script('return window.probe.firstFrame'),
                              f'the first frame of a {visit} visit'))


try:
    with chromium('--window-size=1000,860') as driver:
        cdp(driver, 'Page.addScriptToEvaluateOnNewDocument', source=PROBE)
        cdp(driver, 'Network.enable')  # which the connection's emulation needs
        for _ in range(LOADS):
            first_frame(driver, 'local')
            first_frame(driver, 'first')
            # The requests up to then, of any of the visits: the page's own, and the manifest and
            # an icon, which Chromium fetches as the page loads.
            fetched |= {name.split('/')[-1] for name in
                driver.execute_script("return performance.getEntriesByType('resource').filter("
                                      "(entry) => entry.startTime < probe.firstFrame)"
                                      ".map((entry) => entry.name)")}
            poll(30, lambda: driver.execute_async_script(
                'navigator.serviceWorker.getRegistration().then((r) => arguments[0](r && r.active '
                "&& r.active.state === 'activated'))"), 'the offline copy kept')
            first_frame(driver, 'second')
            first_frame(driver, 'offline')
        cdp(driver, 'Network.emulateNetworkConditions', offline=False, **LOCAL)
        loaded = driver.execute_script(
            "return performance.getEntriesByType('resource').map((entry) => entry.name)")
        if any(name.split('/')[-1] in EDITOR_FILES for name in loaded):
            fail(f'the game page loaded the editor or the settings panel: {loaded}')
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

        # The editor's own address: its files come then, after the game's first frame.
        cdp(driver, 'Emulation.clearDeviceMetricsOverride')
        driver.get(url + '#edit')
        poll(20, lambda: driver.execute_script(
            "return !!document.getElementById('level-grid')"), 'the editor opens')
        opened = driver.execute_script(
            "return performance.getEntriesByType('resource').filter((entry) => entry.name.match("
            "/editor\\.(js|css)$/)).map((entry) => entry.startTime > probe.firstFrame)")
        if opened != [True, True]:
            fail(f'the editor\'s two files came {opened} after the first frame')
except AssertionError as failure:
    fail(failure)

if browser_end <= browser_start:
    fail(f'the browser offered no animation frame in {RATE_SECONDS} s')
game_rate = (game_end - game_start) / RATE_SECONDS
browser_rate = (browser_end - browser_start) / RATE_SECONDS
print('Web build in headless Chromium (WebGL through SwiftShader)')
first_visit = sum(sizes[name] for name in fetched) / 1000
print(f'{"download, gzip -9":44} ' + ', '.join(f'{n} {s / 1000:.1f}' for n, s in sizes.items()))
print(f'{"  total of the files above (KB)":44} {sum(sizes.values()) / 1000:12.1f} '
      f'{"goal":>12} {120:8}')
print(f'{"  first visit, before its first frame (KB)":44} {first_visit:12.1f} {"goal":>12} '
      f'{FIRST_VISIT_BUDGET:8.1f}')
print(f'{"  of:":44} {", ".join(sorted(fetched))}')
print(f'{"level editor or settings, when opened (KB)":44} {sum(editor_sizes.values()) / 1000:12.1f}   ' +
      ', '.join(f'{n} {s / 1000:.1f}' for n, s in editor_sizes.items()))
print(f'{f"first visit to first frame (ms, median of {LOADS})":44} '
      f'{statistics.median(visits["local"]):12.0f} {"goal":>12} {1000:8}')
print('  20 Mbit/s, 50 ms away:')
first = statistics.median(visits['first'])
for visit in 'first', 'second', 'offline':
    print(f'{f"  {visit} visit to first frame (ms)":44} {statistics.median(visits[visit]):12.0f}'
          f' {"goal":>12} {"" if visit == "first" else f"< {first:.0f}":>8}')
print(f'{"game frames / animation frames per second":44} {game_rate:12.2f} {browser_rate:12.2f}'
      f' {game_rate / browser_rate:8.3f}')
print(f"{f'touch to the game, in game frames (of {PRESSES})':44} {max(latencies):12d}"
      f' {"goal":>12} {1:8}')
if first_visit > FIRST_VISIT_BUDGET:
    fail(f'a first visit downloads {first_visit:.1f} KB before its first frame, over the budget of '
         f'{FIRST_VISIT_BUDGET:.0f} KB')
