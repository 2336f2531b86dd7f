// The page's input: the keyboard, the touch controls and gamepads, merged into the key events the
// game already reads. Emscripten's SDL takes keyCode from key events on document, so each of the
// game's keys gets one keydown when the first source takes it and one keyup when the last lets it
// go. Sound or anything else that waits for the player's first key or touch can listen for those
// keydown and keyup events on document: every source's presses arrive there.
(() => {
  // The game's keys by their DOM key codes, the codes Emscripten's SDL turns into SDLK_ values.
  const KEY_CODES = { Left: 37, Up: 38, Right: 39, Escape: 27 };
  // A stick tilted less than this is resting, however much it drifts.
  const STICK_DEAD_ZONE = 0.5;
  // The bottom button of the browser's standard gamepad mapping, "Play again" on the end page.
  const PAD_BOTTOM = 0;
  // The player's bindings (web/settings.js hands them over): the game's key of each key's place
  // on the keyboard (KeyboardEvent.code) and of each pad button (its standard number). Until then
  // the game's own.
  let keyOfCode = { ArrowLeft: 'Left', ArrowRight: 'Right', ArrowUp: 'Up', Escape: 'Escape' };
  let keyOfButton = { 14: 'Left', 15: 'Right', 0: 'Up', 12: 'Up' };
  Module.bindInput = (codes, buttons) => {
    releaseEverything();
    keyOfCode = codes;
    keyOfButton = buttons;
  };

  const holders = { Left: new Set(), Up: new Set(), Right: new Set(), Escape: new Set() };
  const fingers = new Map();  // pointer id: the key it holds, or null over no control

  // source holds (down) or lets go of key; the game hears of it only if the key's state changes.
  function hold(source, key, down) {
    const sources = holders[key];
    const wasHeld = sources.size > 0;
    if (down) sources.add(source);
    else sources.delete(source);
    if (wasHeld === sources.size > 0) return;
    const button = document.querySelector(`.pad [data-key=${key}]`);
    if (button) button.classList.toggle('held', down);
    document.dispatchEvent(new KeyboardEvent(down ? 'keydown' : 'keyup',
      { keyCode: KEY_CODES[key], bubbles: true, cancelable: true }));
  }

  function releaseSource(source) {
    for (const key in holders) hold(source, key, false);
  }

  function releaseEverything() {
    for (const key in holders) {
      for (const source of holders[key]) hold(source, key, false);
    }
    fingers.clear();
  }

  // The keyboard: the browser's own events for the game's keys stop here, before SDL's listener on
  // document, and go on as the merged ones; a key the game reads that the player has bound to
  // nothing stops here too. The level editor and the open Settings panel keep their own.
  const GAME_KEY_CODES = new Set(Object.values(KEY_CODES));
  for (const type of ['keydown', 'keyup']) {
    addEventListener(type, (event) => {
      const key = keyOfCode[event.code];
      const settings = document.getElementById('settings');
      const own = (event.target.closest && event.target.closest('#editor')) ||
        (settings && !settings.hidden);
      if (!event.isTrusted || own) return;
      // Tab moves the focus off the game to the page's buttons, unless the player plays with it.
      if (!key && event.code === 'Tab') {
        event.stopPropagation();
        return;
      }
      if (!(key || GAME_KEY_CODES.has(event.keyCode))) return;
      event.stopPropagation();
      event.preventDefault();
      if (key) hold('keyboard', key, type === 'keydown');
    }, true);
  }

  // Touch: each finger holds the control it is over, whichever it started on; leaving every
  // control lets go. Capturing the pointer keeps its events here wherever it moves.
  const game = document.getElementById('game');
  function follow(event) {
    if (!fingers.has(event.pointerId)) return;
    const over = document.elementFromPoint(event.clientX, event.clientY);
    const control = over && over.closest('.pad [data-key]');
    const key = control ? control.dataset.key : null;
    const source = 'pointer' + event.pointerId;
    const held = fingers.get(event.pointerId);
    if (key === held) return;
    if (held) hold(source, held, false);
    if (key) hold(source, key, true);
    fingers.set(event.pointerId, key);
  }
  function lift(event) {
    if (!fingers.has(event.pointerId)) return;
    releaseSource('pointer' + event.pointerId);
    fingers.delete(event.pointerId);
  }
  game.addEventListener('pointerdown', (event) => {
    if (!event.target.closest('.pad')) return;
    event.preventDefault();  // no focus, no selection, no mouse events after a touch
    game.setPointerCapture(event.pointerId);
    fingers.set(event.pointerId, null);
    follow(event);
  });
  game.addEventListener('pointermove', follow);
  for (const type of ['pointerup', 'pointercancel', 'lostpointercapture']) {
    game.addEventListener(type, lift);
  }
  game.addEventListener('contextmenu', (event) => event.preventDefault());
  // The game reads no touches: Emscripten's SDL would turn those on the picture into mouse events,
  // cancelling ones the browser no longer lets it cancel.
  const stage = document.getElementById('stage');
  for (const type of ['touchstart', 'touchmove', 'touchend', 'touchcancel']) {
    stage.addEventListener(type, (event) => event.stopPropagation(), true);
  }

  // Nothing stays held while the page is away.
  addEventListener('blur', releaseEverything);
  document.addEventListener('visibilitychange', () => document.hidden && releaseEverything());

  // Gamepads in the standard mapping, read once per animation frame. Browsers list a pad only
  // after one of its buttons is pressed; a pad that is gone lets go of its keys.
  const padInUse = document.getElementById('pad-in-use');
  const playAgain = document.getElementById('play-again');
  const notice = document.getElementById('notice');
  let padsSeen = new Map();  // index: whether its bottom button was down
  function readPads() {
    const pads = navigator.getGamepads ? navigator.getGamepads() : [];
    const seen = new Map();
    for (const pad of pads) {
      if (!pad || !pad.connected || pad.mapping !== 'standard') continue;
      const pressed = (button) => !!(pad.buttons[button] && pad.buttons[button].pressed);
      const across = pad.axes[0] || 0;
      const source = 'pad' + pad.index;
      const bottom = pressed(PAD_BOTTOM);
      const held = { Left: across < -STICK_DEAD_ZONE, Right: across > STICK_DEAD_ZONE, Up: false,
                     Escape: false };
      for (const button in keyOfButton) {
        if (pressed(Number(button))) held[keyOfButton[button]] = true;
      }
      for (const key in held) hold(source, key, held[key]);
      // On the end page the jump button is "Play again"; a press, not a button still held.
      if (bottom && padsSeen.get(pad.index) !== true && !notice.hidden && !playAgain.hidden) {
        playAgain.click();
      }
      seen.set(pad.index, bottom);
    }
    for (const index of padsSeen.keys()) {
      if (!seen.has(index)) releaseSource('pad' + index);
    }
    padsSeen = seen;
    padInUse.hidden = seen.size === 0;
    requestAnimationFrame(readPads);
  }
  requestAnimationFrame(readPads);
})();
