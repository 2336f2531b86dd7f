// The Settings panel, loaded by the game page only when opened: each action's keys and pad
// buttons, bound by pressing them and removed one by one, the game speed, the volume, the
// defaults back in one press, and the settings as the desktop's text to copy or to read. It works
// with the keyboard alone and with a pad alone: the D-pad moves the focus, A presses, B closes.
(() => {
  const ACTIONS = [['left', 'Walk left'], ['right', 'Walk right'], ['jump', 'Jump'],
                   ['quit', 'End the game']];
  const SPEEDS = [100, 75, 50];
  const PAD_A = 0;
  const PAD_B = 1;
  const PAD_UP = 12;
  const PAD_DOWN = 13;
  const names = Module.settings.names();
  const keyName = (code) => (names.keys.find((key) => key.code === code) || {}).name;
  const padName = (standard) => (names.pads.find((pad) => pad.standard === standard) || {}).name;
  const label = (name) => (name.length > 1 ? name[0].toUpperCase() + name.slice(1) : name);

  const style = document.createElement('style');
  style.textContent = `
    #settings { position: fixed; inset: 0; overflow: auto; background: #23324a; color: #f2f2f2;
                padding: 12px; z-index: 10; }
    #settings h2 { margin: 0 0 8px; }
    #settings table { border-collapse: collapse; }
    #settings th, #settings td { text-align: left; padding: 6px 8px; vertical-align: top; }
    #settings ul { list-style: none; margin: 0; padding: 0; display: flex; flex-wrap: wrap;
                   gap: 6px; }
    #settings li { background: #34466a; border-radius: 6px; padding: 2px 4px 2px 10px; }
    #settings li button { padding: 0 8px; margin-left: 4px; background: #8b8f99; }
    #settings button { margin: 2px; }
    #settings fieldset { border: 1px solid #8b8f99; border-radius: 6px; margin: 12px 0; }
    #settings textarea { width: min(100%, 40em); height: 12em; font: 14px monospace; }
    #settings :focus-visible { outline: 3px solid #f6d35b; outline-offset: 2px; }
    #settings-status { min-height: 1.4em; }`;
  document.head.append(style);

  const panel = document.createElement('section');
  panel.id = 'settings';
  panel.hidden = true;
  panel.setAttribute('role', 'dialog');
  panel.setAttribute('aria-labelledby', 'settings-title');
  panel.innerHTML = `
    <h2 id="settings-title">Settings</h2>
    <p id="settings-status" role="status" aria-live="polite"></p>
    <table><tbody id="settings-bindings"></tbody></table>
    <fieldset><legend>Game speed</legend>${SPEEDS.map((speed) => `<label><input type="radio"
      name="speed" value="${speed}"> ${speed} %</label>`).join(' ')}</fieldset>
    <p><label>Volume <input id="settings-volume" type="range" min="0" max="100" step="5"></label>
      <output id="settings-volume-shown"></output></p>
    <p><button type="button" id="settings-reset">Reset to defaults</button>
      <button type="button" id="settings-close">Close</button></p>
    <p><textarea id="settings-text" aria-label="The settings as the desktop's settings file"
      spellcheck="false"></textarea></p>
    <p><button type="button" id="settings-copy">Copy as text</button>
      <button type="button" id="settings-read">Read the text</button></p>`;
  document.body.append(panel);
  const $ = (id) => document.getElementById(id);
  const say = (text) => { $('settings-status').textContent = text; };

  // The settings as text, from the bindings on show, with one key or button added or taken away.
  function textWith(change) {
    const now = Module.settings.bindings();
    change(now.actions);
    let text = '';
    for (const [action] of ACTIONS) {
      text += `${action} = ${now.actions[action].codes.map(keyName).join(', ')}\n`;
    }
    for (const [action] of ACTIONS) {
      text += `pad ${action} = ${now.actions[action].buttons.map(padName).join(', ')}\n`;
    }
    return text + `speed = ${now.speed}\nvolume = ${now.volume}\n`;
  }
  function take(text, done) {
    const messages = Module.settings.take(text);
    // The rows are drawn anew: the focus goes back to the control that had it, or its row's first.
    const focused = document.activeElement;
    const label = focused && focused.getAttribute('aria-label');
    const row = focused && focused.closest('tr');
    const rowIndex = row ? [...row.parentNode.children].indexOf(row) : -1;
    render();
    const again = label && panel.querySelector(`[aria-label="${label}"]`);
    if (again) again.focus();
    else if (rowIndex >= 0) $('settings-bindings').children[rowIndex].querySelector('button').focus();
    say(messages.length ? messages.join(' ') : done);
  }

  function render() {
    const now = Module.settings.bindings();
    $('settings-bindings').replaceChildren(...ACTIONS.map(([action, title]) => {
      const row = document.createElement('tr');
      const bound = now.actions[action];
      const items = [...bound.codes.map((code) => ['key', keyName(code), code]),
                     ...bound.buttons.map((button) => ['pad button', padName(button), button])];
      row.innerHTML = `<th scope="row">${title}</th><td><ul></ul></td><td>
        <button type="button" data-add="key">Add a key</button>
        <button type="button" data-add="pad">Add a pad button</button></td>`;
      row.querySelector('[data-add=key]').setAttribute('aria-label', `Add a key for ${title}`);
      row.querySelector('[data-add=pad]').setAttribute('aria-label',
                                                       `Add a pad button for ${title}`);
      row.querySelector('[data-add=key]').addEventListener('click', () => listenForKey(action));
      row.querySelector('[data-add=pad]').addEventListener('click', () => listenForPad(action));
      row.querySelector('ul').replaceChildren(...items.map(([kind, name, place]) => {
        const item = document.createElement('li');
        item.textContent = label(name);
        const remove = document.createElement('button');
        remove.type = 'button';
        remove.textContent = '×';
        remove.setAttribute('aria-label', `Remove the ${kind} ${label(name)} from ${title}`);
        remove.addEventListener('click', () => take(textWith((actions) => {
          const list = kind === 'key' ? actions[action].codes : actions[action].buttons;
          list.splice(list.indexOf(place), 1);
        }), `${label(name)} no longer does ${title}.`));
        item.append(remove);
        return item;
      }));
      return row;
    }));
    for (const radio of panel.querySelectorAll('[name=speed]')) {
      radio.checked = Number(radio.value) === now.speed;
    }
    $('settings-volume').value = now.volume;
    $('settings-volume-shown').textContent = `${now.volume} %`;
    $('settings-text').value = Module.settings.text();
  }

  // The next key pressed is bound; Escape, which always ends the game, stops listening.
  let listening = null;
  function listenForKey(action) {
    say(`Press the key for ${ACTIONS.find(([name]) => name === action)[1]} (Escape: none).`);
    listening = (event) => {
      event.preventDefault();
      event.stopImmediatePropagation();
      listening = null;
      if (event.code === 'Escape') {
        say('No key added.');
      } else if (!keyName(event.code)) {
        say(`The key ${event.key} cannot be bound.`);
      } else {
        take(textWith((actions) => actions[action].codes.push(event.code)),
             `${label(keyName(event.code))} added.`);
      }
    };
  }
  // Its release is the panel's too, or Space would press the focused button again.
  let bound = null;
  addEventListener('keydown', (event) => {
    if (listening && !panel.hidden) {
      bound = event.code;
      listening(event);
    }
  }, true);
  addEventListener('keyup', (event) => {
    if (event.code !== bound) return;
    bound = null;
    event.preventDefault();
    event.stopImmediatePropagation();
  }, true);

  // The pad: a button pressed while listening is bound; otherwise the D-pad moves the focus,
  // A presses what has it and B closes the panel. Only presses count, not buttons held.
  let padListening = null;
  let wasPressed = new Set();
  function listenForPad(action) {
    say(`Press the pad button for ${ACTIONS.find(([name]) => name === action)[1]}.`);
    padListening = action;
    wasPressed = pressedButtons();
  }
  function pressedButtons() {
    const pressed = new Set();
    for (const pad of navigator.getGamepads ? navigator.getGamepads() : []) {
      if (!pad || !pad.connected || pad.mapping !== 'standard') continue;
      pad.buttons.forEach((button, index) => button.pressed && pressed.add(index));
    }
    return pressed;
  }
  // The controls in order, for the pad's D-pad and for Tab, which goes round them: the panel is a
  // dialog, and the page behind it waits.
  function moveFocus(step) {
    const focusable = [...panel.querySelectorAll('button, input, textarea')]
      .filter((control) => control.offsetParent !== null);
    const at = focusable.indexOf(document.activeElement);
    focusable[(at + step + focusable.length) % focusable.length].focus();
  }
  function readPad() {
    if (panel.hidden) return;
    const pressed = pressedButtons();
    const pressedNow = [...pressed].filter((button) => !wasPressed.has(button));
    wasPressed = pressed;
    if (padListening && pressedNow.length) {
      const action = padListening;
      padListening = null;
      const button = pressedNow[0];
      if (padName(button) === undefined) say('That pad button cannot be bound.');
      else {
        take(textWith((actions) => actions[action].buttons.push(button)),
             `${padName(button)} added.`);
      }
    } else if (pressedNow.includes(PAD_DOWN)) moveFocus(1);
    else if (pressedNow.includes(PAD_UP)) moveFocus(-1);
    else if (pressedNow.includes(PAD_A)) document.activeElement.click();
    else if (pressedNow.includes(PAD_B)) close();
    requestAnimationFrame(readPad);
  }

  for (const radio of panel.querySelectorAll('[name=speed]')) {
    radio.addEventListener('change', () => take(textWith(() => {}).replace(/^speed = .*$/m,
      `speed = ${radio.value}`), `The game now plays at ${radio.value} %.`));
  }
  $('settings-volume').addEventListener('change', () => take(textWith(() => {}).replace(
    /^volume = .*$/m, `volume = ${$('settings-volume').value}`),
  `The volume is now ${$('settings-volume').value} %.`));
  $('settings-reset').addEventListener('click', () => take('', 'The game\'s own settings again.'));
  $('settings-copy').addEventListener('click', () => {
    $('settings-text').select();
    navigator.clipboard?.writeText($('settings-text').value).catch(() => {});
    say('The text is copied: save it as ~/.config/eggquest/settings.txt for the desktop game.');
  });
  $('settings-read').addEventListener('click', () => take($('settings-text').value,
                                                        'The text is read.'));
  $('settings-close').addEventListener('click', () => close());
  // The game hears none of the keys while the panel is open; Escape closes it.
  for (const type of ['keydown', 'keypress', 'keyup']) {
    addEventListener(type, (event) => {
      if (panel.hidden) return;
      if (type === 'keydown' && event.key === 'Escape' && !listening) close();
      if (type === 'keydown' && event.key === 'Tab') {
        event.preventDefault();
        moveFocus(event.shiftKey ? -1 : 1);
      }
      if (event.key === 'Escape' || !panel.contains(event.target)) event.preventDefault();
      event.stopPropagation();
    }, true);
  }

  let opener = null;
  let pausedGame = false;
  function open() {
    opener = document.activeElement;
    // A game in play waits; an end page has none to wait.
    pausedGame = document.getElementById('notice').hidden;
    if (pausedGame) Module.pauseMainLoop();
    panel.hidden = false;
    render();
    say('');
    panel.querySelector('[data-add]').focus();
    wasPressed = pressedButtons();
    requestAnimationFrame(readPad);
  }
  function close() {
    panel.hidden = true;
    listening = null;
    padListening = null;
    if (pausedGame) Module.resumeMainLoop();
    (opener || Module.canvas).focus({ preventScroll: true });
  }
  window.settingsPanel = { open };
})();
