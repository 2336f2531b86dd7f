// The page's sound. Browsers let a page make sound only after the player's first key or touch,
// so the game's sound starts then, unless the player has muted it with the page's Mute button,
// which the browser remembers between visits. Emscripten puts this before the game's own script.
(() => {
  const button = document.getElementById('mute');
  const remembered = 'eggquest.muted';
  let muted = false;
  try {
    muted = localStorage.getItem(remembered) === '1';
  } catch (e) {
    // Storage turned off: the choice lasts for this visit only.
  }
  let ready = false;
  let started = false;

  function begin() {
    if (ready && !started && !muted) {
      started = true;
      Module._beginSound();
    }
  }

  button.setAttribute('aria-pressed', String(muted));
  for (const type of ['keydown', 'pointerdown', 'touchstart']) {
    window.addEventListener(type, begin, { capture: true });
  }
  // Emscripten's SDL keeps every key from the page; Enter and Space are the button's.
  for (const type of ['keydown', 'keypress', 'keyup']) {
    button.addEventListener(type, (event) => {
      if (event.key === 'Enter' || event.key === ' ') event.stopPropagation();
    });
  }
  button.addEventListener('click', () => {
    muted = !muted;
    button.setAttribute('aria-pressed', String(muted));
    try {
      localStorage.setItem(remembered, muted ? '1' : '0');
    } catch (e) {
      // As above.
    }
    if (ready) Module._muteSound(muted ? 1 : 0);
    begin();  // unmuting is a click, which lets the sound start too
    Module.canvas.focus({ preventScroll: true });
  });

  const pageReady = Module.onRuntimeInitialized;
  Module.onRuntimeInitialized = () => {
    if (pageReady) pageReady();
    ready = true;
  };
})();
