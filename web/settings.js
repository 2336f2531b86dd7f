// The player's settings in the page: kept in the browser's storage as the desktop's settings text,
// read by the game's own reader (src/app/settings.cpp), so that the same words are accepted and
// refused as on the desktop; their bindings go to the page's input, their speed to its pace and
// their volume to its sound. The Settings panel (settings-panel.js) edits them. Emscripten puts
// this before the game's script, in the same scope as its memory.
(() => {
  const STORED = 'eggquest.settings';
  // The game's keys of the settings' actions.
  const GAME_KEYS = { left: 'Left', right: 'Right', jump: 'Up', quit: 'Escape' };

  const output = () => Module.levels.output();
  const lines = () => output().split('\n').filter(Boolean).map((line) => line.split('\t'));

  // The bindings in force: { action: { codes: [...], buttons: [...] } }, the speed and the volume.
  function bindings() {
    Module._giveBindings();
    const found = { actions: {} };
    // (No destructuring of a loop's variable: Debian 12's Emscripten minifies it wrongly.)
    for (const line of lines()) {
      const name = line[0];
      const first = line[1];
      const second = line[2];
      if (name in GAME_KEYS) {
        found.actions[name] = { codes: first ? first.split(' ') : [],
                                buttons: second ? second.split(' ').map(Number) : [] };
      } else {
        found[name] = Number(first);
      }
    }
    return found;
  }

  // The page's key help, as the keys now are: the game's own words while they are its own keys.
  const keysHelp = document.getElementById('keys');
  const defaultHelp = keysHelp.innerHTML;
  const ACTION_WORDS = { left: 'walk left', right: 'walk right', jump: 'jump', quit: 'end the game' };
  function showKeys(actions) {
    const names = Module.settings.names().keys;
    const own = { left: ['ArrowLeft'], right: ['ArrowRight'], jump: ['ArrowUp'], quit: ['Escape'] };
    if (Object.keys(own).every((action) => actions[action].codes.join() === own[action].join())) {
      keysHelp.innerHTML = defaultHelp;
      return;
    }
    keysHelp.replaceChildren(...Object.keys(own).flatMap((action) => {
      const part = document.createElement('span');
      part.append(...actions[action].codes.map((code) => {
        const key = document.createElement('kbd');
        const name = (names.find((entry) => entry.code === code) || { name: code }).name;
        key.textContent = name.length > 1 ? name[0].toUpperCase() + name.slice(1) : name;
        return key;
      }), ` ${ACTION_WORDS[action]}  `);
      return [part];
    }));
  }

  function apply() {
    const codes = {};
    const buttons = {};
    const actions = bindings().actions;
    for (const action in actions) {
      for (const code of actions[action].codes) codes[code] = GAME_KEYS[action];
      for (const button of actions[action].buttons) buttons[button] = GAME_KEYS[action];
    }
    Module.bindInput(codes, buttons);
    showKeys(actions);
  }

  Module.settings = {
    GAME_KEYS,
    bindings,
    // Reads settings text over the defaults and plays by it; returns the messages about the lines
    // it refused. What it took is kept in the browser, unless keep is false.
    take: (text, keep = true) => {
      Module.levels.putText(text);
      Module._takeSettings();
      const messages = output().split('\n').filter(Boolean);
      apply();
      if (keep) {
        try {
          localStorage.setItem(STORED, Module.settings.text());
        } catch (e) {  // storage full or turned off: the settings hold for this visit
        }
      }
      return messages;
    },
    // The settings in force as the desktop's text.
    text: () => {
      Module._giveSettings();
      return output();
    },
    // The keys and pad buttons the settings can name: { keys: [{ name, code }], pads: [...] }.
    names: () => {
      Module._giveInputNames();
      const names = { keys: [], pads: [] };
      for (const line of lines()) {
        if (line[0] === 'key') names.keys.push({ name: line[1], code: line[2] });
        else names.pads.push({ name: line[1], standard: Number(line[2]) });
      }
      return names;
    },
    // At start-up, the settings kept from the last visit.
    load: () => {
      let text = null;
      try {
        text = localStorage.getItem(STORED);
      } catch (e) {
      }
      if (text) Module.settings.take(text, false);
    },
  };
})();
