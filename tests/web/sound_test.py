"""The page's sound in Debian's headless Chromium, watched from inside the page: no audio before the
player's first key, then the game's own effects (the desktop build's WAV bytes, GAME_DIR) decoded
and a jump played; the Mute button silences it, and the page remembers it on the next visit."""
import base64
import os
import sys

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts'))
from browser import cdp, chromium, poll, serve, unknown_console  # noqa: E402

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
    const levels = this.buffer.getChannelData(0).map(Math.abs);
    window.probe.started.push({ seconds: this.buffer.duration, loudest: Math.max(...levels) });
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
    desktop = [base64.b64encode(open(os.path.join(os.environ['GAME_DIR'], name + '.wav'), 'rb')
                                .read()).decode() for name in ('jump', 'level', 'goal')]
    assert sorted(probe(driver, 'decoded')) == sorted(desktop), 'the page made other sounds'

    hold_up(driver, 80)
    jump = poll(10, lambda: probe(driver, 'started[0]'), 'a jump plays a sound')
    assert abs(jump['seconds'] - 0.12) < 0.01 and 0.2 < jump['loudest'] < 0.4, f'it played {jump}'

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


if __name__ == '__main__':
    try:
        with chromium('--window-size=1000,860') as driver:
            cdp(driver, 'Page.addScriptToEvaluateOnNewDocument', source=PROBE)
            test_sound(driver, serve(os.environ['WEB_DIR']) + 'fixture-page/')
            unknown = unknown_console(driver)
            assert not unknown, 'the console has: ' + '\n  '.join(unknown)
    except AssertionError as failure:
        raise SystemExit(f'FAIL: {failure}')
    print('sound: ok')
