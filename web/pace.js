// The page's frame rate: the game is tuned for 60 frames a second, so on displays faster than about
// 65 Hz some animation frames pass without a game frame, as a driver's vertical sync would choose
// on the desktop. The game's own rules stay per frame.
(() => {
  // The game's own numbers (src/app/pace.h), read as it runs: its frames a second at the player's
  // speed, and the refresh rate up to which the display paces it at full speed (at a slower speed,
  // that share of it). A game frame runs once dueMs is owed: every animation frame of a display up
  // to that rate owes that much, so none of them is skipped, however its time stamps wobble. After
  // a pause (a hidden page, the end page) the game goes on, without catching up more than
  // mostOwedMs.
  let gameFrameMs = 0;
  let dueMs = 0;
  let mostOwedMs = 0;
  function readPace() {
    const framesPerSecond = Module._framesPerSecond();
    gameFrameMs = 1000 / framesPerSecond;
    dueMs = gameFrameMs * Module._gameFramesPerSecond() / Module._displayPacedHz();
    mostOwedMs = 2 * gameFrameMs;
  }

  let frameTime = 0;  // the time stamp of the current animation frame
  let lastTime = null;
  let owed = 0;

  // Animation-frame callbacks run in the order they were asked for: this loop started before the
  // game's, so it records each frame's time stamp before the game's frame runs.
  function recordTime(time) {
    frameTime = time;
    registerSkipping();
    requestAnimationFrame(recordTime);
  }
  requestAnimationFrame(recordTime);

  // Emscripten calls this before each iteration of the game's main loop; false skips it.
  const dueNow = () => {
    readPace();
    const elapsed = lastTime === null ? gameFrameMs : frameTime - lastTime;
    lastTime = frameTime;
    owed = Math.min(owed + elapsed, mostOwedMs);
    if (owed < dueMs) return false;
    owed = Math.max(owed - gameFrameMs, 0);
    return true;
  };
  // Debian 12's and 13's Emscripten take it from Module; Debian 14's reads no preMainLoop from
  // Module unless the build lists it, so the page hands it to the main loop itself (this script
  // shares Emscripten's scope), in the first animation frame, before the game's first frame.
  Module.preMainLoop = dueNow;
  function registerSkipping() {
    if (typeof MainLoop !== 'undefined' && !MainLoop.preMainLoop.includes(dueNow)) {
      MainLoop.preMainLoop.push(dueNow);
    }
  }
})();
