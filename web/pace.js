// The page's frame rate: the game is tuned for 60 frames a second, so on displays faster than about
// 65 Hz some animation frames pass without a game frame, as a driver's vertical sync would choose
// on the desktop. The game's own rules stay per frame.
(() => {
  const GAME_FRAME_MS = 1000 / 60;
  // A game frame runs once this much time is owed: every animation frame of a display up to
  // 65 Hz owes that much, so none of them is skipped, however its time stamps wobble.
  const DUE_MS = 1000 / 65;
  // After a pause (a hidden page, the end page) the game goes on, without catching up.
  const MOST_OWED_MS = 2 * GAME_FRAME_MS;

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
    const elapsed = lastTime === null ? GAME_FRAME_MS : frameTime - lastTime;
    lastTime = frameTime;
    owed = Math.min(owed + elapsed, MOST_OWED_MS);
    if (owed < DUE_MS) return false;
    owed = Math.max(owed - GAME_FRAME_MS, 0);
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
