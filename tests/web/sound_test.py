"""The page's sound in Debian's headless Chromium, watched from inside the page: no audio before the
player's first key, then the game's own effects (the desktop build's WAV bytes, GAME_DIR) decoded
and a jump played; the Mute button silences it, and the page remembers it on the next visit."""
import base64
import os
import sys

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_test import KNOWN, chromium, poll, serve  # noqa: E402

# Before the page's own scripts: every audio context made, every WAV file decoded and every sound
# started, with its length and loudness.
PROBE = """
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
    const samples = this.buffer.getChannelData(0);
    window.probe.started.push({ seconds: this.buffer.duration,
                                loudest: samples.reduce((a, b) => Math.max(a, Math.abs(b)), 0) });
    return start.apply(this, args);
  };
"""


def probe(driver, what):
    return driver.execute_script('return window.probe.' + what)


def frames(driver, count):
    """Waits for the page's next COUNT animation frames: the game runs one in each."""
    driver.execute_async_script("""const done = arguments[1]; let left = arguments[0];
        const next = () => --left ? requestAnimationFrame(next) : done();
        requestAnimationFrame(next);""", count)


def hold_up(driver, animation_frames):
    """Up held long enough for a jump at the chicken's next landing (a jump lasts 50 frames)."""
    ActionChains(driver).key_down(Keys.ARROW_UP).perform()
    frames(driver, animation_frames)
    ActionChains(driver).key_up(Keys.ARROW_UP).perform()


def mute_pressed(driver):
    return driver.find_element(By.ID, 'mute').get_attribute('aria-pressed')


def test_sound(driver, url):
    driver.get(url)
    poll(20, lambda: driver.title.startswith('OpenGL Demo - '), 'the game running')
    frames(driver, 30)
    assert probe(driver, 'contexts.length') == 0, 'audio began before any key'
    assert mute_pressed(driver) == 'false', 'a first visit is muted'

    ActionChains(driver).send_keys(Keys.ARROW_DOWN).perform()
    poll(10, lambda: probe(driver, 'contexts.length') == 1 and
         probe(driver, 'contexts[0].state') == 'running', 'a key starts the audio')
    decoded = probe(driver, 'decoded')
    for name in ('jump', 'level', 'goal'):
        with open(os.path.join(os.environ['GAME_DIR'], name + '.wav'), 'rb') as wav:
            assert base64.b64encode(wav.read()).decode() in decoded, \
                f'the page made another {name} sound than the desktop build'

    hold_up(driver, 80)
    poll(10, lambda: probe(driver, 'started.length') > 0, 'a jump plays a sound')
    jump = probe(driver, 'started[0]')
    assert abs(jump['seconds'] - 0.12) < 0.01 and 0.2 < jump['loudest'] < 0.4, \
        f'the jump played {jump}'

    driver.find_element(By.ID, 'mute').click()
    assert mute_pressed(driver) == 'true'
    played = probe(driver, 'started.length')
    hold_up(driver, 120)
    assert probe(driver, 'started.length') == played, 'muted, a jump was heard'

    # The next visit remembers: no audio at the first key, until the player unmutes.
    driver.get(url)
    poll(20, lambda: driver.title.startswith('OpenGL Demo - '), 'the game running again')
    assert mute_pressed(driver) == 'true', 'the page forgot that it was muted'
    ActionChains(driver).send_keys(Keys.ARROW_DOWN).perform()
    frames(driver, 30)
    assert probe(driver, 'contexts.length') == 0, 'muted, a key started the audio'
    driver.find_element(By.ID, 'mute').click()
    poll(10, lambda: probe(driver, 'contexts.length') == 1, 'unmuting starts the audio')
    hold_up(driver, 80)
    poll(10, lambda: probe(driver, 'started.length') > 0, 'unmuted, a jump plays a sound')


if __name__ == '__main__':
    try:
        with chromium() as driver:
            driver.execute('executeCdpCommand', {'cmd': 'Page.addScriptToEvaluateOnNewDocument',
                                                 'params': {'source': PROBE}})
            test_sound(driver, serve(os.environ['WEB_DIR']) + 'fixture-page/')
            unknown = [entry['message'] for entry in driver.get_log('browser') if entry['level']
                       in ('WARNING', 'SEVERE') and not any(k in entry['message'] for k in KNOWN)]
            assert not unknown, 'the console has: ' + '\n  '.join(unknown)
    except AssertionError as failure:
        raise SystemExit(f'FAIL: {failure}')
    print('sound: ok')
