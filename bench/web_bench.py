"""The web build's figures: what a player downloads, how soon the first frame is drawn, and how
many of the browser's animation frames the game keeps up with.
  web_bench.py FOLDER     FOLDER: the page's folder (build-web/eggquest)"""
import gzip
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'web'))
from browser_test import chromium, poll, serve  # noqa: E402

FOLDER = sys.argv[1]
LOADS = 7
RATE_SECONDS = 5

# Before the page's own scripts: every animation-frame callback of the page's is timed, beside a
# loop of our own that only counts the frames the browser offers.
FRAME_PROBE = """
  const offer = window.requestAnimationFrame.bind(window);
  window.probe = { gameFrames: [], browserFrames: 0 };
  window.requestAnimationFrame = (callback) => offer((time) => {
    callback(time);
    window.probe.gameFrames.push(performance.now());
  });
  const count = () => { window.probe.browserFrames++; offer(count); };
  offer(count);
"""

sizes = {}
for name in sorted(os.listdir(FOLDER)):
    with open(os.path.join(FOLDER, name), 'rb') as f:
        sizes[name] = len(gzip.compress(f.read(), compresslevel=9))

url = serve(FOLDER)
first_frames = []
with chromium() as driver:
    driver.execute('executeCdpCommand', {'cmd': 'Page.addScriptToEvaluateOnNewDocument',
                                         'params': {'source': FRAME_PROBE}})
    for _ in range(LOADS):
        driver.get(url + '?' + str(time.monotonic()))
        # performance.now() counts from the navigation's start.
        poll(20, lambda: driver.execute_script('return window.probe.gameFrames.length'),
             'the first frame')
        first_frames.append(driver.execute_script('return window.probe.gameFrames[0]'))
    game_start, browser_start = driver.execute_script(
        'return [window.probe.gameFrames.length, window.probe.browserFrames]')
    time.sleep(RATE_SECONDS)  # a measuring interval, not a wait for something to happen
    game_end, browser_end = driver.execute_script(
        'return [window.probe.gameFrames.length, window.probe.browserFrames]')

game_rate = (game_end - game_start) / RATE_SECONDS
browser_rate = (browser_end - browser_start) / RATE_SECONDS
print('Web build in headless Chromium (WebGL through SwiftShader)')
print(f'{"download, gzip -9":44} ' + ', '.join(f'{n} {s / 1000:.1f}' for n, s in sizes.items()))
print(f'{"  total (KB)":44} {sum(sizes.values()) / 1000:12.1f} {"goal":>12} {120:8}')
print(f'{"navigation to first frame (ms, median of 7)":44} {statistics.median(first_frames):12.0f}'
      f' {"goal":>12} {1000:8}')
print(f'{"game frames / animation frames per second":44} {game_rate:12.2f} {browser_rate:12.2f}'
      f' {game_rate / browser_rate:8.3f}')
